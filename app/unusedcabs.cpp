// SPDX-License-Identifier: MIT
#include "unusedcabs.h"

#include "catalogue.h"

QList<int> unusedUserCabs(const Catalogue& names, const UsageLists& cabPresets)
{
    QList<int> named;
    QList<int> empty;
    const int end = qMin(names.cabCount(), cabPresets.size());
    for (int cab = names.factoryCabCount(); cab < end; ++cab) {
        if (!cabPresets.at(cab).isEmpty())
            continue;
        if (names.bareCabName(static_cast<unsigned short>(cab)).isEmpty())
            empty.append(cab);
        else
            named.append(cab);
    }
    return named + empty;
}
