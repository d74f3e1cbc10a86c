// SPDX-License-Identifier: MIT
#include "scanresult.h"

#include "axefxlabel.h"
#include "axefxmessage.h"

#include <QStringList>

#include <algorithm>

ScanResult::ScanResult(quint8 model, quint8 displayOffset)
    : model(model)
    , displayOffset(displayOffset)
{
    const axefx::Layout layout = axefx::layoutOf(model);
    cabNames.resize(layout.cabs);
    cabNameStates.fill(ReadState::NotReached, layout.cabs);
    presetNames.resize(layout.presets);
    presetNameStates.fill(ReadState::NotReached, layout.presets);
    presetCabs.resize(layout.presets);
    usageStates.fill(ReadState::NotReached, layout.presets);
    presetCabsX.resize(layout.presets);
    presetCabsY.resize(layout.presets);
    cabPresets.resize(layout.cabs);
}

bool ScanResult::isComplete() const
{
    return !isEmpty() && count(ReadState::NotReached) == 0;
}

int ScanResult::factoryCabCount() const
{
    return isEmpty() ? 0 : axefx::layoutOf(model).factoryCabs;
}

QString ScanResult::presetName(int preset) const
{
    const ReadState state = presetNameStates.value(preset, ReadState::NotReached);
    return state == ReadState::Read ? presetNames.at(preset) : mark(state);
}

QString ScanResult::cabName(unsigned short cab) const
{
    const ReadState state = cabNameStates.value(cab, ReadState::Read);
    const QString inside = state == ReadState::Read ? cabNames.value(cab) : stateText(state);
    return axefx::cabLabel(cab, model) + QLatin1Char('(') + inside + QLatin1Char(')');
}

QString ScanResult::bareCabName(unsigned short cab) const
{
    return cabNameStates.value(cab, ReadState::Read) == ReadState::Read ? cabNames.value(cab)
                                                                        : QString();
}

void ScanResult::setUsage(int preset, const QList<int>& cabs, ReadState state)
{
    if (preset < 0 || preset >= presetCabs.size())
        return;
    presetCabs[preset] = cabs;
    usageStates[preset] = state;
}

void ScanResult::setUsage(
    int preset, const QList<int>& cabs, const QList<int>& x, const QList<int>& y, ReadState state)
{
    setUsage(preset, cabs, state);
    if (preset < 0 || preset >= presetCabsX.size() || preset >= presetCabsY.size())
        return;
    presetCabsX[preset] = x;
    presetCabsY[preset] = y;
}

void ScanResult::indexCabs()
{
    cabPresets = UsageLists(cabNames.size());
    for (int preset = 0; preset < presetCabs.size(); ++preset) {
        for (int cab : presetCabs.at(preset)) {
            // Numbers outside the cabinet range stay only in the preset's own list.
            if (cab >= 0 && cab < cabPresets.size())
                cabPresets[cab].append(preset);
        }
    }
}

int ScanResult::count(ReadState state) const
{
    return int(std::count(cabNameStates.begin(), cabNameStates.end(), state)
        + std::count(presetNameStates.begin(), presetNameStates.end(), state)
        + std::count(usageStates.begin(), usageStates.end(), state));
}

QList<int> ScanResult::presets(ReadState state) const
{
    QList<int> found;
    for (int preset = 0; preset < usageStates.size(); ++preset) {
        if (usageStates.at(preset) == state)
            found.append(preset);
    }
    return found;
}

int ScanResult::presetsReached() const
{
    return presetCount() - presets(ReadState::NotReached).size();
}

QString ScanResult::stateText(ReadState state)
{
    switch (state) {
    case ReadState::Read:
        break;
    case ReadState::NotRead:
        return QStringLiteral("not read");
    case ReadState::NotReached:
        return QStringLiteral("not reached");
    }
    return QString();
}

QString ScanResult::mark(ReadState state)
{
    return state == ReadState::Read ? QString()
                                    : QLatin1Char('(') + stateText(state) + QLatin1Char(')');
}

QString ScanResult::presetsText(int count)
{
    return count == 1 ? QStringLiteral("1 preset") : QStringLiteral("%1 presets").arg(count);
}

QString ScanResult::presetsReadText() const
{
    return QStringLiteral("%1 of %2 presets read")
        .arg(presets(ReadState::Read).size())
        .arg(presetCount());
}

QString ScanResult::notReadText() const
{
    const int notRead = count(ReadState::NotRead);
    QStringList parts;
    if (notRead > 0)
        parts << (notRead == 1 ? QStringLiteral("1 entry could not be read")
                               : QStringLiteral("%1 entries could not be read").arg(notRead));
    if (!displayOffsetRead)
        parts << QStringLiteral("the display offset could not be read, so preset numbers may be "
                                "one off");
    return parts.join(QStringLiteral("; "));
}

bool operator==(const ScanResult& a, const ScanResult& b)
{
    return a.model == b.model && a.displayOffset == b.displayOffset
        && a.displayOffsetRead == b.displayOffsetRead && a.scannedAt == b.scannedAt
        && a.cabNames == b.cabNames && a.cabNameStates == b.cabNameStates
        && a.presetNames == b.presetNames && a.presetNameStates == b.presetNameStates
        && a.presetCabs == b.presetCabs && a.usageStates == b.usageStates
        && a.presetCabsX == b.presetCabsX && a.presetCabsY == b.presetCabsY
        && a.sidesKept == b.sidesKept && a.cabPresets == b.cabPresets;
}
