// SPDX-License-Identifier: MIT
// How the program names the unit's cabinet numbers, in the layout a model byte selects.
#pragma once

#include <QtGlobal>

class QString;

namespace axefx {
// The cabinet's label in the layout of a model: "F1" for the first factory cabinet, "U1" for
// the first user slot.
QString cabLabel(unsigned short cab, quint8 layoutModel);
} // namespace axefx
