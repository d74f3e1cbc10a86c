// SPDX-License-Identifier: MIT
#include "qrtmiditrigger.h"

#include "wynsignal.h"

#include <QDebug>
#include <QThread>

namespace {

constexpr unsigned long kHandlerBackoffMs = 1;

QString normalisedPattern(QString text)
{
    text.remove(QLatin1Char(' '));
    text.remove(QLatin1String("0x"), Qt::CaseSensitive);
    return text;
}

} // namespace

QRtMidiTrigger::QRtMidiTrigger(const QString& pattern)
{
    setRegExp(pattern);
}

QRtMidiTrigger::QRtMidiTrigger(const QString& pattern, const QObject* receiver, const char* member)
{
    setRegExp(pattern);
    slotCall = new WynSignal(receiver, member, this);
}

QRtMidiTrigger::QRtMidiTrigger(const QRtMidiData& data)
{
    setRegExp(data.toString());
}

QRtMidiTrigger::~QRtMidiTrigger()
{
    delete slotCall;
}

void QRtMidiTrigger::setRegExp(const QString& text)
{
    QRegExp compiled(normalisedPattern(text), Qt::CaseSensitive, QRegExp::RegExp);
    QMutexLocker lock(&queueMutex);
    pattern = compiled;
    queue.clear();
}

bool QRtMidiTrigger::offer(const QRtMidiData& message)
{
    QMutexLocker lock(&queueMutex);
    if (!message.match(pattern, false))
        return false;
    serveLocked(message);
    return true;
}

void QRtMidiTrigger::handler(const QRtMidiData& message)
{
    QMutexLocker lock(&queueMutex);
    serveLocked(message);
}

void QRtMidiTrigger::serveLocked(const QRtMidiData& message)
{
    queue.append(message);
    wakeWaiters();
    if (queue.size() > kQueueLimit) {
        queue.removeLast();
        qDebug().nospace() << "QRtTriggerChannel Overflow: " << quintptr(this);
    }
    if (slotCall)
        slotCall->invoke();
}

// Waking happens with waitMutex held: wait() keeps it from setting `waiting` until it is
// asleep, so a waiter seen here is asleep and cannot miss the wake.
void QRtMidiTrigger::wakeWaiters()
{
    lockWaitMutex();
    if (waiting) {
        waitCondition.wakeAll();
        waiting = false;
    }
    waitMutex.unlock();
}

// Retries at once while a waiter is registered, since it lets go of the mutex as soon as it
// sleeps; any other holder is given steps of kHandlerBackoffMs rather than a busy spin.
void QRtMidiTrigger::lockWaitMutex()
{
    while (!waitMutex.tryLock()) {
        if (!waiting)
            QThread::msleep(kHandlerBackoffMs);
    }
}

bool QRtMidiTrigger::dequeue(QRtMidiData& out)
{
    QMutexLocker lock(&queueMutex);
    if (queue.isEmpty())
        return false;
    out = queue.takeFirst();
    return true;
}

bool QRtMidiTrigger::wait(unsigned long ms)
{
    QMutexLocker lock(&waitMutex);
    waiting = true;
    return waitCondition.wait(&waitMutex, ms);
}

void QRtMidiTrigger::reset()
{
    QMutexLocker lock(&waitMutex);
    waiting = false;
}
