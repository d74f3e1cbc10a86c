// SPDX-License-Identifier: MIT
// A scan record with names and usages in every state, for the scan file tests and the fuzz
// target's saved-scan reader.
#pragma once

#include "scanresult.h"

// Cabinet 5's name and preset 7's name were not read, nor preset 9's cabinets; the scan
// stopped before preset 300. Every third cabinet is unnamed, and presets use cabinet numbers
// the unit's signed parameter can hold but no slot has.
inline ScanResult scanWithGaps(quint8 model = 3, quint8 offset = 1)
{
    ScanResult result(model, offset);
    result.scannedAt = QDateTime::fromString(QStringLiteral("2026-12-08T06:55:05Z"), Qt::ISODate);
    for (int cab = 0; cab < result.cabCount(); ++cab) {
        result.cabNames[cab] = cab % 3 ? QStringLiteral("Cab %1").arg(cab) : QString();
        result.cabNameStates[cab] = cab == 5 ? ReadState::NotRead : ReadState::Read;
    }
    for (int preset = 0; preset < result.presetCount(); ++preset) {
        const ReadState state = preset < 300 ? ReadState::Read : ReadState::NotReached;
        result.presetNames[preset]
            = state == ReadState::Read ? QStringLiteral("P%1").arg(preset) : QString();
        result.presetNameStates[preset] = preset == 7 ? ReadState::NotRead : state;
        result.setUsage(
            preset, { preset % 240, -preset }, preset == 9 ? ReadState::NotRead : state);
    }
    result.indexCabs();
    return result;
}
