#include "csvexport.h"

#include <QLocale>
#include <QSaveFile>
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

QString CsvExport::line(const QString& first, const QStringList& rest, QChar separator)
{
    QString text = field(first, separator);
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
    out << line(headers.at(0), headers.mid(1), separator);
    for (const CrossReference::Row& row : rows)
        out << line(row.key, row.entries, separator);
}

bool CsvExport::save(const QString& fileName, CrossReference::View view,
    const QVector<CrossReference::Row>& rows, QChar separator)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    write(out, view, rows, separator);
    out.flush();
    if (out.status() != QTextStream::Ok) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
