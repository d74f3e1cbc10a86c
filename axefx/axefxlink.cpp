// SPDX-License-Identifier: MIT
// The link's requests and replies: sending, the waits, and how the link stays in step with the
// unit. The unit's operations built on them are in axefx.cpp.
#include "axefx.h"

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
// Requests whose copies coming back are told apart from replies: those of one preset's reading.
constexpr int kRecentRequests = 20;
// Readings that name no number held unconfirmed before the link asks a query that confirms
// them: one request more in 32 while the preset names are read, none where replies name their
// numbers.
constexpr int kUnconfirmedLimit = 32;

const unsigned char* bytesOf(const QByteArray& bytes)
{
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

bool namesNumber(const ReplyPattern& pattern)
{
    for (const Echo& echo : pattern.echoes) {
        if (echo.value >= 0)
            return true;
    }
    return false;
}

bool matches(const QByteArray& message, const ReplyPattern& pattern)
{
    return matchReply(bytesOf(message), message.size(), pattern) >= 0;
}

} // namespace

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

void AxeFX::wakeWait()
{
    if (activeWait)
        activeWait->wake();
}

bool AxeFX::SendRAWBuffer(unsigned char* buf, unsigned int len)
{
    clearInbox();
    const QByteArray bytes(reinterpret_cast<const char*>(buf), int(len));
    // Only the replies of these functions have no length of their own that tells them from
    // their request.
    const unsigned char function = len > kFunctionOffset ? buf[kFunctionOffset] : 0;
    const bool replyMayEqual = function == kFunctionCabName || function == kFunctionPresetName
        || function == kFunctionParamValue || function == kFunctionParamStrings;
    sentRecently.append({ bytes, replyMayEqual });
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

// What came before a request is no reply to it, but it may show that the link is out of step.
void AxeFX::clearInbox()
{
    QRtMidiData message;
    while (midiIn.takeMessage(message))
        noteStray(message.toByteArray());
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
    if (awaitReply(replyPattern(function), QByteArray(), reply, at) != Heard::Reply)
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

// The wait for the reply to request. Only a message that passes every check of the pattern
// ends it; anything else is noted (a loop's copy, the unit's preset, a sign of being out of
// step) and the wait goes on. Copies of the program's requests count as a MIDI loop's only
// once a loop has shown; until then a reply may be the very bytes of its request (an empty
// name without its 00, a value of 0). With a loop, the request's first copy is the loop's.
// A grid reply that comes before the unit announced the preset asked for belongs to the
// preset before.
AxeFX::Heard AxeFX::awaitReply(
    const ReplyPattern& pattern, const QByteArray& request, QByteArray& reply, int& at)
{
    if (lastSendFailed)
        return Heard::Nothing;
    Wait wait(*this);
    QRtMidiData message;
    bool requestCopySkipped = false;
    bool damaged = false;
    while (wait.next(message)) {
        const QByteArray bytes = message.toByteArray();
        if (isLoopCopy(bytes) && (bytes != request || !requestCopySkipped)) {
            requestCopySkipped = requestCopySkipped || bytes == request;
            continue;
        }
        if (isPresetNotice(bytes))
            continue;
        const bool stale
            = pattern.function == kFunctionBlockGrid && announcesPreset && !presetConfirmed;
        at = matchReply(bytesOf(bytes), bytes.size(), pattern);
        if (at >= 0 && !stale) {
            reply = bytes;
            return Heard::Reply;
        }
        const int h = pattern.model
            ? findReplyHeader(bytesOf(bytes), bytes.size(), pattern.model, pattern.function)
            : -1;
        damaged = damaged || (h >= 0 && !replyIntact(bytesOf(bytes) + h, bytes.size() - h));
        noteStray(bytes);
    }
    return damaged ? Heard::Damaged : Heard::Nothing;
}

bool AxeFX::isLoopCopy(const QByteArray& message)
{
    for (const Sent& sent : qAsConst(sentRecently)) {
        if (sent.bytes != message)
            continue;
        loopSeen = loopSeen || !sent.replyMayEqual;
        return loopSeen;
    }
    return false;
}

// The unit's preset number after a program change, F0 00 01 74 model 14 hi lo cs F7. One that
// names the preset asked for confirms the change, and shows that this unit announces them.
bool AxeFX::isPresetNotice(const QByteArray& message)
{
    if (!model)
        return false;
    const unsigned char* data = bytesOf(message);
    const int h = matchHeaderReply(data, message.size(), model, kFunctionPresetNumber, 10);
    if (h < 0 || !replyIntact(data + h, message.size() - h))
        return false;
    const int preset
        = (data[h + kPayloadOffset] & 0x7F) << 7 | (data[h + kPayloadOffset + 1] & 0x7F);
    if (preset == presetAsked) {
        presetConfirmed = true;
        announcesPreset = true;
    }
    return true;
}

// A message that is not the reply awaited. The late reply of a request that went unanswered,
// and a second copy of a reply already taken, are accounted for; one that could be the reply
// to any other request since the link was last in step shows that a reply taken since then
// may have been another's: the readings since then are withdrawn, and the next request first
// brings the link back in step. Messages that no request since then could have asked for
// (another block's parameter, a clock) change nothing.
void AxeFX::noteStray(const QByteArray& message)
{
    if (isLoopCopy(message) || isPresetNotice(message))
        return;
    for (int i = 0; i < owed.size(); ++i) {
        if (matches(message, owed.at(i))) {
            owed.removeAt(i);
            return;
        }
    }
    if (takenSinceInStep.contains(message))
        return;
    for (const ReplyPattern& pattern : qAsConst(askedSinceInStep)) {
        if (matches(message, pattern)) {
            withdraw();
            outOfStep = true;
            return;
        }
    }
}

void AxeFX::holdUnconfirmed(Reading::Kind kind, int index)
{
    unconfirmed.append({ kind, index });
}

void AxeFX::confirm()
{
    unconfirmed.clear();
    askedSinceInStep.clear();
    takenSinceInStep.clear();
}

void AxeFX::withdraw()
{
    withdrawnNow = true;
    for (const Reading& reading : qAsConst(unconfirmed)) {
        switch (reading.kind) {
        case Reading::PresetName:
            presetNames[reading.index].clear();
            presetNameRead[reading.index] = false;
            break;
        case Reading::Usage:
            withdrawnUsages.append(reading.index);
            break;
        case Reading::DisplayOffset:
            displayOffsetRead = false;
            break;
        }
    }
    unconfirmed.clear();
}

bool AxeFX::confirmReadings()
{
    return unconfirmed.isEmpty() || settle();
}

QList<int> AxeFX::takeWithdrawnUsages()
{
    QList<int> usages;
    usages.swap(withdrawnUsages);
    return usages;
}

// Brings the link in step: after a request that went unanswered its reply may still come, and
// after a sign of being out of step a reply taken may have been another's. The unit answers
// in the order it is asked, so everything it owes comes before the reply to a cabinet name
// query, which names its number; the number is one no unanswered request asked for, so an
// older reply cannot pass for it. What comes before is judged as noteStray() judges it, and
// the readings held unconfirmed stand once the reply is here. A link that loses no reply
// settles only to confirm readings that name no number.
bool AxeFX::settle()
{
    const int count = CabCount();
    const auto owedFor = [this](int cab) {
        for (const ReplyPattern& pattern : qAsConst(owed)) {
            if (pattern.function == kFunctionCabName && pattern.echoes[0].value == cab)
                return true;
        }
        return false;
    };
    for (int tries = 0; tries < count && owedFor(settleCab); ++tries)
        settleCab = (settleCab + 1) % count;
    const int number = settleCab;
    settleCab = (settleCab + 1) % count;
    const Message query = cabNameQuery(model, quint16(number));
    ReplyPattern pattern = replyPattern(kFunctionCabName);
    pattern.minSize = kNameReplyMinSize;
    pattern.echoes[0] = { kPayloadOffset, number };
    QByteArray reply;
    int at;
    Message sent = query;
    const QByteArray request(reinterpret_cast<const char*>(sent.bytes), int(sent.size));
    const Heard heard = SendRAWBuffer(sent.bytes, sent.size)
        ? awaitReply(pattern, request, reply, at)
        : Heard::Nothing;
    if (heard != Heard::Reply) {
        failureDamaged = heard == Heard::Damaged;
        owed.append(pattern);
        outOfStep = true;
        return false;
    }
    outOfStep = false;
    owed.clear();
    confirm();
    return true;
}

bool AxeFX::exchange(unsigned char* bytes, unsigned int size, const ReplyPattern& pattern,
    QByteArray& reply, int& at)
{
    // Discovery starts on ports opened anew, with nothing owed.
    const bool linked = pattern.model != 0;
    const bool named = namesNumber(pattern);
    if (linked && (outOfStep || (!named && unconfirmed.size() >= kUnconfirmedLimit)) && !settle()) {
        ++failures;
        return noteAnswer(false);
    }
    withdrawnNow = false;
    const QByteArray request(reinterpret_cast<const char*>(bytes), int(size));
    const Heard heard
        = SendRAWBuffer(bytes, size) ? awaitReply(pattern, request, reply, at) : Heard::Nothing;
    // A reply that names no number is not believed when a sign of being out of step came while
    // it was awaited.
    const bool believed = heard == Heard::Reply && (named || !withdrawnNow);
    if (linked) {
        if (believed && named && !outOfStep)
            confirm();
        askedSinceInStep.append(pattern);
        if (heard == Heard::Reply)
            takenSinceInStep.append(reply);
        // Silence, or a damaged reply that may have been another's, leaves a reply owed.
        if (heard != Heard::Reply) {
            outOfStep = true;
            owed.append(pattern);
        }
    }
    if (!believed) {
        ++failures;
        failureDamaged = heard == Heard::Damaged;
        // The unit answered; it is only the link that must get back in step.
        if (heard == Heard::Reply)
            return false;
    }
    return noteAnswer(believed);
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

void AxeFX::resetLink()
{
    model = 0;
    displayOffsetRead = false;
    outOfStep = false;
    owed.clear();
    unconfirmed.clear();
    withdrawnUsages.clear();
    confirm();
    loopSeen = false;
    announcesPreset = false;
    presetAsked = -1;
    presetConfirmed = false;
}
