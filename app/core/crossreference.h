// SPDX-License-Identifier: MIT
// The views of a scan, "Preset -> Cabs", "Cab -> Presets" and the unused user cab slots: the
// texts of the rows that the table and the exports show, with the marks of what was not read.
// The view "Changes" compares two scans: its rows come from ScanComparison.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

class ScanResult;

class CrossReference {
public:
    enum View { PresetCabs, CabPresets, UnusedCabs, Changes };

    struct Row {
        QString key;
        QStringList entries;
        // Some of the row was not read, or not reached: its list may be short, its names
        // stand in for what is unknown.
        bool marked = false;

        // Whether the key or one of the entries holds the text, in any case.
        bool contains(const QString& text) const;
    };

    explicit CrossReference(const ScanResult& result);

    // "Preset -> Cabs", "Cab -> Presets", "Unused user cabs", "Changes".
    static QString title(View view);
    // One header per column: two for the cross-references, one for the unused slots.
    static QStringList headers(View view);
    // One row per preset or cabinet of the scanned unit, or per unused user slot, whose
    // entries are empty; none before a scan, and none of "Changes", which takes two scans.
    QVector<Row> rows(View view) const;

private:
    Row presetRow(int preset) const;
    Row cabRow(int cab) const;
    QVector<Row> unusedRows() const;
    QString presetNumber(int preset) const;

    const ScanResult& result;
    // The marks that end every cabinet's row while some preset's cabinets are unknown.
    QStringList usageMarks;
};
