// SPDX-License-Identifier: MIT
#include "qrtmidiout.h"

#include "qrtmidiapi.h"

#include <RtMidi.h>

#include <QDebug>
#include <QString>
#include <QThread>

#include <vector>

namespace {

const char kClientName[] = "RtMidi Output Client";
const char kCreateError[] = "Can't create MIDI client";

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
    if (!isOk())
        return;
    // Some services pass an empty message on as a malformed event, so it is refused here.
    if (bytes.empty())
        qWarning("QRtMidiOut::dataOut: an empty message is not sent");
    else
        rtMidiOut->sendMessage(bytes.data(), bytes.size());
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
