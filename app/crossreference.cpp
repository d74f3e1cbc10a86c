// SPDX-License-Identifier: MIT
#include "crossreference.h"

#include "catalogue.h"

CrossReference::CrossReference(
    const Catalogue& names, const UsageLists& presetCabs, const UsageLists& cabPresets)
    : names(names)
    , presetCabs(presetCabs)
    , cabPresets(cabPresets)
{ }

void CrossReference::startScan(
    UsageLists& presetCabs, UsageLists& cabPresets, int presetCount, int cabCount)
{
    presetCabs.clear();
    cabPresets.clear();
    presetCabs.resize(presetCount);
    cabPresets.resize(cabCount);
}

void CrossReference::addPreset(
    UsageLists& presetCabs, UsageLists& cabPresets, int preset, const QList<int>& cabs)
{
    if (preset < 0 || preset >= presetCabs.size())
        return;
    presetCabs[preset] = cabs;
    for (int cab : cabs) {
        if (cab >= 0 && cab < cabPresets.size())
            cabPresets[cab].append(preset);
    }
}

QStringList CrossReference::headers(View view)
{
    if (view == PresetCabs)
        return { QStringLiteral("Preset"), QStringLiteral("Cabs") };
    return { QStringLiteral("Cab"), QStringLiteral("Presets") };
}

QVector<CrossReference::Row> CrossReference::rows(View view, Extent extent) const
{
    const UsageLists& lists = view == PresetCabs ? presetCabs : cabPresets;
    int count = lists.size();
    if (extent == Full)
        count = view == PresetCabs ? names.presetCount() : names.cabCount();

    QVector<Row> result;
    result.reserve(count);
    for (int i = 0; i < count; ++i)
        result.append(view == PresetCabs ? presetRow(i) : cabRow(i));
    return result;
}

CrossReference::Row CrossReference::presetRow(int preset) const
{
    Row row;
    row.key = presetNumber(preset) + QLatin1Char(' ') + names.presetName(preset);
    if (preset < presetCabs.size()) {
        // Numbers outside the cabinet range are labelled as the device would read them,
        // as unsigned 16-bit values.
        for (int cab : presetCabs.at(preset))
            row.entries.append(names.cabName(static_cast<unsigned short>(cab)));
    }
    return row;
}

CrossReference::Row CrossReference::cabRow(int cab) const
{
    Row row;
    row.key = names.cabName(static_cast<unsigned short>(cab));
    if (cab < cabPresets.size()) {
        for (int preset : cabPresets.at(cab)) {
            row.entries.append(presetNumber(preset) + QLatin1Char('(') + names.presetName(preset)
                + QLatin1Char(')'));
        }
    }
    return row;
}

QString CrossReference::presetNumber(int preset) const
{
    return QString::number(preset + names.displayOffset());
}
