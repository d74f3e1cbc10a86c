// SPDX-License-Identifier: MIT
#include "qrtmidiout.h"

#include "qrtmidiapi.h"
#include "qrtmidijack.h"
#include "qrtmiditrace.h"

#include <RtMidi.h>

#include <QDebug>
#include <QString>
#include <QThread>

#include <string>
#include <vector>

namespace {

const char kClientName[] = "RtMidi Output Client";
const char kCreateError[] = "Can't create MIDI client";
// How long a message waits for room in the service's buffer, which a server that has
// stopped its cycles no longer empties.
constexpr int kRoomTimeoutMs = 1000;

void noteComplaint(RtMidiError::Type, const std::string& text, void* complaint)
{
    *static_cast<std::string*>(complaint) += text;
}

} // namespace

QRtMidiOut::QRtMidiOut()
{
    QRtMidiData::registerMetaType();
}

QRtMidiOut::~QRtMidiOut()
{
    destoryRtMidiDev();
}

void QRtMidiOut::dataOut(const QRtMidiData& data)
{
    std::vector<unsigned char> bytes;
    data.copyToStdVec(bytes, 0, -1);
    lastSent = false;
    if (!isOk())
        return;
    // Some services pass an empty message on as a malformed event, so it is refused here.
    if (bytes.empty()) {
        qWarning("QRtMidiOut::dataOut: an empty message is not sent");
    } else if (!qrtWaitForJackRoom(rtMidiOut, bytes.size(), kRoomTimeoutMs)) {
        qWarning("QRtMidiOut::dataOut: the MIDI service takes no messages, one is not sent");
        return;
    } else {
        // Some services (ALSA among them) report a failed send only as a warning, which
        // reaches the error callback and is otherwise printed; a send it reports counts as
        // not sent. With the callback set the library does not throw.
        // Before it goes out, so that no reply can come before its request in the trace.
        if (QRtMidiRecorder* recorder = tracer.load())
            recorder->record(true, data);
        std::string complaint;
        rtMidiOut->setErrorCallback(&noteComplaint, &complaint);
        rtMidiOut->sendMessage(bytes.data(), bytes.size());
        rtMidiOut->setErrorCallback(nullptr, nullptr);
        lastSent = complaint.empty();
        if (!lastSent)
            qWarning("QRtMidiOut::dataOut: a message was not sent: %s", complaint.c_str());
    }
    emit dataOutMonitor(data);
}

void QRtMidiOut::dataOut(const QString& hexStr)
{
    dataOut(hexStr.toUtf8().constData());
}

void QRtMidiOut::dataOut(const char* hexStr)
{
    dataOut(QRtMidiData(hexStr));
}

void QRtMidiOut::dataOutSplit(const QRtMidiData& data, int maxMsg, int delayPerMsg)
{
    if (maxMsg <= 0 || data.size() <= maxMsg) {
        dataOut(data);
        return;
    }
    for (const QRtMidiData& piece : data.split(maxMsg)) {
        dataOut(piece);
        if (delayPerMsg > 0)
            QThread::msleep(unsigned(delayPerMsg));
    }
}

RtMidi* QRtMidiOut::getRtMidi() const
{
    return rtMidiOut;
}

bool QRtMidiOut::createRtMidiDev()
{
    std::string error;
    rtMidiOut = qrtCreateMidiOut(kClientName, &error);
    if (rtMidiOut)
        return true;
    clearLastStatus();
    setError(kCreateError, error);
    return false;
}

void QRtMidiOut::destoryRtMidiDev()
{
    if (!rtMidiOut)
        return;
    qrtDeleteMidiOut(rtMidiOut);
    rtMidiOut = nullptr;
}
