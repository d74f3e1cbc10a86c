// SPDX-License-Identifier: MIT
// The MIDI input port: every message the library delivers becomes the newest message
// (getLastData()), joins a bounded inbox of messages not yet taken, and raises dataIn().
#pragma once

#include "qrtmidi.h"
#include "qrtmididata.h"

#include <QList>
#include <QMutex>
#include <QReadWriteLock>

#include <atomic>
#include <deque>
#include <vector>

class QObject;
class QRtMidiTrigger;
class RtMidiIn;

/// The library's input callback: hands the message to the QRtMidiIn given as `userData`.
void QRtMidiIn_midiInCallback(
    double timeStamp, std::vector<unsigned char>* message, void* userData);

// Messages arrive on the library's thread; the newest message and the inbox are guarded by
// one lock, so a reader on any thread sees whole messages. Nothing received is lost to a
// reader that takes from the inbox: a reply that arrives before anyone waits, or that is
// followed at once by another message, waits there until taken.
class QRtMidiIn : public QRtMidi {
    Q_OBJECT

public:
    void setRecorder(QRtMidiRecorder* recorder) override;

    /// The number of untaken messages the inbox keeps; beyond it the oldest are dropped.
    static constexpr int kInboxCapacity = 4096;

    QRtMidiIn();
    ~QRtMidiIn() override;

    /// Takes one incoming message; called on the library's thread.
    void midiDataIn(double timeStamp, std::vector<unsigned char>* message);

    /// Makes `receiver`'s `member` (as SLOT() or SIGNAL() writes it) the only receiver of
    /// dataIn().
    void setSlot(const QObject* receiver, const char* member);

    /// Moves the oldest message not yet taken into `out`; false, leaving `out` alone, when
    /// the inbox is empty.
    bool takeMessage(QRtMidiData& out);
    /// Forgets every message not yet taken.
    void clearInbox();
    /// The number of messages not yet taken.
    int pendingCount() const;
    /// A copy of the newest message received, with its arrival time; empty before the first.
    /// Survives close() and init().
    QRtMidiData getLastData() const;

    /// Attaches `trigger`: every later incoming message that matches its pattern is handed
    /// to it on the library's thread, before dataIn(). A trigger is attached at most once;
    /// adding it again moves it to the end of the list. The port does not own the trigger:
    /// the owner must detach it before destroying it.
    void addTrigger(QRtMidiTrigger& trigger);
    /// Detaches `trigger` if it is attached; it is not destroyed.
    void removeTrigger(QRtMidiTrigger& trigger);
    /// Detaches every trigger; init() and the destructor do this too.
    void removeAllTriggers();

signals:
    /// Raised on the library's thread once per message, after it has been stored.
    void dataIn();

protected:
    void setupAfterOpen(unsigned int option) override;
    RtMidi* getRtMidi() const override;
    bool createRtMidiDev() override;
    void destoryRtMidiDev() override;

private:
    void store(const QRtMidiData& message);
    void serveTriggers(const QRtMidiData& message);

    RtMidiIn* rtMidiIn = nullptr;
    // The library keeps the first callback of a client and only warns about a second one.
    bool callbackInstalled = false;

    mutable QMutex dataLock;
    QRtMidiData lastData;
    std::deque<QRtMidiData> inbox;
    // Set from the first message dropped until the inbox has room again, so that a port
    // nobody reads writes one debug line per overflow, not one per message.
    bool overflowing = false;

    // Written on the port's thread, read on the library's; the count lets a port without
    // triggers serve messages without taking the lock.
    QReadWriteLock triggerLock;
    QList<QRtMidiTrigger*> triggers;
    std::atomic<int> triggerCount { 0 };
};
