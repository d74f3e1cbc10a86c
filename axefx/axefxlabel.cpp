// SPDX-License-Identifier: MIT
#include "axefxlabel.h"

#include "axefxmessage.h"

#include <QString>

QString axefx::cabLabel(unsigned short cab, quint8 layoutModel)
{
    const int factory = layoutOf(layoutModel).factoryCabs;
    return cab < factory ? QStringLiteral("F%1").arg(cab + 1)
                         : QStringLiteral("U%1").arg(cab + 1 - factory);
}
