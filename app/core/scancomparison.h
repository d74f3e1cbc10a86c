// SPDX-License-Identifier: MIT
// What changed from an older scan record to a newer one, as an owner means it: cabinet slots
// renamed, replaced, filled or emptied, presets renamed, cabinets a preset gained or lost or
// moved between its X and Y settings, and the presets a changed slot touches although nothing
// in them changed. A preset whose IRs moved to other slots with it sounds the same and is not
// listed. What either scan did not read is never called changed or unchanged: it is listed as
// not compared, with the reason.
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

    // Factory cabs are matched by their factory number, user slots by their U number and
    // presets by index, whatever the layouts and display offsets of the two records; what
    // only one of them has is listed as added or removed.
    ScanComparison(const ScanResult& older, const ScanResult& newer);

    // What either record did not read, in the order of the rows.
    QList<NotCompared> notCompared() const { return unknown; }

    // What the reader must know to read the rows: different layouts or display offsets, a
    // record saved without X and Y.
    QStringList notes() const { return noteLines; }
    // Slots and presets with at least one change: one each, however many it has.
    int differingEntries() const;
    bool differs() const { return differingEntries() > 0; }
    // "2 entries differ, 1 not compared", "No entry differs".
    QString summary() const;

    // The rows of the view "Changes": changed slots, the presets they touch, the presets with
    // changes of their own, presets only in one scan, then what was not compared.
    QVector<CrossReference::Row> rows() const;
    // {"format", "formatVersion", "older", "newer", "notes", "slots", "addedSlots",
    // "removedSlots", "touchedPresets", "renamedPresets", "changedCabs", "addedPresets",
    // "removedPresets", "notCompared"}.
    QJsonDocument document() const;

    QDateTime olderScannedAt() const { return olderSide.scanned; }

private:
    // What the rows and the document show of a record: its cabinets as the views label them,
    // its preset names or their marks, and its extent.
    struct Side {
        QString label(int cab) const;
        // "12 Name", "12 (not read)", or "12" for an empty name.
        QString presetKey(int preset) const;

        QDateTime scanned;
        quint8 model = 0;
        int displayOffset = 0;
        int presets = 0;
        int cabs = 0;
        QStringList cabLabels;
        QStringList presetNames;
        QVector<bool> presetNameRead;
    };
    enum SlotKind { NameChanged, SlotAdded, SlotRemoved };
    // cab is the newer scan's number, the older one's for a removed slot.
    struct SlotChange {
        int cab;
        SlotKind kind;
        QString oldName;
        QString newName;
    };
    // Cabinets added and touched by the newer scan's numbers, removed ones by the older's.
    struct PresetChange {
        int preset;
        bool renamed = false;
        QString oldName;
        QList<int> added;
        QList<int> removed;
        QList<int> touched;
        // The cabinets in X, or in Y, are others than before, counting only those in both
        // scans; exchanged: X holds what Y held and Y what X held.
        bool xChanged = false;
        bool yChanged = false;
        bool exchanged = false;
        QList<int> oldX, oldY, newX, newY;

        bool ownChange() const
        {
            return renamed || !added.isEmpty() || !removed.isEmpty() || xChanged || yChanged;
        }
    };

    void describe(const ScanResult& record, Side& side);
    void matchSlots(const ScanResult& older, const ScanResult& newer);
    void noteLayouts(const ScanResult& older, const ScanResult& newer);
    void compareCabs(const ScanResult& older, const ScanResult& newer);
    void comparePreset(const ScanResult& older, const ScanResult& newer, int preset);
    void compareUsage(
        const ScanResult& older, const ScanResult& newer, int preset, PresetChange& change);
    void listPresetsOfOne(const ScanResult& record, int from, QList<int>& list);
    QStringList presetEntries(const PresetChange& change) const;
    QJsonObject side(bool newer) const;

    Side olderSide, newerSide;
    // Per cabinet of one scan: the same slot in the other, -1 when it has none.
    QVector<int> newerOf, olderOf;
    // Per cabinet of the newer scan: whether its name was read in both scans.
    QVector<bool> nameKnown;
    QList<SlotChange> slotList;
    QList<PresetChange> presetChanges;
    QList<int> addedPresets, removedPresets;
    QList<NotCompared> unknown;
    QStringList noteLines;
};
