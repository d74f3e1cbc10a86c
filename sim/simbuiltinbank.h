// SPDX-License-Identifier: MIT
// The deterministic bank a simulated unit holds when no bank file is given: realistic names,
// every way a preset can use its cabinet blocks, some empty user cabinet slots.
#pragma once

#include "simbank.h"

class SimBuiltInBank {
public:
    /// Preset numbers with a particular make-up, so tests can find them without searching.
    static constexpr int kNoCabPreset = 0; // blocks, but no cabinet block
    static constexpr int kSameXYPreset = 1; // block 1, X and Y the same cabinet, mode 1
    static constexpr int kXDiffersYPreset = 2; // block 1, X and Y different
    static constexpr int kSecondCabPreset = 3; // block 1, mode 2 with a second cabinet in X
    static constexpr int kBothBlocksPreset = 4; // blocks 1 and 2
    static constexpr int kBlock2OnlyPreset = 5; // block 2 alone
    static constexpr int kUserCabPreset = 6; // block 1 with user cabinets
    static constexpr int kEmptyPreset = 7; // empty grid, empty name
    static constexpr int kBlanksNamePreset = 3; // name with outer and doubled blanks
    static constexpr int kSeparatorsNamePreset = 4; // name holding ";" and ","
    static constexpr int kQuoteNamePreset = 5; // name holding a double quote

    static SimBank make(quint8 model);

private:
    static void fillCabNames(SimBank& bank);
    static void fillPresets(SimBank& bank);
    static void fillParams(SimBank& bank);
};
