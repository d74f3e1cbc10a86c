// SPDX-License-Identifier: MIT
// The two cross-reference views of a scan, "Preset -> Cabs" and "Cab -> Presets": how the scan
// fills the two result vectors, and the texts of the rows that the table and the exports show.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

class Catalogue;

using UsageLists = QVector<QList<int>>;

class CrossReference {
public:
    enum View { PresetCabs, CabPresets };

    // Scanned: one row per entry of the view's vector, as far as a scan got.
    // Full: one row per preset or cabinet of the device; rows beyond the vector list nothing.
    enum Extent { Scanned, Full };

    struct Row {
        QString key;
        QStringList entries;
    };

    CrossReference(
        const Catalogue& names, const UsageLists& presetCabs, const UsageLists& cabPresets);

    // Empties both vectors and sizes them for a new scan of the device.
    static void startScan(
        UsageLists& presetCabs, UsageLists& cabPresets, int presetCount, int cabCount);
    // Stores the cabinets of one preset and enters the preset in the list of every cabinet
    // that exists; other numbers stay only in the preset's own list.
    static void addPreset(
        UsageLists& presetCabs, UsageLists& cabPresets, int preset, const QList<int>& cabs);

    static QStringList headers(View view);
    QVector<Row> rows(View view, Extent extent) const;

private:
    Row presetRow(int preset) const;
    Row cabRow(int cab) const;
    QString presetNumber(int preset) const;

    const Catalogue& names;
    const UsageLists& presetCabs;
    const UsageLists& cabPresets;
};
