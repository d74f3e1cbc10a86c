// SPDX-License-Identifier: MIT
#include "qrtmidiin.h"

#include "qrtmidiapi.h"
#include "qrtmidijack.h"
#include "qrtmiditrace.h"
#include "qrtmiditrigger.h"

#include <RtMidi.h>

#include <QDateTime>
#include <QDebug>
#include <QMutexLocker>
#include <QReadLocker>
#include <QWriteLocker>

namespace {

const char kClientName[] = "RtMidi Input Client";
// The library's own input queue, which is not read while a callback is installed.
constexpr unsigned int kLibraryQueueSize = 100;
const char kCreateError[] = "Can't create MIDI client";

} // namespace

void QRtMidiIn_midiInCallback(double timeStamp, std::vector<unsigned char>* message, void* userData)
{
    static_cast<QRtMidiIn*>(userData)->midiDataIn(timeStamp, message);
}

QRtMidiIn::QRtMidiIn() = default;

QRtMidiIn::~QRtMidiIn()
{
    destoryRtMidiDev();
}

void QRtMidiIn::midiDataIn(double, std::vector<unsigned char>* message)
{
    QRtMidiData data(*message);
    data.timeStamp = QDateTime::currentMSecsSinceEpoch();
    store(data);
    serveTriggers(data);
    emit dataIn();
}

void QRtMidiIn::serveTriggers(const QRtMidiData& message)
{
    if (triggerCount.load(std::memory_order_acquire) == 0)
        return;
    QReadLocker locker(&triggerLock);
    for (QRtMidiTrigger* trigger : qAsConst(triggers))
        trigger->offer(message);
}

void QRtMidiIn::addTrigger(QRtMidiTrigger& trigger)
{
    if (triggers.contains(&trigger))
        removeTrigger(trigger);
    QWriteLocker locker(&triggerLock);
    triggers.append(&trigger);
    triggerCount.store(triggers.size(), std::memory_order_release);
}

void QRtMidiIn::removeTrigger(QRtMidiTrigger& trigger)
{
    QWriteLocker locker(&triggerLock);
    triggers.removeOne(&trigger);
    triggerCount.store(triggers.size(), std::memory_order_release);
}

void QRtMidiIn::removeAllTriggers()
{
    QWriteLocker locker(&triggerLock);
    triggers.clear();
    triggerCount.store(0, std::memory_order_release);
}

void QRtMidiIn::store(const QRtMidiData& message)
{
    bool startedDropping = false;
    {
        QMutexLocker locker(&dataLock);
        if (QRtMidiRecorder* recorder = tracer.load())
            recorder->record(false, message);
        lastData = message;
        if (int(inbox.size()) >= kInboxCapacity) {
            inbox.pop_front();
            startedDropping = !overflowing;
            overflowing = true;
        }
        // Assigned rather than copy-constructed: only assignment carries the time stamp.
        inbox.emplace_back();
        inbox.back() = message;
    }
    if (startedDropping)
        qDebug().nospace() << "QRtMidiIn inbox overflow: more than " << kInboxCapacity
                           << " messages not taken, dropping the oldest";
}

// Under the lock that every arrival is recorded under: once this returns, the old recorder is
// no longer used and may go.
void QRtMidiIn::setRecorder(QRtMidiRecorder* recorder)
{
    QMutexLocker locker(&dataLock);
    tracer.store(recorder);
}

bool QRtMidiIn::takeMessage(QRtMidiData& out)
{
    QMutexLocker locker(&dataLock);
    if (inbox.empty())
        return false;
    out = inbox.front();
    inbox.pop_front();
    overflowing = false;
    return true;
}

void QRtMidiIn::clearInbox()
{
    QMutexLocker locker(&dataLock);
    inbox.clear();
    overflowing = false;
}

int QRtMidiIn::pendingCount() const
{
    QMutexLocker locker(&dataLock);
    return int(inbox.size());
}

QRtMidiData QRtMidiIn::getLastData() const
{
    QMutexLocker locker(&dataLock);
    QRtMidiData copy;
    copy = lastData;
    return copy;
}

void QRtMidiIn::setSlot(const QObject* receiver, const char* member)
{
    if (!disconnect(SIGNAL(dataIn())))
        qDebug() << "setSlot"
                 << " Failed to disconnect previous receiver";
    connect(this, SIGNAL(dataIn()), receiver, member);
}

void QRtMidiIn::setupAfterOpen(unsigned int)
{
    if (!callbackInstalled) {
        rtMidiIn->setCallback(&QRtMidiIn_midiInCallback, this);
        callbackInstalled = true;
    }
    rtMidiIn->ignoreTypes(false, false, false);
}

RtMidi* QRtMidiIn::getRtMidi() const
{
    return rtMidiIn;
}

bool QRtMidiIn::createRtMidiDev()
{
    std::string error;
    rtMidiIn = qrtCreateMidiIn(kClientName, kLibraryQueueSize, &error);
    if (rtMidiIn)
        return true;
    clearLastStatus();
    setError(kCreateError, error);
    return false;
}

// Closing first stops new deliveries; whatever the callback serves is detached between
// closing the port and deleting the client.
void QRtMidiIn::destoryRtMidiDev()
{
    if (!rtMidiIn) {
        removeAllTriggers();
        return;
    }
    qrtCloseJackPort(rtMidiIn);
    rtMidiIn->closePort();
    removeAllTriggers();
    qrtDeleteMidiIn(rtMidiIn);
    rtMidiIn = nullptr;
    callbackInstalled = false;
}
