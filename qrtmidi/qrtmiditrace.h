// SPDX-License-Identifier: MIT
// A MIDI trace: every message sent and received on a pair of ports, one a line as plain text
// ("12.345 out F0 00 01 74 ..."), after a header of "#" lines. The recorder that the ports
// feed while a trace is taken, and the reader of such a text.
#pragma once

#include "qrtmididata.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

struct QRtMidiTraceEntry {
    double ms = 0; // from the start of the trace
    bool sent = false; // out to the port, or in from it
    QByteArray bytes;

    bool operator==(const QRtMidiTraceEntry& other) const
    {
        return ms == other.ms && sent == other.sent && bytes == other.bytes;
    }
};

namespace qrtmiditrace {
/// The text of a trace: each header line after "# ", then one line an entry.
QByteArray toText(const QStringList& header, const QList<QRtMidiTraceEntry>& entries);
/// Reads the entries of a trace's text; "#" lines and blank lines are passed over. False, and
/// in `error` the first damaged line's number and what is wrong with it, for a text that is
/// not a trace; `entries` then holds the lines before it.
bool parse(const QByteArray& text, QList<QRtMidiTraceEntry>* entries, QString* error);
} // namespace qrtmiditrace

// Fed by the ports on their own threads (the library's for arrivals), so every entry is taken
// under a lock; a port without a recorder pays one null check a message.
class QRtMidiRecorder {
public:
    QRtMidiRecorder();

    /// Forgets what was recorded and starts the clock again.
    void restart();
    void record(bool sent, const QRtMidiData& message);
    QList<QRtMidiTraceEntry> entries() const;

private:
    mutable QMutex lock;
    QElapsedTimer clock;
    QList<QRtMidiTraceEntry> recorded;
};
