// SPDX-License-Identifier: MIT
#include "axefx.h"

#include "axefxlabel.h"

#include <RtMidi.h>

#include <QDeadlineTimer>
#include <QDebug>
#include <QEventLoop>
#include <QTimer>

#include <climits>
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
// Requests whose copies coming back are not taken for replies: those of one preset's reading.
constexpr int kRecentRequests = 20;
constexpr unsigned char kFirstCabBlock = kCabBlock1;

const unsigned char* bytesOf(const QByteArray& bytes)
{
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

// The names that contain the text in any letter case, in the port layer's order.
QStringList devicePorts(const QStringList& names, unsigned int portCount, const QString& text)
{
    QStringList found;
    for (int i = 0; i < names.size() && unsigned(i) < portCount; ++i) {
        if (names.at(i).contains(text, Qt::CaseInsensitive))
            found << names.at(i);
    }
    return found;
}

// Which of several matching ports was taken, for the owner of two units or interfaces.
QString choiceNote(const char* kind, const QString& text, const QStringList& found)
{
    return QStringLiteral("%1 %2 ports match \"%3\": using \"%4\", not \"%5\"")
        .arg(found.size())
        .arg(QLatin1String(kind), text, found.first(), found.mid(1).join(QStringLiteral("\", \"")));
}

} // namespace

int axefx::percentDone(int done, int count)
{
    return count > 0 ? (100 * done) / count : 100;
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
    : portSearchText(kPortSearchText)
{
    connect(&midiIn, &QRtMidiIn::dataIn, this, &AxeFX::wakeWait);
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
    const QByteArray bytes(reinterpret_cast<const char*>(buf), int(len));
    sentRecently.append(bytes);
    if (sentRecently.size() > kRecentRequests)
        sentRecently.removeFirst();
    try {
        midiOut.dataOut(QRtMidiData(bytes));
    } catch (const RtMidiError& error) {
        qDebug() << "AxeFX: sending failed:" << QString::fromStdString(error.getMessage());
        lastSendFailed = true;
        return false;
    }
    // A message the port dropped, or one the library reported failing, never reached the unit.
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
    if (awaitReply(replyPattern(function), false, reply, at) != Heard::Reply)
        return false;
    out.append(reply);
    return true;
}

bool AxeFX::SendRawBufferAndWaitForInfiniteAnswer(
    unsigned char* buf, unsigned int len, unsigned char function, QByteArray& out)
{
    QByteArray reply;
    int at;
    if (!exchange(buf, len, replyPattern(function), reply, at))
        return false;
    out.append(reply);
    return true;
}

bool AxeFX::SendRawBufferAndWaitForAnswer(unsigned char* buf, unsigned int len,
    unsigned int replyLength, unsigned char function, unsigned char* out)
{
    QByteArray reply;
    int at;
    // A length no message can hold matches nothing.
    const int length = int(qMin(replyLength, unsigned(INT_MAX)));
    if (!exchange(buf, len, replyPattern(function, length), reply, at))
        return false;
    if (out)
        std::memcpy(out, bytesOf(reply) + at, replyLength);
    return true;
}

ReplyPattern AxeFX::replyPattern(unsigned char function, int length) const
{
    ReplyPattern pattern;
    pattern.model = model;
    pattern.function = function;
    pattern.length = length;
    return pattern;
}

// The one wait for a reply. The unit's own requests coming back (a MIDI thru or loop on its
// ports) are never replies. While settling, everything before the awaited reply is dropped;
// otherwise a message with the reply's header that fails the checks is the unit's answer,
// damaged or about something else, and waiting on would only cost a second of silence.
AxeFX::Heard AxeFX::awaitReply(
    const ReplyPattern& pattern, bool settling, QByteArray& reply, int& at)
{
    if (lastSendFailed)
        return Heard::Nothing;
    Wait wait(*this);
    QRtMidiData message;
    while (wait.next(message)) {
        const QByteArray bytes = message.toByteArray();
        if (isOwnRequest(bytes))
            continue;
        at = matchReply(bytesOf(bytes), bytes.size(), pattern);
        if (at >= 0) {
            reply = bytes;
            return Heard::Reply;
        }
        if (!settling && pattern.model
            && findReplyHeader(bytesOf(bytes), bytes.size(), pattern.model, pattern.function) >= 0)
            return Heard::Damaged;
    }
    return Heard::Nothing;
}

bool AxeFX::isOwnRequest(const QByteArray& message) const
{
    return sentRecently.contains(message);
}

// A request is sent only while the link is in step: every reply the unit owes has come. After
// one that went without a usable reply, that reply may still come, late, and be taken for the
// answer to a later request; a block grid reply, which names no preset, could not even be told
// apart. The unit answers in the order it is asked, so settle() asks for a preset name whose
// reply names its number, drops every message before that reply, and the link is in step
// again. The number is one that no request since the link was last in step asked for, so an
// older reply cannot pass for it. A link that never loses a reply never settles, which costs
// nothing; each loss costs one round trip, and the reply lost is asked again by the scan.
bool AxeFX::settle()
{
    const int count = PresetCount();
    for (int tries = 0; tries < count && owedPresetNames.contains(settlePreset); ++tries)
        settlePreset = (settlePreset + 1) % count;
    const int number = settlePreset;
    settlePreset = (settlePreset + 1) % count;
    owedPresetNames.insert(number);
    Message query = presetNameQuery(model, number);
    ReplyPattern pattern = replyPattern(kFunctionPresetName);
    pattern.minSize = kNameReplyMinSize;
    pattern.echoes[0] = { kPayloadOffset, number, true };
    QByteArray reply;
    int at;
    if (!SendRAWBuffer(query.bytes, query.size)
        || awaitReply(pattern, true, reply, at) != Heard::Reply)
        return false;
    outOfStep = false;
    owedPresetNames.clear();
    return true;
}

bool AxeFX::exchange(unsigned char* bytes, unsigned int size, const ReplyPattern& pattern,
    QByteArray& reply, int& at)
{
    // Discovery starts on ports opened anew, with nothing owed.
    const bool inStep = !pattern.model || !outOfStep || settle();
    const Heard heard = inStep && SendRAWBuffer(bytes, size) ? awaitReply(pattern, false, reply, at)
                                                             : Heard::Nothing;
    // A damaged reply, or one about something else, is still the unit's answer to this
    // request: nothing more is owed. Silence, or a send that may have gone out, leaves a reply
    // owed.
    if (heard == Heard::Nothing && pattern.model) {
        outOfStep = true;
        if (pattern.function == kFunctionPresetName)
            owedPresetNames.insert(pattern.echoes[0].value);
    }
    const bool read = heard == Heard::Reply;
    failures += read ? 0 : 1;
    return noteAnswer(read);
}

bool AxeFX::exchange(Message message, const ReplyPattern& pattern, QByteArray& reply, int& at)
{
    return exchange(message.bytes, message.size, pattern, reply, at);
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

bool AxeFX::findAxeFx()
{
    // Opening the ports again ends whatever link there was.
    model = 0;
    displayOffsetRead = false;
    outOfStep = false;
    owedPresetNames.clear();
    if (!midiOut.init() || !midiIn.init())
        return false;
    const QStringList outNames = midiOut.getPortNames();
    const QStringList inNames = midiIn.getPortNames();
    const QStringList outs = devicePorts(outNames, midiOut.getPortCount(), portSearchText);
    const QStringList ins = devicePorts(inNames, midiIn.getPortCount(), portSearchText);
    QStringList notes;
    if (outs.size() > 1)
        notes << choiceNote("output", portSearchText, outs);
    if (ins.size() > 1)
        notes << choiceNote("input", portSearchText, ins);
    portChoice = notes.join(QStringLiteral("; "));
    if (outs.isEmpty() || ins.isEmpty())
        return false;
    if (!midiOut.open(outs.first(), kOpenOption))
        return false;
    if (!midiIn.open(ins.first(), kOpenOption))
        return false;
    if (!queryModel())
        return false;
    ReadDisplayOffset();
    return true;
}

bool AxeFX::queryModel()
{
    QByteArray reply;
    int at;
    if (!exchange(modelQuery(), replyPattern(kFunctionModelReply, kModelReplyLength), reply, at))
        return false;
    model = quint8(reply.at(at + kModelOffset));
    return true;
}

bool AxeFX::ReadDisplayOffset()
{
    QByteArray reply;
    int at;
    displayOffsetRead = exchange(displayOffsetQuery(model),
        replyPattern(kFunctionDisplayOffset, kDisplayOffsetReplyLength), reply, at);
    if (displayOffsetRead)
        displayOffset = reply.at(at + kDisplayOffsetByte) != 0 ? 1 : 0;
    return displayOffsetRead;
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
    QByteArray reply;
    int at;
    if (!exchange(blockGridQuery(model), replyPattern(kFunctionBlockGrid, kBlockGridReplyLength),
            reply, at))
        return false;
    CabBlocks blocks;
    readCabBlocks(bytesOf(reply) + at, kBlockGridReplyLength, blocks);
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
    if (index < 0 || index >= cabNames.size())
        return false;
    ReplyPattern pattern = replyPattern(kFunctionCabName);
    pattern.minSize = kNameReplyMinSize;
    pattern.echoes[0] = { kPayloadOffset, index, false };
    QByteArray reply;
    int at;
    if (!exchange(cabNameQuery(model, quint16(index)), pattern, reply, at))
        return false;
    readNameText(bytesOf(reply) + at, reply.size() - at, cabNames[index]);
    cabNameRead[index] = true;
    return true;
}

bool AxeFX::ReadPresetName(int index)
{
    prepareNames(presetNames, presetNameRead, PresetCount(), true);
    if (index < 0 || index >= presetNames.size())
        return false;
    ReplyPattern pattern = replyPattern(kFunctionPresetName);
    pattern.minSize = kNameReplyMinSize;
    pattern.echoes[0] = { kPayloadOffset, index, true };
    QByteArray reply;
    int at;
    if (!exchange(presetNameQuery(model, index), pattern, reply, at))
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
    ReplyPattern pattern = replyPattern(kFunctionParamValue);
    pattern.minSize = kParamValueReplyLength;
    pattern.echoes[0] = { kPayloadOffset, block, false };
    pattern.echoes[1] = { kPayloadOffset + 2, param, false };
    QByteArray reply;
    int at;
    if (!exchange(paramValueQuery(model, block, param), pattern, reply, at))
        return false;
    ParamValue read;
    readParamValueReply(bytesOf(reply) + at, reply.size() - at, read);
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
    ReplyPattern pattern = replyPattern(kFunctionParamInfo, kParamInfoReplyLength);
    pattern.echoes[0] = { kPayloadOffset + 2, param, false };
    QByteArray reply;
    int at;
    if (!exchange(paramInfoQuery(model, block, param), pattern, reply, at))
        return false;
    if (infos)
        readParamInfos(bytesOf(reply) + at, kParamInfoReplyLength, *infos);
    return true;
}

bool AxeFX::AskForParameterStrings(unsigned short block, unsigned short param, QStringList& list)
{
    ReplyPattern pattern = replyPattern(kFunctionParamStrings);
    pattern.minSize = kParamStringsMinSize;
    QByteArray reply;
    int at;
    if (!exchange(paramStringsQuery(model, block, param), pattern, reply, at))
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
