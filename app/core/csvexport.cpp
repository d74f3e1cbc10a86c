// SPDX-License-Identifier: MIT
#include "csvexport.h"

#include "wholefile.h"

#include <QIODevice>
#include <QLocale>
#include <QTextStream>

QChar CsvExport::separatorFor(const QLocale& locale)
{
    return locale.decimalPoint() == QLatin1Char(',') ? QLatin1Char(';') : QLatin1Char(',');
}

QString CsvExport::field(const QString& text, QChar separator)
{
    const QChar quote = QLatin1Char('"');
    const bool needsQuotes = text.contains(separator) || text.contains(quote)
        || text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
    if (!needsQuotes)
        return text;
    QString quoted = text;
    quoted.replace(quote, QStringLiteral("\"\""));
    return quote + quoted + quote;
}

QString CsvExport::line(
    const QString& first, const QStringList& rest, QChar separator, bool oneColumn)
{
    QString text = field(first, separator);
    if (!oneColumn)
        text += separator;
    for (int i = 0; i < rest.size(); ++i) {
        if (i > 0)
            text += separator;
        text += field(rest.at(i), separator);
    }
    text += QLatin1Char('\n');
    return text;
}

void CsvExport::write(QTextStream& out, CrossReference::View view,
    const QVector<CrossReference::Row>& rows, QChar separator)
{
    const QStringList headers = CrossReference::headers(view);
    const bool oneColumn = headers.size() == 1;
    out << line(headers.at(0), headers.mid(1), separator, oneColumn);
    for (const CrossReference::Row& row : rows)
        out << line(row.key, row.entries, separator, oneColumn);
}

bool CsvExport::write(QIODevice& device, const QList<Table>& tables, QChar separator, Start start)
{
    QString text;
    QTextStream out(&text);
    for (int i = 0; i < tables.size(); ++i) {
        if (i > 0)
            out << '\n';
        write(out, tables.at(i).view, tables.at(i).rows, separator);
    }
    out.flush();
    QByteArray bytes = start == ByteOrderMark ? QByteArrayLiteral("\xEF\xBB\xBF") : QByteArray();
    bytes += text.toUtf8();
    return writeAll(device, bytes);
}

bool CsvExport::save(
    const QString& fileName, const QList<Table>& tables, QChar separator, QString* reason)
{
    return saveWholeFile(
        fileName, [&](QIODevice& file) { return write(file, tables, separator, ByteOrderMark); },
        reason);
}

bool CsvExport::save(const QString& fileName, CrossReference::View view,
    const QVector<CrossReference::Row>& rows, QChar separator, QString* reason)
{
    return save(fileName, { Table { view, rows } }, separator, reason);
}
