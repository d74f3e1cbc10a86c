// SPDX-License-Identifier: MIT
#include "axefxreply.h"

#include "axefxmessage.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstring>

float param_infos::wordAsFloat(int i) const
{
    float value;
    std::memcpy(&value, &words[i], sizeof value);
    return value;
}

namespace axefx {

namespace {

constexpr int kCabNumberOffset = 6;
constexpr int kBlockOffset = 6;
constexpr int kParamOffset = 8;
constexpr int kValueOffset = 10;
constexpr int kInfoFlagsOffset = 6;
constexpr int kInfoWordsOffset = 11;
constexpr int kInfoWordSize = 5;
constexpr int kStringsOffset = 6;

// Bits 4-7 of the info field become flag bits 0-3, bits 8-10 become flag bits 5-7.
quint8 infoFlags(unsigned short v)
{
    return quint8(((v >> 4) & 0x0F) | ((v >> 8) & 0x07) << 5);
}

} // namespace

int findReplyHeader(
    const unsigned char* data, int size, unsigned char model, unsigned char function)
{
    unsigned char header[kHeaderSize];
    writeHeader(header, model, function);
    const unsigned char* hit = myfind(data, size, header, kHeaderSize);
    return hit ? int(hit - data) : -1;
}

int matchHeaderReply(
    const unsigned char* data, int size, unsigned char model, unsigned char function, int minSize)
{
    const int h = findReplyHeader(data, size, model, function);
    if (h < 0 || size - h < std::max(minSize, kHeaderSize))
        return -1;
    return h;
}

int matchKnownLength(const unsigned char* data, int size, unsigned char model,
    unsigned char function, int replyLength)
{
    // A length shorter than the header (or one that wrapped from an unsigned count) would
    // put the F7 test before the reply or outside the message.
    if (replyLength < kHeaderSize)
        return -1;
    const int h = matchHeaderReply(data, size, model, function, replyLength);
    if (h < 0 || data[h + replyLength - 1] != kSysExEnd)
        return -1;
    return h;
}

int matchDiscoveryReply(
    const unsigned char* data, int size, unsigned char function, int replyLength)
{
    // The caller copies replyLength bytes from the hit, so a length that no message can
    // hold (a negative one, wrapped from an unsigned count) matches nothing.
    if (replyLength < 0)
        return -1;
    const int needed = std::max(replyLength, kHeaderSize);
    for (int from = 0; from < size;) {
        const unsigned char* hit = myfind(data + from, size - from, kFrameStart, kManufacturerSize);
        if (!hit)
            return -1;
        const int h = int(hit - data);
        if (size - h < needed)
            return -1;
        if (data[h + kFunctionOffset] == function)
            return h;
        from = h + 1;
    }
    return -1;
}

bool replyIntact(const unsigned char* reply, int size)
{
    if (size < kHeaderSize + 2 || reply[size - 1] != kSysExEnd)
        return false;
    return reply[size - 2] == frameChecksum(reply, unsigned(size - 2));
}

int matchReply(const unsigned char* data, int size, const ReplyPattern& pattern)
{
    int h;
    int length = pattern.length;
    if (length >= 0) {
        h = pattern.model ? matchKnownLength(data, size, pattern.model, pattern.function, length)
                          : matchDiscoveryReply(data, size, pattern.function, length);
    } else {
        h = matchHeaderReply(data, size, pattern.model, pattern.function, pattern.minSize);
        length = size - h;
    }
    if (h < 0 || !replyIntact(data + h, length))
        return -1;
    for (const Echo& echo : pattern.echoes) {
        if (echo.value < 0)
            continue;
        if (echo.offset + 2 > length - 2)
            return -1;
        const unsigned char* at = data + h + echo.offset;
        if (DecodeInt14(at) != echo.value)
            return -1;
    }
    return h;
}

bool readNameText(const unsigned char* reply, int size, QString& name)
{
    if (size < kNameReplyMinSize)
        return false;
    const unsigned char* text = reply + kNameTextOffset;
    const unsigned char* checksum = reply + size - 2;
    const unsigned char* end = std::find(text, checksum, 0x00);
    name = QString::fromLatin1(reinterpret_cast<const char*>(text), int(end - text)).simplified();
    return true;
}

bool readCabNameReply(const unsigned char* reply, int size, unsigned short& cab, QString& name)
{
    if (!readNameText(reply, size, name))
        return false;
    cab = DecodeInt14(reply + kCabNumberOffset);
    return true;
}

bool readParamValueReply(const unsigned char* reply, int size, ParamValue& out)
{
    if (size < kParamValueReplyLength)
        return false;
    out.block = DecodeInt14(reply + kBlockOffset);
    out.param = DecodeInt14(reply + kParamOffset);
    out.value = static_cast<short>(DecodeInt16(reply + kValueOffset));
    return true;
}

bool readParamInfos(const unsigned char* reply, int size, param_infos& out)
{
    if (size < kParamInfoReplyLength)
        return false;
    for (int i = 0; i < 4; ++i)
        out.words[i] = decodeInt32(reply + kInfoWordsOffset + i * kInfoWordSize);
    out.flags = infoFlags(DecodeInt14(reply + kInfoFlagsOffset));
    return true;
}

bool readParamStrings(const unsigned char* reply, int size, QStringList& out)
{
    if (size < kParamStringsMinSize)
        return false;
    if (reply[kStringsOffset + 1] == kSysExEnd)
        return true;
    const unsigned char* end = reply + size;
    for (const unsigned char* text = reply + kStringsOffset; text < end - 1;) {
        const unsigned char* zero = std::find(text, end, 0x00);
        if (zero == end)
            break; // a text without its 00 is not a text
        out << QString::fromUtf8(reinterpret_cast<const char*>(text), int(zero - text));
        if (end - zero > 2 && zero[2] == kSysExEnd)
            break;
        text = zero + 1;
    }
    return true;
}

bool readCabBlocks(const unsigned char* reply, int size, CabBlocks& out)
{
    if (size < kBlockGridReplyLength)
        return false;
    out = CabBlocks();
    for (int i = 0; i < kBlockGridCells; ++i) {
        const unsigned short block = DecodeInt14(reply + kPayloadOffset + i * kBlockGridCellSize);
        out.cab1 = out.cab1 || block == kCabBlock1;
        out.cab2 = out.cab2 || block == kCabBlock2;
    }
    return true;
}

} // namespace axefx
