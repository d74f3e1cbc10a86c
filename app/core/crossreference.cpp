// SPDX-License-Identifier: MIT
#include "crossreference.h"

#include "scanresult.h"
#include "unusedcabs.h"

CrossReference::CrossReference(const ScanResult& result)
    : result(result)
{
    for (ReadState state : { ReadState::NotRead, ReadState::NotReached }) {
        if (result.usageStates.contains(state))
            usageMarks.append(ScanResult::mark(state));
    }
}

bool CrossReference::Row::contains(const QString& text) const
{
    if (key.contains(text, Qt::CaseInsensitive))
        return true;
    for (const QString& entry : entries) {
        if (entry.contains(text, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString CrossReference::title(View view)
{
    switch (view) {
    case PresetCabs:
        break;
    case CabPresets:
        return QStringLiteral("Cab -> Presets");
    case UnusedCabs:
        return QStringLiteral("Unused user cabs");
    case Changes:
        return QStringLiteral("Changes");
    }
    return QStringLiteral("Preset -> Cabs");
}

QStringList CrossReference::headers(View view)
{
    switch (view) {
    case PresetCabs:
        break;
    case CabPresets:
        return { QStringLiteral("Cab"), QStringLiteral("Presets") };
    case UnusedCabs:
        return { QStringLiteral("Unused user cab") };
    case Changes:
        return { QStringLiteral("Entry"), QStringLiteral("Change") };
    }
    return { QStringLiteral("Preset"), QStringLiteral("Cabs") };
}

QVector<CrossReference::Row> CrossReference::rows(View view) const
{
    if (view == UnusedCabs)
        return unusedRows();
    if (view == Changes)
        return {};
    const int count = view == PresetCabs ? result.presetCount() : result.cabCount();
    QVector<Row> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i)
        rows.append(view == PresetCabs ? presetRow(i) : cabRow(i));
    return rows;
}

CrossReference::Row CrossReference::presetRow(int preset) const
{
    Row row;
    row.key = presetNumber(preset) + QLatin1Char(' ') + result.presetName(preset);
    row.marked = result.presetNameStates.at(preset) != ReadState::Read;
    // Numbers outside the cabinet range are labelled as the device would read them, as
    // unsigned 16-bit values.
    for (int cab : result.presetCabs.at(preset)) {
        const auto number = static_cast<unsigned short>(cab);
        row.entries.append(result.cabName(number));
        row.marked = row.marked || result.cabNameStates.value(number) != ReadState::Read;
    }
    const ReadState usage = result.usageStates.at(preset);
    if (usage != ReadState::Read) {
        row.entries.append(ScanResult::mark(usage));
        row.marked = true;
    }
    return row;
}

CrossReference::Row CrossReference::cabRow(int cab) const
{
    Row row;
    row.key = result.cabName(static_cast<unsigned short>(cab));
    row.marked = result.cabNameStates.at(cab) != ReadState::Read || !usageMarks.isEmpty();
    for (int preset : result.cabPresets.at(cab)) {
        const ReadState name = result.presetNameStates.at(preset);
        const QString inside
            = name == ReadState::Read ? result.presetNames.at(preset) : ScanResult::stateText(name);
        row.entries.append(presetNumber(preset) + QLatin1Char('(') + inside + QLatin1Char(')'));
        row.marked = row.marked || name != ReadState::Read;
    }
    row.entries += usageMarks;
    return row;
}

QVector<CrossReference::Row> CrossReference::unusedRows() const
{
    QVector<Row> rows;
    for (int cab : unusedUserCabs(result)) {
        Row row;
        row.key = result.cabName(static_cast<unsigned short>(cab));
        row.marked = result.cabNameStates.at(cab) != ReadState::Read;
        rows.append(row);
    }
    return rows;
}

QString CrossReference::presetNumber(int preset) const
{
    return QString::number(preset + result.displayOffset);
}
