// SPDX-License-Identifier: MIT
// A pattern over the hexadecimal text of incoming messages: an input port hands it every
// matching message, which it queues (at most kQueueLimit), wakes its waiters and, if asked,
// requests a deferred slot call.
#pragma once

#include "qrtmididata.h"

#include <QList>
#include <QMutex>
#include <QRegExp>
#include <QString>
#include <QWaitCondition>

#include <atomic>
#include <climits>

class QObject;
class WynSignal;

// The trigger is matched and served on the MIDI library's thread while wait() and dequeue()
// may run on any thread. It must stay alive while it is attached to a port: detaching it
// (QRtMidiIn::removeTrigger() or removeAllTriggers()) before destroying it is the owner's
// duty. The trigger owns its deferred call and deletes it with itself.
class QRtMidiTrigger {
public:
    /// The number of matched messages a trigger keeps; later ones are dropped until
    /// dequeue() makes room.
    static constexpr int kQueueLimit = 200;

    /// A trigger on a pattern text; see setRegExp() for the notation.
    explicit QRtMidiTrigger(const QString& pattern);

    /// A trigger on a pattern text that also posts a call of the slot `member` of `receiver`
    /// on every match, with the trigger itself as the slot's void* argument. The member is
    /// written as SLOT(name(void*)); the call runs later on the receiver's thread.
    QRtMidiTrigger(const QString& pattern, const QObject* receiver, const char* member);

    /// A trigger on the exact byte sequence of `data`: it matches every message whose
    /// hexadecimal text contains the text of `data`.
    explicit QRtMidiTrigger(const QRtMidiData& data);

    /// Must not run while the trigger is attached to a port or a thread waits in wait().
    /// Deferred calls still queued are dropped; one running on another thread is waited for.
    ~QRtMidiTrigger();

    QRtMidiTrigger(const QRtMidiTrigger&) = delete;
    QRtMidiTrigger& operator=(const QRtMidiTrigger&) = delete;

    /// Replaces the pattern and empties the queue. Blanks and every "0x" are removed from
    /// the text first, so "F0 00 01 74" and "0xF0 0x00 0x01 0x74" are the same pattern; the
    /// rest is a case-sensitive regular expression searched anywhere in the message's
    /// upper-case hexadecimal text (F07EF7 for F0 7E F7). Hexadecimal letters must therefore
    /// be upper case, and a match need not start on a byte boundary. Safe while the trigger
    /// is attached to an open port.
    void setRegExp(const QString& pattern);

    /// Matches the message and, on a match, serves it as handler() does, with the pattern
    /// and the queue under one lock so that a message matched by a replaced pattern is never
    /// queued after setRegExp() has emptied the queue. Returns whether it matched. This is
    /// what a port calls for every incoming message.
    bool offer(const QRtMidiData& message);

    /// Serves one matching message: queues a copy of it (dropping it with the debug line
    /// "QRtTriggerChannel Overflow: " when kQueueLimit messages are already queued), wakes
    /// the threads sleeping in wait(), and posts the deferred call if the trigger has one.
    /// The waiters are woken and the call is posted also for a dropped message.
    void handler(const QRtMidiData& message);

    /// Takes the oldest queued message into `out`; false, leaving `out` alone, when the
    /// queue is empty.
    bool dequeue(QRtMidiData& out);

    /// Sleeps until the next match or until `ms` milliseconds have passed (ULONG_MAX: no
    /// time limit); true when woken by a match. Messages queued before the call do not end
    /// it, so a consumer dequeues first and waits only when the queue is empty.
    bool wait(unsigned long ms = ULONG_MAX);

    /// Forgets that a thread waited: after a timed-out wait() the next match otherwise
    /// only clears that mark.
    void reset();

    /// True from a wait() until the next match or reset(), also after that wait() timed out;
    /// while it is true a match wakes every thread sleeping in wait().
    bool isWaiting() const { return waiting; }

private:
    void serveLocked(const QRtMidiData& message);
    void wakeWaiters();
    void lockWaitMutex();

    QRegExp pattern;
    QWaitCondition waitCondition;
    QList<QRtMidiData> queue;
    // Guards queue and pattern; held by the handler for its whole run.
    mutable QMutex queueMutex;
    QMutex waitMutex;
    // Written under waitMutex; read without it by the handler's try-lock loop.
    std::atomic<bool> waiting { false };
    WynSignal* slotCall = nullptr;
};
