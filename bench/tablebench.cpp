// SPDX-License-Identifier: MIT
#include "tablebench.h"

#include "benchstats.h"

#include <catalogue.h>
#include <csvexport.h>

#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <algorithm>

TableFigures timeTablesAndCsv(const Catalogue& names, const ScanResult& scan, int repeats)
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
        UsageLists presetCabs;
        UsageLists cabPresets;
        CrossReference::startScan(presetCabs, cabPresets, names.presetCount(), names.cabCount());
        for (int p = 0; p < scan.presetCabs.size(); ++p)
            CrossReference::addPreset(presetCabs, cabPresets, p, scan.presetCabs.at(p));
        const CrossReference tables(names, presetCabs, cabPresets);
        const auto presetRows = tables.rows(CrossReference::PresetCabs, CrossReference::Full);
        const auto cabRows = tables.rows(CrossReference::CabPresets, CrossReference::Full);
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
