// SPDX-License-Identifier: MIT
#include "scancomparison.h"

#include "axefxlabel.h"
#include "axefxmessage.h"
#include "scanresult.h"

#include <QJsonArray>
#include <QSet>

#include <algorithm>

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

QList<int> without(const QList<int>& cabs, const QList<int>& others)
{
    QList<int> left;
    for (int cab : distinct(cabs)) {
        if (!others.contains(cab))
            left.append(cab);
    }
    return left;
}

QString presetRange(int first, int last, int offset)
{
    return QStringLiteral("presets %1 to %2").arg(first + offset).arg(last + offset);
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
    const auto describe = [](const ScanResult& record, Side& side) {
        side.scanned = record.scannedAt;
        side.model = record.model;
        side.displayOffset = record.displayOffset;
        side.presets = record.presetCount();
        side.cabs = record.cabCount();
        for (int cab = 0; cab < record.cabCount(); ++cab)
            side.cabLabels << record.cabName(static_cast<unsigned short>(cab));
    };
    describe(older, olderSide);
    describe(newer, newerSide);
    for (int preset = 0; preset < newer.presetCount(); ++preset) {
        newerPresetNames << newer.presetName(preset);
        newerPresetNameRead << (newer.presetNameStates.at(preset) == ReadState::Read);
    }
    noteLayouts(older, newer);
    compareCabs(older, newer, std::min(older.cabCount(), newer.cabCount()));
    const int presets = std::min(older.presetCount(), newer.presetCount());
    comparePresets(older, newer, presets);
    findTouched(newer, presets);
}

void ScanComparison::noteLayouts(const ScanResult& older, const ScanResult& newer)
{
    layoutDiffers = older.presetCount() != newer.presetCount()
        || older.cabCount() != newer.cabCount()
        || older.factoryCabCount() != newer.factoryCabCount();
    if (layoutDiffers) {
        noteLines << QStringLiteral("The scans have different layouts (%1 presets and %2 cabs, "
                                    "then %3 presets and %4 cabs): presets are compared by "
                                    "index and cabs by number")
                         .arg(older.presetCount())
                         .arg(older.cabCount())
                         .arg(newer.presetCount())
                         .arg(newer.cabCount());
    }
    for (const ScanResult* record : { &older, &newer }) {
        const ScanResult& other = record == &older ? newer : older;
        QStringList extra;
        if (record->presetCount() > other.presetCount())
            extra << presetRange(
                other.presetCount(), record->presetCount() - 1, record->displayOffset);
        if (record->cabCount() > other.cabCount()) {
            const auto label = [&](int cab) {
                return axefx::cabLabel(static_cast<unsigned short>(cab), record->model);
            };
            extra << QStringLiteral("cabs %1 to %2")
                         .arg(label(other.cabCount()), label(record->cabCount() - 1));
        }
        if (!extra.isEmpty())
            noteLines << QStringLiteral("Only in the %1 scan, not compared: %2")
                             .arg(record == &older ? QStringLiteral("older")
                                                   : QStringLiteral("newer"),
                                 extra.join(QStringLiteral(" and ")));
    }
    if (older.displayOffset != newer.displayOffset)
        noteLines << QStringLiteral("The scans number presets from %1 and from %2: presets are "
                                    "compared by index and numbered as in the newer scan")
                         .arg(older.displayOffset)
                         .arg(newer.displayOffset);
}

void ScanComparison::compareCabs(const ScanResult& older, const ScanResult& newer, int count)
{
    sameName.fill(false, newer.cabCount());
    for (int cab = 0; cab < count; ++cab) {
        const ReadState before = older.cabNameStates.at(cab);
        const ReadState after = newer.cabNameStates.at(cab);
        if (before != ReadState::Read || after != ReadState::Read)
            unknown.append({ NotCompared::CabName, cab,
                QStringLiteral("name ") + stateReason(before, after) });
        else if (older.cabNames.at(cab) != newer.cabNames.at(cab))
            slotList.append({ cab, older.cabNames.at(cab), newer.cabNames.at(cab) });
        else
            sameName[cab] = true;
    }
}

void ScanComparison::comparePresets(const ScanResult& older, const ScanResult& newer, int count)
{
    for (int preset = 0; preset < count; ++preset) {
        ReadState before = older.presetNameStates.at(preset);
        ReadState after = newer.presetNameStates.at(preset);
        if (before != ReadState::Read || after != ReadState::Read)
            unknown.append({ NotCompared::PresetName, preset,
                QStringLiteral("name ") + stateReason(before, after) });
        else if (older.presetNames.at(preset) != newer.presetNames.at(preset))
            renames.append({ preset, older.presetNames.at(preset), newer.presetNames.at(preset) });

        before = older.usageStates.at(preset);
        after = newer.usageStates.at(preset);
        const QList<int>& was = older.presetCabs.at(preset);
        const QList<int>& now = newer.presetCabs.at(preset);
        if (before != ReadState::Read || after != ReadState::Read)
            unknown.append({ NotCompared::PresetCabs, preset,
                QStringLiteral("cabs ") + stateReason(before, after) });
        else if (!without(now, was).isEmpty() || !without(was, now).isEmpty())
            cabChanges.append({ preset, without(now, was), without(was, now) });
    }
}

// A slot whose name is unknown in either scan may have changed: a preset that uses one is
// neither touched nor untouched, unless a slot known to have changed touches it.
void ScanComparison::findTouched(const ScanResult& newer, int count)
{
    QList<int> changed;
    for (const SlotChange& change : slotList)
        changed.append(change.cab);
    for (int preset = 0; preset < count; ++preset) {
        if (newer.usageStates.at(preset) != ReadState::Read)
            continue;
        QList<int> uses, unsure;
        for (int cab : distinct(newer.presetCabs.at(preset))) {
            if (cab < 0 || cab >= newer.cabCount())
                continue;
            if (changed.contains(cab))
                uses.append(cab);
            else if (!sameName.at(cab))
                unsure.append(cab);
        }
        if (!uses.isEmpty()) {
            touched.append({ preset, uses });
        } else if (!unsure.isEmpty()) {
            QStringList labels;
            for (int cab : unsure)
                labels << newerSide.cabLabels.at(cab);
            unknown.append({ NotCompared::SlotsUsed, preset,
                QStringLiteral("uses %1, whose name was not compared")
                    .arg(labels.join(QStringLiteral(", "))) });
        }
    }
}

int ScanComparison::differingEntries() const
{
    QSet<int> presets;
    for (const PresetRename& rename : renames)
        presets.insert(rename.preset);
    for (const CabsChange& change : cabChanges)
        presets.insert(change.preset);
    for (const Touched& preset : touched)
        presets.insert(preset.preset);
    return int(slotList.size() + presets.size());
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

QString ScanComparison::presetKey(int preset) const
{
    return QString::number(preset + newerSide.displayOffset) + QLatin1Char(' ')
        + newerPresetNames.at(preset);
}

QVector<CrossReference::Row> ScanComparison::rows() const
{
    QVector<CrossReference::Row> rows;
    const auto presetRow = [&](int preset, const QStringList& entries) {
        rows.append({ presetKey(preset), entries, !newerPresetNameRead.at(preset) });
    };
    for (const SlotChange& change : slotList)
        rows.append({ newerSide.cabLabels.at(change.cab),
            { QStringLiteral("was ") + olderSide.cabLabels.at(change.cab) }, false });
    for (const Touched& preset : touched) {
        QStringList entries;
        for (int cab : preset.cabs)
            entries << QStringLiteral("uses changed ") + newerSide.cabLabels.at(cab);
        presetRow(preset.preset, entries);
    }
    for (const PresetRename& rename : renames)
        presetRow(rename.preset, { QStringLiteral("renamed from ") + rename.oldName });
    for (const CabsChange& change : cabChanges) {
        QStringList entries;
        for (int cab : change.added)
            entries << QStringLiteral("added ") + newerSide.label(cab);
        for (int cab : change.removed)
            entries << QStringLiteral("removed ") + olderSide.label(cab);
        presetRow(change.preset, entries);
    }
    for (const NotCompared& entry : unknown) {
        const QString key = entry.what == NotCompared::CabName ? newerSide.cabLabels.at(entry.index)
                                                               : presetKey(entry.index);
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

QJsonObject ScanComparison::side(bool newer) const
{
    const Side& s = newer ? newerSide : olderSide;
    QJsonObject object { { "displayOffset", s.displayOffset }, { "presetCount", s.presets },
        { "cabCount", s.cabs } };
    if (s.scanned.isValid())
        object.insert("scanned", s.scanned.toString(Qt::ISODate));
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
    const auto preset = [&](int index) {
        return QJsonObject { { "preset", index }, { "number", index + newerSide.displayOffset },
            { "name", newerPresetNames.at(index) } };
    };
    QJsonArray slotArray, touchedArray, renamedArray, cabsArray, unknownArray;
    for (const SlotChange& change : slotList)
        slotArray.append(QJsonObject { { "cab", change.cab },
            { "label", axefx::cabLabel(static_cast<unsigned short>(change.cab), newerSide.model) },
            { "oldName", change.oldName }, { "newName", change.newName } });
    for (const Touched& entry : touched) {
        QJsonObject object = preset(entry.preset);
        object.insert("changedCabs", labels(entry.cabs, newerSide));
        touchedArray.append(object);
    }
    for (const PresetRename& rename : renames) {
        QJsonObject object = preset(rename.preset);
        object.insert("oldName", rename.oldName);
        renamedArray.append(object);
    }
    for (const CabsChange& change : cabChanges) {
        QJsonObject object = preset(change.preset);
        object.insert("added", labels(change.added, newerSide));
        object.insert("removed", labels(change.removed, olderSide));
        cabsArray.append(object);
    }
    for (const NotCompared& entry : unknown) {
        QJsonObject object = entry.what == NotCompared::CabName
            ? QJsonObject { { "cab", entry.index },
                  { "label", newerSide.cabLabels.at(entry.index) } }
            : preset(entry.index);
        object.insert("what", whatName(entry.what));
        object.insert("reason", entry.reason);
        unknownArray.append(object);
    }
    return QJsonDocument(QJsonObject { { "format", "tollmark-comparison" }, { "formatVersion", 1 },
        { "older", side(false) }, { "newer", side(true) }, { "differs", differs() },
        { "differingEntries", differingEntries() },
        { "notes", QJsonArray::fromStringList(noteLines) }, { "slots", slotArray },
        { "touchedPresets", touchedArray }, { "renamedPresets", renamedArray },
        { "changedCabs", cabsArray }, { "notCompared", unknownArray } });
}
