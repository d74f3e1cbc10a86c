// SPDX-License-Identifier: MIT
// The two cross-reference views of a scan, "Preset -> Cabs" and "Cab -> Presets": the texts of
// the rows that the table and the exports show, with the marks of what was not read.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

class ScanResult;

class CrossReference {
public:
    enum View { PresetCabs, CabPresets };

    struct Row {
        QString key;
        QStringList entries;
        // Some of the row was not read, or not reached: its list may be short, its names
        // stand in for what is unknown.
        bool marked = false;
    };

    explicit CrossReference(const ScanResult& result);

    static QStringList headers(View view);
    // One row per preset or cabinet of the scanned unit; none before a scan.
    QVector<Row> rows(View view) const;

private:
    Row presetRow(int preset) const;
    Row cabRow(int cab) const;
    QString presetNumber(int preset) const;

    const ScanResult& result;
    // The marks that end every cabinet's row while some preset's cabinets are unknown.
    QStringList usageMarks;
};
