// SPDX-License-Identifier: MIT
// Reads a scan saved by JsonExport back into a record, so that a scan can be looked at again
// without the unit. The file is outside input: every value is checked, and a file that is
// refused leaves the caller's record as it was, with one line saying why.
#pragma once

#include <QByteArray>
#include <QString>

class ScanResult;

class JsonImport {
public:
    // Larger files are refused before they are read: a whole scan of the larger layout takes
    // a few megabytes at most.
    static constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

    // Fills result from a document of JsonExport::document(). Members it does not know are
    // passed over, so that files of later versions open as long as they hold what it needs.
    static bool read(const QByteArray& json, ScanResult& result, QString& reason);
    // The same from a file.
    static bool load(const QString& fileName, ScanResult& result, QString& reason);
};
