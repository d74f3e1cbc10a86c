// SPDX-License-Identifier: MIT
#include "wholefile.h"

#include <QSaveFile>

bool saveWholeFile(
    const QString& fileName, const std::function<bool(QIODevice&)>& write, QString* reason)
{
    QSaveFile file(fileName);
    bool written = file.open(QIODevice::WriteOnly);
    if (written && (!write(file) || file.error() != QFileDevice::NoError)) {
        file.cancelWriting();
        written = false;
    }
    written = written && file.commit();
    if (!written && reason)
        *reason = file.errorString();
    return written;
}

bool writeAll(QIODevice& device, const QByteArray& bytes)
{
    return device.write(bytes) == bytes.size();
}
