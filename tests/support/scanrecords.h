// SPDX-License-Identifier: MIT
// A scan record with names and usages in every state, for the scan file tests and the fuzz
// target's saved-scan reader.
#pragma once

#include "scanresult.h"

// Cabinet 5's name and preset 7's name were not read, and preset 9's cabinets only in part; the
// scan stopped before preset 300. Every third cabinet is unnamed, and presets use cabinet numbers
// the unit's signed parameter can hold but no slot has.
inline ScanResult scanWithGaps(quint8 model = 3, quint8 offset = 1)
{
    ScanResult result(model, offset);
    result.scannedAt = QDateTime::fromString(QStringLiteral("2026-12-08T06:55:05Z"), Qt::ISODate);
    for (int cab = 0; cab < result.cabCount(); ++cab) {
        result.cabNameStates[cab] = cab == 5 ? ReadState::NotRead : ReadState::Read;
        if (cab % 3 && cab != 5)
            result.cabNames[cab] = QStringLiteral("Cab %1").arg(cab);
    }
    for (int preset = 0; preset < result.presetCount(); ++preset) {
        const ReadState reached = preset < 300 ? ReadState::Read : ReadState::NotReached;
        const ReadState name = preset == 7 ? ReadState::NotRead : reached;
        const ReadState usage = preset == 9 ? ReadState::NotRead : reached;
        result.presetNameStates[preset] = name;
        if (name == ReadState::Read)
            result.presetNames[preset] = QStringLiteral("P%1").arg(preset);
        // The first cabinet in X, the second in Y.
        const QList<int> x { preset % result.cabCount() }, y { -preset }, none;
        const bool asked = usage != ReadState::NotReached;
        result.setUsage(preset, asked ? x + y : none, asked ? x : none, asked ? y : none, usage);
    }
    result.indexCabs();
    return result;
}
