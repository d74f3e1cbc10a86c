// SPDX-License-Identifier: MIT
#include "wynsignal.h"

#include <QByteArray>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QRecursiveMutex>
#include <QtGlobal>

#include <cstring>

namespace {

// The leading code character of SLOT(); SIGNAL() writes '2'.
constexpr char kSlotCode = '1';

} // namespace

// Shared by the WynSignal, its connection to the receiver's destruction and every posted
// call, so that each of them can still look at it when the others are gone.
struct WynSignal::Target {
    // Held while a call is posted and while the receiver's destruction forgets it.
    QMutex receiverLock;
    QObject* receiver = nullptr;
    QByteArray member;
    // Held while a posted call runs and while the WynSignal forgets the argument; recursive
    // because a slot may destroy the argument's owner.
    QRecursiveMutex argumentLock;
    void* argument = nullptr;
    bool owned = true;
};

WynSignal::WynSignal(const QObject* receiver, const char* member, void* argument)
    : target(std::make_shared<Target>())
{
    const char* paren = member ? std::strchr(member, '(') : nullptr;
    if (!paren || member[0] != kSlotCode) {
        qWarning("WynSignal - Invalid member specification");
        return;
    }
    if (!receiver)
        return;
    target->member = QByteArray(member + 1, int(paren - member - 1));
    target->receiver = const_cast<QObject*>(receiver);
    target->argument = argument;
    // Runs in the receiver's destructor, on its thread, before Qt drops its posted events.
    receiverGone = QObject::connect(receiver, &QObject::destroyed, [t = target] {
        QMutexLocker lock(&t->receiverLock);
        t->receiver = nullptr;
    });
}

WynSignal::~WynSignal()
{
    QObject::disconnect(receiverGone);
    QMutexLocker lock(&target->argumentLock);
    target->owned = false;
}

void WynSignal::invoke() const
{
    QMutexLocker lock(&target->receiverLock);
    QObject* receiver = target->receiver;
    if (!receiver)
        return;
    // Runs on the receiver's thread, where the receiver cannot go away under the call.
    QMetaObject::invokeMethod(
        receiver,
        [t = target, receiver] {
            QMutexLocker lock(&t->argumentLock);
            if (t->owned)
                QMetaObject::invokeMethod(receiver, t->member.constData(), Qt::DirectConnection,
                    Q_ARG(void*, t->argument));
        },
        Qt::QueuedConnection);
}

bool WynSignal::isValid() const
{
    QMutexLocker lock(&target->receiverLock);
    return target->receiver != nullptr;
}
