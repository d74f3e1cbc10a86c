// SPDX-License-Identifier: MIT
#include "wholefile.h"

#include <QSaveFile>

bool saveWholeFile(
    const QString& fileName, const std::function<bool(QIODevice&)>& write, QString* reason)
{
    QSaveFile file(fileName);
    bool written = file.open(QIODevice::WriteOnly);
    const bool filled = written && write(file);
    // Cancelling puts its own words in the place of the system's: "File too large" and the
    // like must reach the user.
    const QString failure = file.error() != QFileDevice::NoError ? file.errorString() : QString();
    if (written && (!filled || !failure.isEmpty())) {
        file.cancelWriting();
        written = false;
    }
    written = written && file.commit();
    if (!written && reason)
        *reason = failure.isEmpty() ? file.errorString() : failure;
    return written;
}
