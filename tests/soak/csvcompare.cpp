#include "csvcompare.h"

#include <QStringList>

namespace {

// "F5(name)" -> "F5(", the part a cabinet's label fixes whether or not its name was read.
QString labelOf(const QString& entry)
{
    const int open = entry.indexOf(QLatin1Char('('));
    return open < 0 ? entry : entry.left(open + 1);
}

bool isUnreadEntry(const QString& entry)
{
    return entry.endsWith(QLatin1String("()"));
}

// The fields of one line: a field in double quotes may hold the separator, and a doubled
// double quote inside it stands for one.
QStringList fieldsOf(const QString& line, QChar separator)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c != QLatin1Char('"'))
                field += c;
            else if (i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"'))
                field += line.at(++i);
            else
                quoted = false;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == separator) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

int indexOfLabel(const QStringList& entries, const QString& label)
{
    for (int j = 0; j < entries.size(); ++j) {
        if (labelOf(entries.at(j)) == label)
            return j;
    }
    return -1;
}

// The preset key "12 Name": a key of the same number with no name is a name not read.
bool isUnreadKey(const QString& actual, const QString& expected)
{
    const int blank = expected.indexOf(QLatin1Char(' '));
    return blank >= 0 && actual == expected.left(blank + 1);
}

void compareLine(const QStringList& actual, QStringList expected, CsvDifference& d)
{
    if (actual.value(0) != expected.value(0)) {
        if (isUnreadKey(actual.value(0), expected.value(0)))
            ++d.lostNames;
        else
            ++d.invented;
    }
    expected.removeFirst();
    for (int i = 1; i < actual.size(); ++i) {
        const QString& entry = actual.at(i);
        if (expected.removeOne(entry))
            continue;
        // The same cabinet, shown without its name.
        const int sameCab = isUnreadEntry(entry) ? indexOfLabel(expected, labelOf(entry)) : -1;
        if (sameCab >= 0) {
            expected.removeAt(sameCab);
            ++d.lostNames;
        } else {
            ++d.invented;
        }
    }
    d.lostUses += expected.size();
}

} // namespace

CsvDifference compareCsv(const QString& actual, const QString& expected, QChar separator)
{
    QStringList actualLines = actual.split(QLatin1Char('\n'));
    QStringList expectedLines = expected.split(QLatin1Char('\n'));
    CsvDifference d;
    for (int i = 0; i < qMax(actualLines.size(), expectedLines.size()); ++i) {
        if (i >= actualLines.size()) {
            d.lostUses += fieldsOf(expectedLines.at(i), separator).size() - 1;
            continue;
        }
        if (i >= expectedLines.size()) {
            ++d.invented;
            continue;
        }
        QStringList a = fieldsOf(actualLines.at(i), separator);
        QStringList e = fieldsOf(expectedLines.at(i), separator);
        // A line ending in the separator has no entries, not one empty entry.
        if (a.size() == 2 && a.last().isEmpty())
            a.removeLast();
        if (e.size() == 2 && e.last().isEmpty())
            e.removeLast();
        compareLine(a, e, d);
    }
    return d;
}
