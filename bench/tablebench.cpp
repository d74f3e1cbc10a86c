// SPDX-License-Identifier: MIT
#include "tablebench.h"

#include "benchstats.h"

#include <crossreference.h>
#include <csvexport.h>
#include <scanresult.h>

#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <algorithm>

TableFigures timeTablesAndCsv(const ScanResult& scan, int repeats)
{
    TableFigures figures;
    figures.repeats = repeats;
    QTemporaryDir dir;
    if (!dir.isValid())
        return figures;
    const QString presetFile = dir.filePath(QStringLiteral("presets.csv"));
    const QString cabFile = dir.filePath(QStringLiteral("cabs.csv"));
    const QChar separator = CsvExport::separatorFor(QLocale::system());

    QVector<std::int64_t> times;
    bool written = true;
    for (int r = 0; r < repeats; ++r) {
        const std::int64_t start = bench::nowNs();
        ScanResult entered(scan.model, scan.displayOffset);
        entered.cabNames = scan.cabNames;
        entered.cabNameStates = scan.cabNameStates;
        entered.presetNames = scan.presetNames;
        entered.presetNameStates = scan.presetNameStates;
        for (int p = 0; p < scan.presetCount(); ++p)
            entered.setUsage(p, scan.presetCabs.at(p), scan.usageStates.at(p));
        entered.indexCabs();
        const CrossReference tables(entered);
        const auto presetRows = tables.rows(CrossReference::PresetCabs);
        const auto cabRows = tables.rows(CrossReference::CabPresets);
        written = CsvExport::save(presetFile, CrossReference::PresetCabs, presetRows, separator)
            && written;
        written
            = CsvExport::save(cabFile, CrossReference::CabPresets, cabRows, separator) && written;
        times.append(bench::nowNs() - start);
        figures.presetRows = presetRows.size();
        figures.cabRows = cabRows.size();
    }
    figures.written = written;
    figures.csvBytes = QFileInfo(presetFile).size() + QFileInfo(cabFile).size();
    figures.medianNs = bench::quantile(times, 0.5);
    figures.maxNs = times.isEmpty() ? 0 : double(*std::max_element(times.begin(), times.end()));
    return figures;
}
