// SPDX-License-Identifier: MIT
#include "axefx.h"

#include <RtMidi.h>

#include <QDeadlineTimer>
#include <QDebug>
#include <QEventLoop>
#include <QTimer>

#include <cstring>

using namespace axefx;

namespace {

constexpr int kSilenceTimeoutMs = 1000;
// A unit streaming tempo beats or tuner data never leaves a second of silence; this ends the
// wait for a request it ignores all the same.
constexpr int kReplyTimeoutMs = 5000;
constexpr unsigned int kOpenOption = 0;
const QString kPortSearchText = QStringLiteral("AXE");

constexpr int kDisplayOffsetByte = 8;
constexpr unsigned char kFirstCabBlock = kCabBlock1;

const unsigned char* bytesOf(const QByteArray& bytes)
{
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

int findDevicePort(const QStringList& names, unsigned int portCount)
{
    for (int i = 0; i < names.size() && unsigned(i) < portCount; ++i) {
        if (names.at(i).toUpper().contains(kPortSearchText))
            return i;
    }
    return -1;
}

} // namespace

int axefx::percentDone(int done, int count)
{
    return count > 0 ? (100 * done) / count : 100;
}

QString axefx::cabLabel(unsigned short cab, quint8 layoutModel)
{
    const int factory = layoutOf(layoutModel).factoryCabs;
    return cab < factory ? QStringLiteral("F%1").arg(cab + 1)
                         : QStringLiteral("U%1").arg(cab + 1 - factory);
}

// One request's wait: a local event loop that the arrival of a message or a second of silence
// ends, within the overall limit. Waits nest when an event handler starts a request of its
// own; the innermost is the one woken.
class AxeFX::Wait {
public:
    explicit Wait(AxeFX& link)
        : link(link)
        , deadline(kReplyTimeoutMs)
        , outer(link.activeWait)
    {
        silence.setSingleShot(true);
        silence.setTimerType(Qt::PreciseTimer);
        QObject::connect(&silence, &QTimer::timeout, &loop, &QEventLoop::quit);
        link.activeWait = this;
    }

    ~Wait()
    {
        link.activeWait = outer;
        // A message meant for the outer wait may have woken this one instead.
        if (outer && link.midiIn.pendingCount() > 0)
            outer->wake();
    }

    void wake()
    {
        woken = true;
        loop.quit();
    }

    // The oldest message not yet taken, or the next one; false after a second of silence,
    // at the overall limit, or when the loop was ended from outside (the application quits).
    bool next(QRtMidiData& message)
    {
        if (deadline.hasExpired())
            return false;
        // What came in meanwhile (Esc, a close request) is handled before the next message
        // is taken, even when that message is already here: a unit that always answers at
        // once must not leave the user's input waiting until a reply is late.
        loop.processEvents();
        if (link.midiIn.takeMessage(message))
            return true;
        silence.start(int(qMin<qint64>(kSilenceTimeoutMs, deadline.remainingTime())));
        for (;;) {
            woken = false;
            loop.exec();
            // Taken first: a message that came while a nested loop held this one counts even
            // when the silence timer has fired meanwhile.
            if (link.midiIn.takeMessage(message))
                return true;
            if (!silence.isActive() || !woken)
                return false;
        }
    }

private:
    AxeFX& link;
    QDeadlineTimer deadline;
    Wait* outer;
    QEventLoop loop;
    QTimer silence;
    bool woken = false;
};

AxeFX::AxeFX()
{
    connect(&midiIn, SIGNAL(dataIn()), this, SLOT(wakeWait()));
}

AxeFX::~AxeFX()
{
    midiIn.close();
    midiOut.close();
}

void AxeFX::wakeWait()
{
    if (activeWait)
        activeWait->wake();
}

bool AxeFX::SendRAWBuffer(unsigned char* buf, unsigned int len)
{
    midiIn.clearInbox();
    try {
        midiOut.dataOut(QRtMidiData(QByteArray(reinterpret_cast<const char*>(buf), int(len))));
    } catch (const RtMidiError& error) {
        qDebug() << "AxeFX: sending failed:" << QString::fromStdString(error.getMessage());
        lastSendFailed = true;
        return false;
    }
    // A message the port dropped, for want of a client or of room, never reached the unit.
    lastSendFailed = !midiOut.lastMessageSent();
    return !lastSendFailed;
}

bool AxeFX::WaitForMessage(QByteArray& out)
{
    if (lastSendFailed)
        return false;
    Wait wait(*this);
    QRtMidiData message;
    if (!wait.next(message))
        return false;
    out = message.toByteArray();
    return true;
}

bool AxeFX::WaitForMessage(std::vector<unsigned char, std::allocator<unsigned char>>* out)
{
    QByteArray bytes;
    if (!WaitForMessage(bytes))
        return false;
    if (out)
        out->assign(bytesOf(bytes), bytesOf(bytes) + bytes.size());
    return true;
}

bool AxeFX::WaitForInfiniteAnswer(QByteArray& out, unsigned char function)
{
    QByteArray reply;
    int at;
    if (!waitForHeader(function, kHeaderSize, reply, at))
        return false;
    out.append(reply);
    return true;
}

bool AxeFX::SendRawBufferAndWaitForInfiniteAnswer(
    unsigned char* buf, unsigned int len, unsigned char function, QByteArray& out)
{
    SendRAWBuffer(buf, len);
    return WaitForInfiniteAnswer(out, function);
}

bool AxeFX::SendRawBufferAndWaitForAnswer(unsigned char* buf, unsigned int len,
    unsigned int replyLength, unsigned char function, unsigned char* out)
{
    SendRAWBuffer(buf, len);
    return waitForKnownLength(replyLength, function, out);
}

bool AxeFX::waitForHeader(unsigned char function, int minSize, QByteArray& reply, int& at)
{
    if (lastSendFailed)
        return noteAnswer(false);
    Wait wait(*this);
    QRtMidiData message;
    while (wait.next(message)) {
        const QByteArray bytes = message.toByteArray();
        at = matchHeaderReply(bytesOf(bytes), bytes.size(), model, function, minSize);
        if (at >= 0) {
            reply = bytes;
            return noteAnswer(true);
        }
    }
    return noteAnswer(false);
}

bool AxeFX::waitForKnownLength(unsigned int replyLength, unsigned char function, unsigned char* out)
{
    if (lastSendFailed)
        return noteAnswer(false);
    Wait wait(*this);
    QRtMidiData message;
    while (wait.next(message)) {
        const QByteArray bytes = message.toByteArray();
        const int length = int(replyLength);
        const int at = model
            ? matchKnownLength(bytesOf(bytes), bytes.size(), model, function, length)
            : matchDiscoveryReply(bytesOf(bytes), bytes.size(), function, length);
        if (at >= 0) {
            if (out)
                std::memcpy(out, bytesOf(bytes) + at, replyLength);
            return noteAnswer(true);
        }
    }
    return noteAnswer(false);
}

bool AxeFX::noteAnswer(bool answered)
{
    if (answered) {
        unansweredRun = 0;
        return true;
    }
    ++unansweredRun;
    emit requestUnanswered(unansweredRun);
    return false;
}

bool AxeFX::send(Message message)
{
    const bool sent = SendRAWBuffer(message.bytes, message.size);
    failures += sent ? 0 : 1;
    return sent;
}

bool AxeFX::request(
    Message message, unsigned char function, int minSize, QByteArray& reply, int& at)
{
    send(message);
    // The unit sends one reply per request: one that came damaged is no answer, and waiting
    // on for another would only cost a second of silence.
    const bool read = waitForHeader(function, kHeaderSize, reply, at)
        && reply.size() - at >= minSize && replyIntact(bytesOf(reply) + at, reply.size() - at);
    failures += read ? 0 : 1;
    return read;
}

bool AxeFX::requestKnownLength(
    Message message, unsigned int replyLength, unsigned char function, unsigned char* out)
{
    const bool read
        = SendRawBufferAndWaitForAnswer(message.bytes, message.size, replyLength, function, out);
    failures += read ? 0 : 1;
    return read;
}

bool AxeFX::findAxeFx()
{
    // Opening the ports again ends whatever link there was.
    model = 0;
    if (!midiOut.init() || !midiIn.init())
        return false;
    const QStringList outNames = midiOut.getPortNames();
    const QStringList inNames = midiIn.getPortNames();
    const int outIndex = findDevicePort(outNames, midiOut.getPortCount());
    const int inIndex = findDevicePort(inNames, midiIn.getPortCount());
    if (outIndex < 0 || inIndex < 0)
        return false;
    if (!midiOut.open(outNames.at(outIndex), kOpenOption))
        return false;
    if (!midiIn.open(inNames.at(inIndex), kOpenOption))
        return false;
    if (!queryModel())
        return false;
    ReadDisplayOffset();
    return true;
}

bool AxeFX::queryModel()
{
    unsigned char reply[kModelReplyLength];
    if (!requestKnownLength(modelQuery(), kModelReplyLength, kFunctionModelReply, reply))
        return false;
    model = reply[kModelOffset];
    return true;
}

bool AxeFX::ReadDisplayOffset()
{
    unsigned char reply[kDisplayOffsetReplyLength];
    if (!requestKnownLength(
            displayOffsetQuery(model), kDisplayOffsetReplyLength, kFunctionDisplayOffset, reply))
        return false;
    displayOffset = reply[kDisplayOffsetByte] != 0 ? 1 : 0;
    return true;
}

bool AxeFX::isConnected()
{
    return model != 0;
}

bool AxeFX::PC(int preset)
{
    send(programChange(model, preset));
    return true;
}

void AxeFX::SetXY(unsigned short block, bool y)
{
    send(setXYMessage(model, block, y));
}

bool AxeFX::GetCabsPresent(bool& cab1, bool& cab2)
{
    unsigned char reply[kBlockGridReplyLength];
    if (!requestKnownLength(
            blockGridQuery(model), kBlockGridReplyLength, kFunctionBlockGrid, reply))
        return false;
    CabBlocks blocks;
    readCabBlocks(reply, kBlockGridReplyLength, blocks);
    cab1 = blocks.cab1;
    cab2 = blocks.cab2;
    return true;
}

bool AxeFX::FillCabNames()
{
    return fillNames(
        cabNames, cabNameRead, CabCount(), &AxeFX::ReadCabName, &AxeFX::CabNamePercent);
}

bool AxeFX::FillPresetNames()
{
    return fillNames(presetNames, presetNameRead, PresetCount(), &AxeFX::ReadPresetName,
        &AxeFX::PresetNamePercent);
}

bool AxeFX::fillNames(QVector<QString>& names, QVector<bool>& read, int count,
    bool (AxeFX::*readOne)(int), void (AxeFX::*percent)(int))
{
    // A fill stopped before its first query keeps the names it has, at the layout's size.
    prepareNames(names, read, count, stopRequest);
    asked = 0;
    if (stopRequest)
        return false;
    bool answered = false;
    for (int i = 0; i < count; ++i) {
        if (stopRequest)
            return false;
        asked = i + 1;
        answered = (this->*readOne)(i);
        if (answered)
            emit(this->*percent)(percentDone(i + 1, count));
    }
    return answered;
}

void AxeFX::prepareNames(QVector<QString>& names, QVector<bool>& read, int count, bool keep)
{
    if (!keep) {
        names.clear();
        read.clear();
    }
    names.resize(count);
    read.resize(count);
}

bool AxeFX::ReadCabName(int index)
{
    prepareNames(cabNames, cabNameRead, CabCount(), true);
    QByteArray reply;
    int at;
    if (!request(cabNameQuery(model, index), kFunctionCabName, kNameReplyMinSize, reply, at))
        return false;
    unsigned short cab;
    QString name;
    readCabNameReply(bytesOf(reply) + at, reply.size() - at, cab, name);
    // The name goes where the reply says it belongs, which need not be the slot asked for.
    if (cab < cabNames.size()) {
        cabNames[cab] = name;
        cabNameRead[cab] = true;
    }
    return true;
}

bool AxeFX::ReadPresetName(int index)
{
    prepareNames(presetNames, presetNameRead, PresetCount(), true);
    if (index < 0 || index >= presetNames.size())
        return false;
    QByteArray reply;
    int at;
    if (!request(presetNameQuery(model, index), kFunctionPresetName, kNameReplyMinSize, reply, at))
        return false;
    readNameText(bytesOf(reply) + at, reply.size() - at, presetNames[index]);
    presetNameRead[index] = true;
    return true;
}

QString AxeFX::CabName(unsigned short cab)
{
    return CabName(cab, model);
}

QString AxeFX::CabName(unsigned short cab, quint8 layoutModel)
{
    const QString name = cab < cabNames.size() ? cabNames.at(cab) : QString();
    return cabLabel(cab, layoutModel) + QStringLiteral("(%1)").arg(name);
}

QString AxeFX::PresetName(int preset)
{
    return preset >= 0 && preset < presetNames.size() ? presetNames.at(preset) : QString();
}

int AxeFX::PresetCount()
{
    return layoutOf(model).presets;
}

int AxeFX::CabCount()
{
    return layoutOf(model).cabs;
}

void AxeFX::requestStop()
{
    stopRequest = true;
}

void AxeFX::clearStop()
{
    stopRequest = false;
}

bool AxeFX::stopRequested() const
{
    return stopRequest;
}

template <typename T>
bool AxeFX::GetParamValue(unsigned short block, unsigned short param, T& value)
{
    QByteArray reply;
    int at;
    if (!request(paramValueQuery(model, block, param), kFunctionParamValue, kParamValueReplyLength,
            reply, at))
        return false;
    ParamValue read;
    readParamValueReply(bytesOf(reply) + at, reply.size() - at, read);
    if (read.block != block || read.param != param) {
        ++failures;
        return false;
    }
    value = T(read.value);
    return true;
}

template bool AxeFX::GetParamValue<short>(unsigned short, unsigned short, short&);

bool AxeFX::GetCabsUsed(unsigned char which, QList<int>& list)
{
    const unsigned short block = kFirstCabBlock + which;
    short cab, mode, second;

    SetXY(block, false);
    if (!GetParamValue(block, kParamCab, cab))
        return false;
    list << cab;
    if (!GetParamValue(block, kParamCabMode, mode))
        return false;
    if (mode >= kDualCabMode && GetParamValue(block, kParamSecondCab, second) && second != cab)
        list << second;

    SetXY(block, true);
    if (!GetParamValue(block, kParamCab, cab))
        return true;
    list << cab;
    if (!GetParamValue(block, kParamCabMode, mode) || mode < kDualCabMode)
        return true;
    if (GetParamValue(block, kParamSecondCab, second) && second != cab)
        list << second;
    return true;
}

bool AxeFX::GetPresetCabs(int preset, QList<int>& out)
{
    PC(preset);
    bool has1, has2;
    if (!GetCabsPresent(has1, has2))
        return false;
    const int count = CabCount();
    QList<int> list;
    if (has1 && GetCabsUsed(0, list)) {
        for (int c : qAsConst(list)) {
            if (c < count)
                out << c;
        }
    }
    list.clear();
    if (has2 && GetCabsUsed(1, list)) {
        for (int c : qAsConst(list)) {
            if (c < count && !out.contains(c))
                out << c;
        }
    }
    return has1 || has2;
}

bool AxeFX::AskForParameterInfos(unsigned short block, unsigned short param, param_infos* infos)
{
    unsigned char reply[kParamInfoReplyLength];
    if (!requestKnownLength(
            paramInfoQuery(model, block, param), kParamInfoReplyLength, kFunctionParamInfo, reply))
        return false;
    if (infos)
        readParamInfos(reply, kParamInfoReplyLength, *infos);
    return true;
}

bool AxeFX::AskForParameterStrings(unsigned short block, unsigned short param, QStringList& list)
{
    QByteArray reply;
    int at;
    if (!request(paramStringsQuery(model, block, param), kFunctionParamStrings,
            kParamStringsMinSize, reply, at))
        return false;
    readParamStrings(bytesOf(reply) + at, reply.size() - at, list);
    return true;
}

unsigned char AxeFX::GetChecksum(unsigned char* buf, unsigned int len)
{
    return frameChecksum(buf, len);
}

unsigned int AxeFX::DecodeInt32(unsigned char* bytes)
{
    return decodeInt32(bytes);
}

float AxeFX::DecodeFloat32(unsigned char* bytes)
{
    return decodeFloat32(bytes);
}
