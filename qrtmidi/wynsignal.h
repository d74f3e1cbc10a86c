// A deferred call of one slot of a receiver with a single void* argument, posted through
// Qt's queued invocation so that it runs later on the receiver's own thread.
#pragma once

#include <QByteArray>
#include <QPointer>

class QObject;

class WynSignal {
public:
    /// Prepares calls of the slot `member` of `receiver` with `argument`. The member is a
    /// slot signature as SLOT() writes it, e.g. SLOT(onMatch(void*)); the slot must take
    /// one void* parameter. A signal's signature, or one without a parameter list, is
    /// refused with the warning "WynSignal - Invalid member specification", and every later
    /// invoke() does nothing.
    WynSignal(const QObject* receiver, const char* member, void* argument);

    /// Posts one call of the slot to the receiver's event queue and returns at once; the
    /// call runs when the receiver's thread next processes events. Does nothing when the
    /// member was refused or the receiver has been destroyed. Safe to call from
    /// any thread.
    void invoke() const;

    /// True when the member was accepted and the receiver still exists.
    bool isValid() const { return !receiver.isNull(); }

private:
    // Guarded, so that a receiver destroyed before the next match is not called.
    QPointer<QObject> receiver;
    QByteArray member;
    void* argument = nullptr;
};
