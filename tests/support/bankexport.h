// SPDX-License-Identifier: MIT
// What a correct scan of a simulated unit shows and exports: the bank's names as the device
// link reads them (blank runs made one), labelled as the device labels them, and the cabinets
// each preset uses.
#pragma once

#include "catalogue.h"
#include "crossreference.h"
#include "csvexport.h"
#include "simbank.h"

#include <QLocale>
#include <QTextStream>

class BankCatalogue : public Catalogue {
public:
    int presetCount() const override { return bank.presetCount(); }
    int cabCount() const override { return bank.cabCount(); }
    int factoryCabCount() const override { return bank.factoryCabCount(); }
    int displayOffset() const override { return bank.displayOffset; }
    QString presetName(int i) const override { return bank.presets.value(i).name.simplified(); }
    QString cabName(unsigned short n) const override
    {
        const int factory = bank.factoryCabCount();
        return (n < factory ? QStringLiteral("F%1").arg(n + 1)
                            : QStringLiteral("U%1").arg(n + 1 - factory))
            + QStringLiteral("(%1)").arg(bareCabName(n));
    }
    QString bareCabName(unsigned short n) const override
    {
        return bank.cabNames.value(n).simplified();
    }

    SimBank bank;
};

// The rows once the first presetsRead presets (all when -1) were read.
inline QVector<CrossReference::Row> bankRows(
    const SimBank& bank, CrossReference::View view, int presetsRead = -1)
{
    UsageLists presetCabs, cabPresets;
    CrossReference::startScan(presetCabs, cabPresets, bank.presetCount(), bank.cabCount());
    for (int p = 0; p < (presetsRead < 0 ? bank.presetCount() : presetsRead); ++p)
        CrossReference::addPreset(presetCabs, cabPresets, p, bank.expectedCabs(p));
    BankCatalogue names;
    names.bank = bank;
    return CrossReference(names, presetCabs, cabPresets).rows(view, CrossReference::Full);
}

// As the window and the scanner write it, with the separator of the system's locale.
inline QString bankCsv(const SimBank& bank, CrossReference::View view, int presetsRead = -1)
{
    QString text;
    QTextStream out(&text);
    const QChar separator = CsvExport::separatorFor(QLocale::system());
    CsvExport::write(out, view, bankRows(bank, view, presetsRead), separator);
    out.flush();
    return text;
}
