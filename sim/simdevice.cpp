// SPDX-License-Identifier: MIT
#include "simdevice.h"

#include "simframe.h"

#include <cstring>

namespace {

constexpr quint8 kModelReplyFirmware[] = { 0x0A, 0x03 }; // bytes 6-7, not read by the program
constexpr quint8 kDisplayOffsetTag[] = { 0x7E, 0x05 };
constexpr quint8 kGridLinkOccupied = 0x02; // a cell's routing bytes, not read by the program
constexpr int kCabParam = 0;
constexpr int kSecondCabParam = 2;
constexpr int kModeParam = 12;
constexpr quint16 kAmpBlock = 106;
constexpr int kValueReplySize = 17;

QByteArray nameBytes(const QString& name)
{
    QByteArray bytes = name.toLatin1();
    for (char& c : bytes) {
        if (quint8(c) > 0x7F || c == 0)
            c = '?';
    }
    return bytes;
}

quint32 floatBits(float f)
{
    quint32 bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

QByteArray truncate(const QByteArray& message)
{
    QByteArray cut = message.left(message.size() / 2);
    cut.append(char(SimFrame::kSysExEnd));
    return cut;
}

} // namespace

SimAnswer SimDevice::answer(const SimRequest& request, const SimFaults& faults)
{
    if (!request.isRequest() || !addressedToMe(request))
        return {};
    ++requestsSeen;
    const bool mute = muted(request, faults);
    SimAnswer result;
    if (!mute) {
        result = respond(request, faults);
        applyReplyFaults(request.function, result, faults);
    }
    result.stallMs = stallFor(request, mute, faults);
    return result;
}

int SimDevice::stallFor(const SimRequest& request, bool mute, const SimFaults& faults)
{
    if (faults.stallMs <= 0)
        return 0;
    bool stall = requestsSeen == faults.stallAtRequest;
    const int preset = state.currentPreset;
    const bool stallHere = preset == faults.stallPreset
        || (faults.stallEvery > 0 && preset > 0 && preset % faults.stallEvery == 0);
    if (!mute && request.kind == SimRequest::BlockGridQuery && stallHere
        && !stalledGrids.contains(preset)) {
        stalledGrids.insert(preset);
        stall = true;
    }
    return stall ? faults.stallMs : 0;
}

bool SimDevice::muted(const SimRequest& request, const SimFaults& faults)
{
    silenced = silenced
        || (request.kind == SimRequest::ProgramChange && request.number == faults.silentFromPreset);
    if (silenced)
        return true;
    if (request.kind != SimRequest::BlockGridQuery || faults.mutePreset != state.currentPreset)
        return false;
    if (faults.muteTimes > 0 && mutedSoFar >= faults.muteTimes)
        return false;
    ++mutedSoFar;
    return true;
}

bool SimDevice::addressedToMe(const SimRequest& request) const
{
    if (request.kind == SimRequest::ModelQuery && request.model == SimRequest::kModelQueryModel)
        return true;
    return request.model == state.model;
}

SimAnswer SimDevice::respond(const SimRequest& request, const SimFaults& faults)
{
    SimAnswer result;
    QByteArray one;
    switch (request.kind) {
    case SimRequest::ModelQuery:
        one = modelReply();
        break;
    case SimRequest::DisplayOffsetQuery:
        one = displayOffsetReply();
        break;
    case SimRequest::ProgramChange:
        if (request.number == faults.ignoreProgramChange && !programChangeIgnored) {
            programChangeIgnored = true;
            return result;
        }
        return programChange(request.number, faults.presetNotices);
    case SimRequest::BlockGridQuery:
        one = blockGridReply();
        break;
    case SimRequest::SelectXY:
        selectXY(request.block, request.y);
        break;
    case SimRequest::ParamValueQuery:
        one = paramValueReply(request, faults);
        break;
    case SimRequest::CabNameQuery:
        one = cabNameReply(request.number, faults);
        break;
    case SimRequest::PresetNameQuery:
        one = presetNameReply(request.number, faults);
        break;
    case SimRequest::ParamInfoQuery:
        one = paramInfoReply(request, faults);
        break;
    case SimRequest::ParamStringsQuery:
        one = paramStringsReply(request);
        break;
    default:
        break;
    }
    if (!one.isEmpty())
        result.replies.append(one);
    return result;
}

void SimDevice::applyReplyFaults(quint8 function, SimAnswer& answer, const SimFaults& faults) const
{
    if (faults.unanswered.contains(function)) {
        answer = {};
        return;
    }
    const bool ofPreset
        = function == SimRequest::kFnBlockGrid || function == SimRequest::kFnParamValue;
    const int preset = state.currentPreset;
    if (faults.lateMs > 0 && ofPreset && faults.lateEvery > 0 && preset % faults.lateEvery == 0)
        answer.lateMs = faults.lateMs;
    if (faults.twice.contains(function) && faults.twiceEvery > 0 && preset % faults.twiceEvery == 0
        && !answer.replies.isEmpty())
        answer.replies.append(answer.replies);
    const auto replacement = faults.replaceReplies.constFind(function);
    if (replacement != faults.replaceReplies.constEnd())
        answer.replies = *replacement;
    else if (faults.truncated.contains(function)) {
        for (QByteArray& r : answer.replies)
            r = truncate(r);
    } else if (faults.damaged.contains(function)) {
        for (QByteArray& r : answer.replies) {
            // The last payload byte, which no number the reply repeats covers: only the
            // checksum shows the damage.
            const int last = r.size() - 3;
            if (r.size() > SimFrame::kMinFrameSize)
                r[last] = char(r.at(last) ^ 0x01);
        }
    }
}

QByteArray SimDevice::tempoBeat() const
{
    QByteArray beat = SimFrame::header(state.model, SimRequest::kFnTempo);
    beat.append(char(SimFrame::kSysExEnd));
    return beat;
}

QByteArray SimDevice::unasked(int n) const
{
    if (n % 2)
        return presetNotice();
    QByteArray payload;
    SimFrame::append14(payload, kAmpBlock);
    SimFrame::append14(payload, quint16(n % 16));
    SimFrame::append16(payload, n);
    payload.append(2, 0);
    return reply(SimRequest::kFnParamValue, payload);
}

QByteArray SimDevice::presetNotice() const
{
    QByteArray payload;
    SimFrame::append14HighFirst(payload, state.currentPreset);
    return reply(SimRequest::kFnPresetNotice, payload);
}

QByteArray SimDevice::reply(quint8 function, const QByteArray& payload) const
{
    return SimFrame::build(state.model, function, payload);
}

const SimPreset* SimDevice::current() const
{
    const int p = state.currentPreset;
    return p >= 0 && p < state.presets.size() ? &state.presets.at(p) : nullptr;
}

QByteArray SimDevice::modelReply() const
{
    QByteArray payload;
    for (quint8 b : kModelReplyFirmware)
        payload.append(char(b));
    return reply(SimRequest::kFnModelReply, payload);
}

QByteArray SimDevice::displayOffsetReply() const
{
    QByteArray payload;
    for (quint8 b : kDisplayOffsetTag)
        payload.append(char(b));
    payload.append(char(state.displayOffset ? 1 : 0));
    payload.append(2, 0);
    return reply(SimRequest::kFnDisplayOffset, payload);
}

SimAnswer SimDevice::programChange(int preset, bool announce)
{
    SimAnswer result;
    if (preset < 0 || preset >= state.presets.size())
        return result;
    state.currentPreset = preset;
    if (announce)
        result.notices.append(presetNotice());
    return result;
}

QByteArray SimDevice::blockGridReply() const
{
    const SimPreset* preset = current();
    QByteArray payload;
    payload.reserve(SimPreset::kGridCells * 4);
    for (int cell = 0; cell < SimPreset::kGridCells; ++cell) {
        const quint16 block = preset ? preset->grid[cell] : 0;
        SimFrame::append14(payload, block);
        payload.append(char(block ? kGridLinkOccupied : 0));
        payload.append(char(0));
    }
    return reply(SimRequest::kFnBlockGrid, payload);
}

void SimDevice::selectXY(quint16 block, bool y)
{
    const int p = state.currentPreset;
    if (p < 0 || p >= state.presets.size())
        return;
    if (block == SimBank::kCabBlock1 || block == SimBank::kCabBlock2)
        state.presets[p].cabBlocks[block - SimBank::kCabBlock1].ySelected = y;
}

int SimDevice::paramValue(quint16 block, quint16 param) const
{
    const SimPreset* preset = current();
    if (!preset || (block != SimBank::kCabBlock1 && block != SimBank::kCabBlock2))
        return 0;
    const SimCabSetting& s = preset->cabBlocks[block - SimBank::kCabBlock1].active();
    switch (param) {
    case kCabParam:
        return s.cab;
    case kSecondCabParam:
        return s.secondCab;
    case kModeParam:
        return s.mode;
    default:
        return 0;
    }
}

QByteArray SimDevice::paramValueReply(const SimRequest& request, const SimFaults& faults) const
{
    QByteArray payload;
    SimFrame::append14(payload, request.block + faults.echoBlockOffset);
    SimFrame::append14(payload, request.param + faults.echoParamOffset);
    SimFrame::append16(payload, paramValue(request.block, request.param));
    payload.append(2, 0);
    // The frame's checksum and F7 close a reply of any length; a short one loses payload.
    const int length = faults.valueReplyLength ? faults.valueReplyLength : kValueReplySize;
    payload.resize(qMax(0, length - SimFrame::kMinFrameSize));
    return reply(SimRequest::kFnParamValue, payload);
}

QByteArray SimDevice::cabNameReply(int cab, const SimFaults& faults) const
{
    if (cab < 0 || cab >= state.cabNames.size())
        return {};
    QByteArray payload;
    SimFrame::append14(payload, cab + faults.echoCabOffset);
    payload.append(nameBytes(state.cabNames.at(cab)));
    if (!faults.namesUnended)
        payload.append(char(0));
    return reply(SimRequest::kFnCabName, payload);
}

QByteArray SimDevice::presetNameReply(int preset, const SimFaults& faults) const
{
    if (preset < 0 || preset >= state.presets.size())
        return {};
    QByteArray payload;
    SimFrame::append14HighFirst(
        payload, faults.presetNameNumber >= 0 ? faults.presetNameNumber : preset);
    payload.append(nameBytes(state.presets.at(preset).name));
    if (!faults.namesUnended)
        payload.append(char(0));
    return reply(SimRequest::kFnPresetName, payload);
}

QByteArray SimDevice::paramInfoReply(const SimRequest& request, const SimFaults& faults) const
{
    const SimParam* info = state.findParam(request.block, request.param);
    if (!info)
        return {};
    QByteArray payload;
    SimFrame::append14(payload, info->flags);
    SimFrame::append14(payload, request.param + faults.echoParamOffset);
    payload.append(char(0));
    for (float word : info->words)
        SimFrame::append32(payload, floatBits(word));
    return reply(SimRequest::kFnParamInfo, payload);
}

QByteArray SimDevice::paramStringsReply(const SimRequest& request) const
{
    QByteArray payload;
    if (const SimParam* info = state.findParam(request.block, request.param)) {
        for (const QString& text : info->strings) {
            payload.append(nameBytes(text));
            payload.append(char(0));
        }
    }
    return reply(SimRequest::kFnParamStrings, payload);
}
