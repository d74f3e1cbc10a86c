// SPDX-License-Identifier: MIT
// The MIDI output port: sends QRtMidiData buffers (whole, from hex text, or cut into pieces
// with pauses) and announces each message it has handed to the library on dataOutMonitor().
#pragma once

#include "qrtmidi.h"
#include "qrtmididata.h"

class QString;
class RtMidiOut;

class QRtMidiOut : public QRtMidi {
    Q_OBJECT

public:
    QRtMidiOut();
    ~QRtMidiOut() override;

    /// Whether the last message given to dataOut() was handed to the library; false when it
    /// was dropped (no client, an empty message, or no room in the service's buffer) or the
    /// library reported the send failed.
    bool lastMessageSent() const { return lastSent; }

signals:
    /// Raised on the sending thread after `data` has been handed to the library.
    void dataOutMonitor(const QRtMidiData& data);

public slots:
    /// Sends `data` as one message, in order and unchanged, without waiting. Does nothing
    /// without a client; needs no open port. An error of the library while sending is
    /// reported by lastMessageSent() instead of thrown.
    void dataOut(const QRtMidiData& data);
    /// Sends the message written as hex text in `hexStr` (read as UTF-8).
    void dataOut(const QString& hexStr);
    /// Sends the message written as hex text in `hexStr`.
    void dataOut(const char* hexStr);
    /// Sends `data` in pieces of at most `maxMsg` bytes, each its own message, pausing
    /// `delayPerMsg` ms after every piece; whole and without pause when `maxMsg` is not
    /// positive or `data` fits in one piece. Blocks the calling thread for the pauses.
    void dataOutSplit(const QRtMidiData& data, int maxMsg, int delayPerMsg);

protected:
    RtMidi* getRtMidi() const override;
    bool createRtMidiDev() override;
    void destoryRtMidiDev() override;

private:
    RtMidiOut* rtMidiOut = nullptr;
    bool lastSent = false;
};
