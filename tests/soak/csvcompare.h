// Compares an exported "Preset -> Cabs" CSV with the one a loss-free scan would write: what
// went missing (names never read, cabinet uses never found) and what is there that the unit
// never said.
#pragma once

#include <QChar>
#include <QString>

struct CsvDifference {
    int lostNames = 0; // a preset or cabinet shown without the name the unit holds
    int lostUses = 0; // a cabinet use of a preset that is not in the file
    int invented = 0; // a line, name or cabinet use the unit does not hold

    bool isExact() const { return lostNames == 0 && lostUses == 0 && invented == 0; }
};

CsvDifference compareCsv(const QString& actual, const QString& expected, QChar separator);
