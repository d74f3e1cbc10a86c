// SPDX-License-Identifier: MIT
// The MIDI trace of a scan, for an owner to send when the unit behaves unexpectedly: every
// message the link's ports send and receive from restart() on, behind a header that names the
// releases, the MIDI service, the ports and the unit's model byte.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class AxeFX;
class QRtMidiRecorder;

class ScanTrace {
public:
    // Records the link's ports until destroyed.
    explicit ScanTrace(AxeFX& link);
    ~ScanTrace();
    ScanTrace(const ScanTrace&) = delete;
    ScanTrace& operator=(const ScanTrace&) = delete;

    // Forgets what was recorded, as each scan of the window does.
    void restart();
    bool isEmpty() const;
    QByteArray text() const;
    // Written whole or not at all; otherwise false with the reason, if asked for.
    bool save(const QString& fileName, QString* reason = nullptr) const;

private:
    AxeFX& link;
    std::unique_ptr<QRtMidiRecorder> recorder;
};
