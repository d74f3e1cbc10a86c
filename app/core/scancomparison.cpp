// SPDX-License-Identifier: MIT
#include "scancomparison.h"

#include "axefxlabel.h"
#include "jsonexport.h"
#include "scanresult.h"

#include <QHash>
#include <QJsonArray>
#include <QSet>

namespace {

// "not read in the older scan", "not reached in the newer scan", "not read in either scan".
QString stateReason(ReadState older, ReadState newer)
{
    if (older == newer)
        return ScanResult::stateText(older) + QStringLiteral(" in either scan");
    QStringList parts;
    if (older != ReadState::Read)
        parts << ScanResult::stateText(older) + QStringLiteral(" in the older scan");
    if (newer != ReadState::Read)
        parts << ScanResult::stateText(newer) + QStringLiteral(" in the newer scan");
    return parts.join(QStringLiteral(" and "));
}

// The cabinets once each, in the order first used.
QList<int> distinct(const QList<int>& cabs)
{
    QList<int> once;
    for (int cab : cabs) {
        if (!once.contains(cab))
            once.append(cab);
    }
    return once;
}

bool inRange(const ScanResult& record, int cab)
{
    return cab >= 0 && cab < record.cabCount();
}

// What a preset sounds like through a cabinet: a factory cabinet by its number and name, a
// user slot by the IR's name wherever it sits, so that a preset that followed its IR to another
// slot sounds the same. An empty or unread slot, and a number outside the slots, by number.
QString soundOf(const ScanResult& record, int cab)
{
    if (!inRange(record, cab))
        return QStringLiteral("#%1").arg(cab);
    const bool named = record.cabNameStates.at(cab) == ReadState::Read;
    const QString& name = record.cabNames.at(cab);
    const int factory = record.factoryCabCount();
    if (cab < factory)
        return QStringLiteral("F%1").arg(cab) + (named ? QLatin1Char(':') + name : QString());
    return named && !name.isEmpty() ? QStringLiteral("U:") + name
                                    : QStringLiteral("U#%1").arg(cab - factory);
}

// The labels joined with " + ", "none" for no cabinet.
template <typename Label> QString labelList(const QList<int>& cabs, Label label)
{
    QStringList labels;
    for (int cab : distinct(cabs))
        labels << label(cab);
    return labels.isEmpty() ? QStringLiteral("none") : labels.join(QStringLiteral(" + "));
}

QSet<QString> keysOf(const QList<int>& cabs, const QHash<int, QString>& keys)
{
    QSet<QString> set;
    for (int cab : cabs) {
        if (keys.contains(cab))
            set.insert(keys.value(cab));
    }
    return set;
}

const char* whatName(ScanComparison::NotCompared::What what)
{
    switch (what) {
    case ScanComparison::NotCompared::CabName:
        break;
    case ScanComparison::NotCompared::PresetName:
        return "preset name";
    case ScanComparison::NotCompared::PresetCabs:
        return "preset cabs";
    case ScanComparison::NotCompared::SlotsUsed:
        return "slots used";
    }
    return "cab name";
}

} // namespace

ScanComparison::ScanComparison(const ScanResult& older, const ScanResult& newer)
{
    describe(older, olderSide);
    describe(newer, newerSide);
    matchSlots(older, newer);
    noteLayouts(older, newer);
    compareCabs(older, newer);
    const int both = std::min(older.presetCount(), newer.presetCount());
    for (int preset = 0; preset < both; ++preset)
        comparePreset(older, newer, preset);
    listPresetsOfOne(newer, both, addedPresets);
    listPresetsOfOne(older, both, removedPresets);
}

void ScanComparison::describe(const ScanResult& record, Side& side)
{
    side.scanned = record.scannedAt;
    side.model = record.model;
    side.displayOffset = record.displayOffset;
    side.presets = record.presetCount();
    side.cabs = record.cabCount();
    for (int cab = 0; cab < record.cabCount(); ++cab)
        side.cabLabels << record.cabName(static_cast<unsigned short>(cab));
    for (int preset = 0; preset < record.presetCount(); ++preset) {
        side.presetNames << record.presetName(preset);
        side.presetNameRead << (record.presetNameStates.at(preset) == ReadState::Read);
    }
}

// Factory cabinets pair by their number, user slots by their number among the user slots.
void ScanComparison::matchSlots(const ScanResult& older, const ScanResult& newer)
{
    newerOf.fill(-1, older.cabCount());
    olderOf.fill(-1, newer.cabCount());
    const int olderFactory = older.factoryCabCount();
    const int newerFactory = newer.factoryCabCount();
    for (int cab = 0; cab < older.cabCount(); ++cab) {
        const int other = cab < olderFactory ? cab : newerFactory + cab - olderFactory;
        const bool exists = cab < olderFactory ? other < newerFactory : other < newer.cabCount();
        if (exists) {
            newerOf[cab] = other;
            olderOf[other] = cab;
        }
    }
}

void ScanComparison::noteLayouts(const ScanResult& older, const ScanResult& newer)
{
    if (older.presetCount() != newer.presetCount() || older.cabCount() != newer.cabCount()
        || older.factoryCabCount() != newer.factoryCabCount())
        noteLines << QStringLiteral("The scans are of different layouts (%1 presets and %2 cabs, "
                                    "then %3 presets and %4 cabs): factory cabs are compared by "
                                    "F number, user slots by U number and presets by index; "
                                    "what only one of them has is listed as added or removed")
                         .arg(older.presetCount())
                         .arg(older.cabCount())
                         .arg(newer.presetCount())
                         .arg(newer.cabCount());
    if (older.displayOffset != newer.displayOffset)
        noteLines << QStringLiteral("The scans number presets from %1 and from %2: presets are "
                                    "compared by index and numbered as in the newer scan")
                         .arg(older.displayOffset)
                         .arg(newer.displayOffset);
    for (const ScanResult* record : { &older, &newer }) {
        if (!record->sidesKept)
            noteLines << QStringLiteral("The %1 scan was saved without the X and Y of the "
                                        "presets' cabs: presets are compared by the cabs they "
                                        "use, not by X and Y")
                             .arg(record == &older ? QStringLiteral("older")
                                                   : QStringLiteral("newer"));
    }
}

void ScanComparison::compareCabs(const ScanResult& older, const ScanResult& newer)
{
    nameKnown.fill(false, newer.cabCount());
    for (int cab = 0; cab < newer.cabCount(); ++cab) {
        const ReadState after = newer.cabNameStates.at(cab);
        const int was = olderOf.at(cab);
        if (was < 0) {
            nameKnown[cab] = after == ReadState::Read;
            if (nameKnown.at(cab) && !newer.cabNames.at(cab).isEmpty())
                slotList.append({ cab, SlotAdded, QString(), newer.cabNames.at(cab) });
            continue;
        }
        const ReadState before = older.cabNameStates.at(was);
        if (before != ReadState::Read || after != ReadState::Read) {
            unknown.append({ NotCompared::CabName, cab,
                QStringLiteral("name ") + stateReason(before, after) });
            continue;
        }
        nameKnown[cab] = true;
        if (older.cabNames.at(was) != newer.cabNames.at(cab))
            slotList.append({ cab, NameChanged, older.cabNames.at(was), newer.cabNames.at(cab) });
    }
    for (int cab = 0; cab < older.cabCount(); ++cab) {
        if (newerOf.at(cab) < 0 && older.cabNameStates.at(cab) == ReadState::Read
            && !older.cabNames.at(cab).isEmpty())
            slotList.append({ cab, SlotRemoved, older.cabNames.at(cab), QString() });
    }
}

void ScanComparison::comparePreset(const ScanResult& older, const ScanResult& newer, int preset)
{
    PresetChange change;
    change.preset = preset;
    ReadState before = older.presetNameStates.at(preset);
    ReadState after = newer.presetNameStates.at(preset);
    if (before != ReadState::Read || after != ReadState::Read) {
        unknown.append({ NotCompared::PresetName, preset,
            QStringLiteral("name ") + stateReason(before, after) });
    } else if (older.presetNames.at(preset) != newer.presetNames.at(preset)) {
        change.renamed = true;
        change.oldName = older.presetNames.at(preset);
    }
    before = older.usageStates.at(preset);
    after = newer.usageStates.at(preset);
    if (before != ReadState::Read || after != ReadState::Read)
        unknown.append({ NotCompared::PresetCabs, preset,
            QStringLiteral("cabs ") + stateReason(before, after) });
    else
        compareUsage(older, newer, preset, change);
    if (change.ownChange() || !change.touched.isEmpty())
        presetChanges.append(change);
}

// The cabinets are matched by their sound first; of those left, a slot used in both scans
// whose name changed touches the preset, and the rest were added or removed.
void ScanComparison::compareUsage(
    const ScanResult& older, const ScanResult& newer, int preset, PresetChange& change)
{
    const QList<int> was = distinct(older.presetCabs.at(preset));
    const QList<int> now = distinct(newer.presetCabs.at(preset));
    QHash<int, QString> oldKeys, newKeys;
    for (int cab : was)
        oldKeys.insert(cab, soundOf(older, cab));
    for (int cab : now)
        newKeys.insert(cab, soundOf(newer, cab));
    const QSet<QString> oldSounds = keysOf(was, oldKeys);
    const QSet<QString> newSounds = keysOf(now, newKeys);
    QList<int> unsure;
    for (int cab : now) {
        if (inRange(newer, cab) && !nameKnown.at(cab))
            unsure.append(cab);
        if (!oldSounds.contains(newKeys.value(cab)))
            change.added.append(cab);
    }
    for (int cab : was) {
        if (!newSounds.contains(oldKeys.value(cab)))
            change.removed.append(cab);
    }
    for (int cab : QList<int>(change.added)) {
        const int slot = inRange(newer, cab) ? olderOf.at(cab) : -1;
        if (slot < 0 || !change.removed.contains(slot))
            continue;
        // The same slot in both scans with another IR in it, or with one not known.
        if (nameKnown.at(cab))
            change.touched.append(cab);
        change.added.removeOne(cab);
        change.removed.removeOne(slot);
        oldKeys[slot] = newKeys[cab] = QStringLiteral("slot %1").arg(cab);
    }
    for (int cab : change.added)
        newKeys.remove(cab);
    for (int cab : change.removed)
        oldKeys.remove(cab);
    if (change.touched.isEmpty() && !unsure.isEmpty()) {
        QStringList labels;
        for (int cab : unsure)
            labels << newerSide.cabLabels.at(cab);
        unknown.append({ NotCompared::SlotsUsed, preset,
            QStringLiteral("uses %1, whose name was not compared")
                .arg(labels.join(QStringLiteral(", "))) });
    }
    if (!older.sidesKept || !newer.sidesKept)
        return;
    change.oldX = older.presetCabsX.value(preset);
    change.oldY = older.presetCabsY.value(preset);
    change.newX = newer.presetCabsX.value(preset);
    change.newY = newer.presetCabsY.value(preset);
    const QSet<QString> oldX = keysOf(change.oldX, oldKeys), oldY = keysOf(change.oldY, oldKeys);
    const QSet<QString> newX = keysOf(change.newX, newKeys), newY = keysOf(change.newY, newKeys);
    change.xChanged = oldX != newX;
    change.yChanged = oldY != newY;
    change.exchanged = change.xChanged && oldX == newY && oldY == newX;
}

// A preset only one scan has is listed when there is something in it: a name or a cabinet.
void ScanComparison::listPresetsOfOne(const ScanResult& record, int from, QList<int>& list)
{
    for (int preset = from; preset < record.presetCount(); ++preset) {
        const bool named = record.presetNameStates.at(preset) == ReadState::Read
            && !record.presetNames.at(preset).isEmpty();
        const bool uses = record.usageStates.at(preset) == ReadState::Read
            && !record.presetCabs.at(preset).isEmpty();
        if (named || uses)
            list.append(preset);
    }
}

int ScanComparison::differingEntries() const
{
    return int(
        slotList.size() + presetChanges.size() + addedPresets.size() + removedPresets.size());
}

QString ScanComparison::summary() const
{
    const int differing = differingEntries();
    QString text = differing == 0 ? QStringLiteral("No entry differs")
        : differing == 1          ? QStringLiteral("1 entry differs")
                                  : QStringLiteral("%1 entries differ").arg(differing);
    QSet<QPair<bool, int>> notCompared;
    for (const NotCompared& entry : unknown)
        notCompared.insert({ entry.what == NotCompared::CabName, entry.index });
    if (!notCompared.isEmpty())
        text += QStringLiteral(", %1 not compared").arg(notCompared.size());
    return text;
}

QStringList ScanComparison::presetEntries(const PresetChange& change) const
{
    const auto older = [this](int cab) { return olderSide.label(cab); };
    const auto newer = [this](int cab) { return newerSide.label(cab); };
    QStringList entries;
    if (!change.ownChange()) {
        for (int cab : change.touched)
            entries << QStringLiteral("uses changed ") + newer(cab);
        return entries;
    }
    if (change.renamed)
        entries << QStringLiteral("renamed from ") + change.oldName;
    for (int cab : change.added)
        entries << QStringLiteral("added ") + newer(cab);
    for (int cab : change.removed)
        entries << QStringLiteral("removed ") + older(cab);
    if (change.exchanged) {
        entries << QStringLiteral("X and Y exchanged");
        return entries;
    }
    if (change.xChanged)
        entries << QStringLiteral("X was %1 now %2")
                       .arg(labelList(change.oldX, older), labelList(change.newX, newer));
    if (change.yChanged)
        entries << QStringLiteral("Y was %1 now %2")
                       .arg(labelList(change.oldY, older), labelList(change.newY, newer));
    return entries;
}

QVector<CrossReference::Row> ScanComparison::rows() const
{
    QVector<CrossReference::Row> rows;
    for (const SlotChange& change : slotList) {
        if (change.kind == SlotRemoved)
            rows.append(
                { olderSide.cabLabels.at(change.cab), { QStringLiteral("removed") }, false });
        else
            rows.append({ newerSide.cabLabels.at(change.cab),
                { change.kind == SlotAdded
                        ? QStringLiteral("added")
                        : QStringLiteral("was ") + olderSide.cabLabels.at(olderOf.at(change.cab)) },
                false });
    }
    const auto presetRow = [&](int preset, const QStringList& entries) {
        rows.append({ newerSide.presetKey(preset), entries, !newerSide.presetNameRead.at(preset) });
    };
    for (bool own : { false, true }) {
        for (const PresetChange& change : presetChanges) {
            if (change.ownChange() == own)
                presetRow(change.preset, presetEntries(change));
        }
    }
    for (int preset : addedPresets)
        presetRow(preset, { QStringLiteral("added") });
    for (int preset : removedPresets)
        rows.append({ olderSide.presetKey(preset), { QStringLiteral("removed") },
            !olderSide.presetNameRead.at(preset) });
    for (const NotCompared& entry : unknown) {
        const QString key = entry.what == NotCompared::CabName ? newerSide.cabLabels.at(entry.index)
                                                               : newerSide.presetKey(entry.index);
        rows.append({ key, { QStringLiteral("not compared: ") + entry.reason }, true });
    }
    return rows;
}

// Numbers outside the cabinet range are labelled as the views label them.
QString ScanComparison::Side::label(int cab) const
{
    return cab >= 0 && cab < cabLabels.size()
        ? cabLabels.at(cab)
        : axefx::cabLabel(static_cast<unsigned short>(cab), model) + QStringLiteral("()");
}

QString ScanComparison::Side::presetKey(int preset) const
{
    const QString number = QString::number(preset + displayOffset);
    const QString& name = presetNames.at(preset);
    return name.isEmpty() ? number : number + QLatin1Char(' ') + name;
}

QJsonObject ScanComparison::side(bool newer) const
{
    const Side& s = newer ? newerSide : olderSide;
    QJsonObject object { { JsonExport::kDisplayOffset, s.displayOffset },
        { JsonExport::kPresetCount, s.presets }, { JsonExport::kCabCount, s.cabs } };
    if (s.scanned.isValid())
        object.insert(JsonExport::kScanned, s.scanned.toString(Qt::ISODate));
    return object;
}

QJsonDocument ScanComparison::document() const
{
    const auto labels = [](const QList<int>& cabs, const Side& side) {
        QJsonArray list;
        for (int cab : cabs)
            list.append(side.label(cab));
        return list;
    };
    const auto preset = [](int index, const Side& side) {
        return QJsonObject { { "preset", index },
            { JsonExport::kNumber, index + side.displayOffset },
            { JsonExport::kName, side.presetNames.at(index) } };
    };
    const auto slot = [](int cab, const Side& side) {
        return QJsonObject { { "cab", cab }, { JsonExport::kLabel, side.cabLabels.at(cab) } };
    };
    QJsonArray slotArray, addedSlots, removedSlots, touchedArray, renamedArray, cabsArray,
        addedArray, removedArray, unknownArray;
    for (const SlotChange& change : slotList) {
        if (change.kind == SlotAdded) {
            addedSlots.append(slot(change.cab, newerSide));
        } else if (change.kind == SlotRemoved) {
            removedSlots.append(slot(change.cab, olderSide));
        } else {
            slotArray.append(QJsonObject { { "cab", change.cab },
                { JsonExport::kLabel,
                    axefx::cabLabel(static_cast<unsigned short>(change.cab), newerSide.model) },
                { "oldName", change.oldName }, { "newName", change.newName } });
        }
    }
    for (const PresetChange& change : presetChanges) {
        if (!change.ownChange()) {
            QJsonObject object = preset(change.preset, newerSide);
            object.insert("changedCabs", labels(change.touched, newerSide));
            touchedArray.append(object);
            continue;
        }
        if (change.renamed) {
            QJsonObject object = preset(change.preset, newerSide);
            object.insert("oldName", change.oldName);
            renamedArray.append(object);
        }
        if (change.added.isEmpty() && change.removed.isEmpty() && !change.xChanged
            && !change.yChanged)
            continue;
        QJsonObject object = preset(change.preset, newerSide);
        object.insert("added", labels(change.added, newerSide));
        object.insert("removed", labels(change.removed, olderSide));
        if (change.xChanged || change.yChanged)
            object.insert("xy",
                QJsonObject { { "exchanged", change.exchanged },
                    { "xBefore", labels(distinct(change.oldX), olderSide) },
                    { "yBefore", labels(distinct(change.oldY), olderSide) },
                    { "xAfter", labels(distinct(change.newX), newerSide) },
                    { "yAfter", labels(distinct(change.newY), newerSide) } });
        cabsArray.append(object);
    }
    for (int index : addedPresets)
        addedArray.append(preset(index, newerSide));
    for (int index : removedPresets)
        removedArray.append(preset(index, olderSide));
    for (const NotCompared& entry : unknown) {
        QJsonObject object = entry.what == NotCompared::CabName ? slot(entry.index, newerSide)
                                                                : preset(entry.index, newerSide);
        object.insert("what", whatName(entry.what));
        object.insert("reason", entry.reason);
        unknownArray.append(object);
    }
    return QJsonDocument(QJsonObject { { JsonExport::kFormatName, "tollmark-comparison" },
        { JsonExport::kFormatVersionName, 1 }, { "older", side(false) }, { "newer", side(true) },
        { "differs", differs() }, { "differingEntries", differingEntries() },
        { "notes", QJsonArray::fromStringList(noteLines) }, { "slots", slotArray },
        { "addedSlots", addedSlots }, { "removedSlots", removedSlots },
        { "touchedPresets", touchedArray }, { "renamedPresets", renamedArray },
        { "changedCabs", cabsArray }, { "addedPresets", addedArray },
        { "removedPresets", removedArray }, { "notCompared", unknownArray } });
}
