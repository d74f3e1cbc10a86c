// SPDX-License-Identifier: MIT
// Writes a file whole or not at all: the content goes to a new file beside it, which takes
// the old one's place only once every byte of it was written.
#pragma once

#include <functional>

class QByteArray;
class QIODevice;
class QString;

// write fills the device and says whether it succeeded. When the file is not written,
// reason (if given) receives the system's account of why.
bool saveWholeFile(const QString& fileName, const std::function<bool(QIODevice&)>& write,
    QString* reason = nullptr);

// Writes every byte to the device; false when it took fewer, with the device's error set
// where the system gave a reason.
bool writeAll(QIODevice& device, const QByteArray& bytes);
