// SPDX-License-Identifier: MIT
// What changed from an older scan record to a newer one: cabinet slots renamed or replaced,
// presets renamed, cabinets a preset gained or lost, and the presets a changed slot touches
// although nothing in them changed. What either scan did not read is never called changed or
// unchanged: it is listed as not compared, with the reason.
#pragma once

#include "crossreference.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

class ScanResult;

class ScanComparison {
public:
    struct NotCompared {
        enum What { CabName, PresetName, PresetCabs, SlotsUsed };
        What what;
        int index;
        QString reason;
    };

    // Entries are matched by preset index and cabinet number, whatever the layouts and
    // display offsets of the two records.
    ScanComparison(const ScanResult& older, const ScanResult& newer);

    // What either record did not read, in the order of the rows.
    QList<NotCompared> notCompared() const { return unknown; }

    // What the reader must know to read the rows: different layouts or display offsets.
    QStringList notes() const { return noteLines; }
    // Presets and slots with at least one change.
    int differingEntries() const;
    // Some entry or the layout differs.
    bool differs() const { return layoutDiffers || differingEntries() > 0; }
    // "2 entries differ, 1 not compared", "No entry differs".
    QString summary() const;

    // The rows of the view "Changes": changed slots, the presets they touch, renamed presets,
    // changed cabinets, then what was not compared.
    QVector<CrossReference::Row> rows() const;
    // {"format", "formatVersion", "older", "newer", "notes", "slots", "touchedPresets",
    // "renamedPresets", "changedCabs", "notCompared"}.
    QJsonDocument document() const;

    QDateTime olderScannedAt() const { return olderSide.scanned; }

private:
    struct SlotChange {
        int cab;
        QString oldName;
        QString newName;
    };
    struct PresetRename {
        int preset;
        QString oldName;
        QString newName;
    };
    struct CabsChange {
        int preset;
        QList<int> added;
        QList<int> removed;
    };
    // A preset that uses, in the newer scan, slots whose name changed.
    struct Touched {
        int preset;
        QList<int> cabs;
    };
    void compareCabs(const ScanResult& older, const ScanResult& newer, int count);
    void comparePresets(const ScanResult& older, const ScanResult& newer, int count);
    void findTouched(const ScanResult& newer, int count);
    void noteLayouts(const ScanResult& older, const ScanResult& newer);
    QString presetKey(int preset) const;
    QJsonObject side(bool newer) const;

    QList<SlotChange> slotList;
    QList<PresetRename> renames;
    QList<CabsChange> cabChanges;
    QList<Touched> touched;
    QList<NotCompared> unknown;
    bool layoutDiffers = false;
    QStringList noteLines;
    // What the rows and the document show of the records: the cabinets as the views label
    // them, the newer scan's preset names or their marks, and each scan's extent.
    struct Side {
        QString label(int cab) const;

        QDateTime scanned;
        quint8 model = 0;
        int displayOffset = 0;
        int presets = 0;
        int cabs = 0;
        QStringList cabLabels;
    };
    Side olderSide, newerSide;
    QStringList newerPresetNames;
    QVector<bool> newerPresetNameRead;
    // Per cabinet of the newer scan: whether its name was compared and found the same.
    QVector<bool> sameName;
};
