// SPDX-License-Identifier: MIT
// A deferred call of one slot of a receiver with a single void* argument, posted through
// Qt's queued invocation so that it runs later on the receiver's own thread.
#pragma once

#include <QMetaObject>

#include <memory>

class QObject;

// invoke() runs on the MIDI library's thread while the receiver may be destroyed on its own
// thread, and a posted call may still wait in the receiver's queue when the object that
// owns the argument (a trigger) is destroyed. Neither ends in a call on a destroyed object:
// the receiver's destruction and a post exclude each other, and a posted call checks, on
// the receiver's thread, that its WynSignal still exists before calling.
class WynSignal {
public:
    /// Prepares calls of the slot `member` of `receiver` with `argument`. The member is a
    /// slot signature as SLOT() writes it, e.g. SLOT(onMatch(void*)); the slot must take
    /// one void* parameter. A signal's signature, or one without a parameter list, is
    /// refused with the warning "WynSignal - Invalid member specification", and every later
    /// invoke() does nothing.
    WynSignal(const QObject* receiver, const char* member, void* argument);

    /// Calls posted before and not yet run are dropped. Waits while one of them runs on
    /// another thread; one running on this thread (its slot destroying the argument's
    /// owner) goes on without the argument being handed out again.
    ~WynSignal();

    WynSignal(const WynSignal&) = delete;
    WynSignal& operator=(const WynSignal&) = delete;

    /// Posts one call of the slot to the receiver's event queue and returns at once; the
    /// call runs when the receiver's thread next processes events. Does nothing when the
    /// member was refused or the receiver has been destroyed. Safe to call from any thread.
    void invoke() const;

    /// True when the member was accepted and the receiver still exists.
    bool isValid() const;

private:
    struct Target;
    std::shared_ptr<Target> target;
    QMetaObject::Connection receiverGone;
};
