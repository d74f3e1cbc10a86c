// SPDX-License-Identifier: MIT
// The names and numbers a cross-reference view is labelled with: the device's counts, its
// preset and cabinet names, and the offset that turns a preset index into the number shown.
#pragma once

#include <QString>

class Catalogue {
public:
    virtual ~Catalogue() = default;

    virtual int presetCount() const = 0;
    virtual int cabCount() const = 0;
    // Cabinet numbers below this are factory cabinets, the rest user slots.
    virtual int factoryCabCount() const = 0;
    virtual int displayOffset() const = 0;
    virtual QString presetName(int index) const = 0;
    // The cabinet's label and name, as in "F1(name)" or "U5()".
    virtual QString cabName(unsigned short number) const = 0;
    // The cabinet's name alone, empty for an empty slot.
    virtual QString bareCabName(unsigned short number) const = 0;
};
