// SPDX-License-Identifier: MIT
// Writes a view of a scan as delimited text that spreadsheets read back cell for cell.
#pragma once

#include "crossreference.h"

#include <QChar>

class QIODevice;
class QLocale;
class QTextStream;

class CsvExport {
public:
    struct Table {
        CrossReference::View view;
        QVector<CrossReference::Row> rows;
    };

    // ";" where the locale writes decimals with a comma, "," everywhere else.
    static QChar separatorFor(const QLocale& locale);

    // The field as written: in double quotes, inner quotes doubled, only when it holds the
    // separator, a double quote or a line break; otherwise exactly as given.
    static QString field(const QString& text, QChar separator);

    // The header line, then one line per row, each ending in "\n".
    static void write(QTextStream& out, CrossReference::View view,
        const QVector<CrossReference::Row>& rows, QChar separator);

    // What comes before the first table: nothing, or the UTF-8 byte order mark by which
    // spreadsheets tell UTF-8 from their system's legacy code page.
    enum Start { Plain, ByteOrderMark };

    // The tables one after the other, a blank line between two, as UTF-8 with "\n" on every
    // system; false when writing failed.
    static bool write(
        QIODevice& device, const QList<Table>& tables, QChar separator, Start start = Plain);

    // Writes the whole file or nothing, with the byte order mark: an existing file of that
    // name stays as it was when the file cannot be created or written, and reason (if given)
    // says why.
    static bool save(const QString& fileName, const QList<Table>& tables, QChar separator,
        QString* reason = nullptr);
    static bool save(const QString& fileName, CrossReference::View view,
        const QVector<CrossReference::Row>& rows, QChar separator, QString* reason = nullptr);

private:
    // The first field, then the rest after a separator, which a view of one column has none of.
    static QString line(
        const QString& first, const QStringList& rest, QChar separator, bool oneColumn);
};
