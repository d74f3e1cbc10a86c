// SPDX-License-Identifier: MIT
// The user cabinet slots that no preset uses: where new cabinets can be loaded without
// changing any preset. Meaningful only after a scan has read every preset.
#pragma once

#include "crossreference.h"

class Catalogue;

// The slot numbers, named slots first and empty ones after them, each group in ascending
// order. A slot beyond the scanned lists counts as unknown, not as unused.
QList<int> unusedUserCabs(const Catalogue& names, const UsageLists& cabPresets);
