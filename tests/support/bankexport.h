// SPDX-License-Identifier: MIT
// What a correct scan of a simulated unit shows and exports: the record of the bank's names
// as the device link reads them (blank runs made one) and the cabinets each preset uses.
#pragma once

#include "crossreference.h"
#include "csvexport.h"
#include "scanresult.h"
#include "simbank.h"

#include <QLocale>
#include <QTextStream>

// The record once the first presetsRead presets (all when -1) were read; the scan stopped
// before the others.
inline ScanResult bankResult(const SimBank& bank, int presetsRead = -1)
{
    ScanResult result(bank.model, bank.displayOffset);
    for (int p = 0; p < bank.presetCount(); ++p) {
        result.presetNames[p] = bank.presets.value(p).name.simplified();
        result.presetNameStates[p] = ReadState::Read;
    }
    for (int c = 0; c < bank.cabCount(); ++c) {
        result.cabNames[c] = bank.cabNames.value(c).simplified();
        result.cabNameStates[c] = ReadState::Read;
    }
    for (int p = 0; p < (presetsRead < 0 ? bank.presetCount() : presetsRead); ++p)
        result.setUsage(p, bank.expectedCabs(p), ReadState::Read);
    result.indexCabs();
    return result;
}

inline QVector<CrossReference::Row> bankRows(
    const SimBank& bank, CrossReference::View view, int presetsRead = -1)
{
    return CrossReference(bankResult(bank, presetsRead)).rows(view);
}

// As the window and the scanner write it, with the separator of the system's locale.
inline QString resultCsv(const ScanResult& result, CrossReference::View view)
{
    QString text;
    QTextStream out(&text);
    const QChar separator = CsvExport::separatorFor(QLocale::system());
    CsvExport::write(out, view, CrossReference(result).rows(view), separator);
    out.flush();
    return text;
}

inline QString bankCsv(const SimBank& bank, CrossReference::View view, int presetsRead = -1)
{
    return resultCsv(bankResult(bank, presetsRead), view);
}

// The labels of the user slots that no preset of the bank uses, named ones first.
inline QStringList bankUnused(const SimBank& bank)
{
    QList<int> used;
    for (int p = 0; p < bank.presetCount(); ++p)
        used += bank.expectedCabs(p);
    const ScanResult names = bankResult(bank);
    QStringList named, empty;
    for (int c = bank.factoryCabCount(); c < bank.cabCount(); ++c) {
        if (!used.contains(c))
            (names.bareCabName(c).isEmpty() ? empty : named) << names.cabName(c);
    }
    return named + empty;
}
