// SPDX-License-Identifier: MIT
#include "unusedcabs.h"

#include "scanresult.h"

#include <QStringList>

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

QString unusedUnknownReason(const ScanResult& result)
{
    const int notRead = result.presets(ReadState::NotRead).size();
    const int notReached = result.presets(ReadState::NotReached).size();
    QStringList why;
    if (notRead > 0)
        why << QStringLiteral("the cabs of %1 could not be read")
                   .arg(ScanResult::presetsText(notRead));
    if (notReached > 0)
        why << QStringLiteral("the scan did not reach %1").arg(ScanResult::presetsText(notReached));
    if (result.isEmpty() || why.isEmpty())
        return QString();
    return QStringLiteral("No slot is known to be unused: ") + why.join(QStringLiteral(" and "));
}
