// SPDX-License-Identifier: MIT
#include "wholefile.h"

#include <QSaveFile>
#include <QString>

bool saveWholeFile(
    const QString& fileName, const std::function<bool(QIODevice&)>& write, QString* reason)
{
    QSaveFile file(fileName);
    bool written = file.open(QIODevice::WriteOnly);
    QString why;
    if (written && (!write(file) || file.error() != QFileDevice::NoError)) {
        // Cancelling puts its own words in place of the system's reason for a failed write.
        if (file.error() != QFileDevice::NoError)
            why = file.errorString();
        file.cancelWriting();
        written = false;
    }
    written = written && file.commit();
    if (!written && reason)
        *reason = why.isEmpty() ? file.errorString() : why;
    return written;
}

bool writeAll(QIODevice& device, const QByteArray& bytes)
{
    // A file system that took part of the bytes says why it takes no more only when asked to
    // take the rest.
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = device.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}
