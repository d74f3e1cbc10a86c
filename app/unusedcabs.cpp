// SPDX-License-Identifier: MIT
#include "unusedcabs.h"

#include "scanresult.h"

QList<int> unusedUserCabs(const ScanResult& result)
{
    if (result.isEmpty() || result.usageStates.contains(ReadState::NotRead)
        || result.usageStates.contains(ReadState::NotReached))
        return {};
    QList<int> named;
    QList<int> empty;
    for (int cab = result.factoryCabCount(); cab < result.cabCount(); ++cab) {
        if (!result.cabPresets.at(cab).isEmpty())
            continue;
        // A slot whose name was not read may hold a cabinet: it goes with the named ones.
        const bool known = result.cabNameStates.at(cab) == ReadState::Read;
        if (known && result.cabNames.at(cab).isEmpty())
            empty.append(cab);
        else
            named.append(cab);
    }
    return named + empty;
}
