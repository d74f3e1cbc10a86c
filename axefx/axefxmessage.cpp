// SPDX-License-Identifier: MIT
#include "axefxmessage.h"

#include <cstring>

namespace axefx {

namespace {

constexpr unsigned char kSevenBits = 0x7F;
constexpr unsigned char kDisplayOffsetPayload[] = { 0x7E, 0x05 };
constexpr unsigned char kXYTrailer = 0x01;

class MessageBuilder {
public:
    MessageBuilder(unsigned char model, unsigned char function)
    {
        writeHeader(message.bytes, model, function);
        message.size = kHeaderSize;
    }

    MessageBuilder& add(unsigned char b)
    {
        message.bytes[message.size++] = b;
        return *this;
    }
    MessageBuilder& addLowFirst(unsigned short v)
    {
        return add(v & kSevenBits).add((v >> 7) & kSevenBits);
    }
    MessageBuilder& addHighFirst(int v) { return add((v >> 7) & kSevenBits).add(v & kSevenBits); }

    Message finish()
    {
        add(frameChecksum(message.bytes, message.size));
        add(kSysExEnd);
        return message;
    }

private:
    Message message;
};

} // namespace

Layout layoutOf(unsigned char model)
{
    if (model > kLargestSmallLayoutModel)
        return { 768, 1203, 179 };
    return { 384, 232, 132 };
}

void writeHeader(unsigned char* out, unsigned char model, unsigned char function)
{
    std::memcpy(out, kFrameStart, kManufacturerSize);
    out[kModelOffset] = model;
    out[kFunctionOffset] = function;
}

unsigned char frameChecksum(const unsigned char* data, unsigned int size)
{
    unsigned char sum = 0;
    for (unsigned int i = 0; i < size; ++i)
        sum ^= data[i];
    return sum & kSevenBits;
}

std::uint32_t decodeInt32(const unsigned char* b)
{
    return std::uint32_t(b[0] & kSevenBits) | std::uint32_t(b[1] & kSevenBits) << 7
        | std::uint32_t(b[2] & kSevenBits) << 14 | std::uint32_t(b[3] & kSevenBits) << 21
        | std::uint32_t(b[4]) << 28;
}

float decodeFloat32(const unsigned char* bytes)
{
    const std::uint32_t bits = decodeInt32(bytes);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

Message modelQuery()
{
    return MessageBuilder(kModelQueryModel, kFunctionModel).finish();
}

Message displayOffsetQuery(unsigned char model)
{
    return MessageBuilder(model, kFunctionDisplayOffset)
        .add(kDisplayOffsetPayload[0])
        .add(kDisplayOffsetPayload[1])
        .finish();
}

Message programChange(unsigned char model, int preset)
{
    return MessageBuilder(model, kFunctionProgramChange).addHighFirst(preset).finish();
}

Message blockGridQuery(unsigned char model)
{
    return MessageBuilder(model, kFunctionBlockGrid).finish();
}

Message setXYMessage(unsigned char model, unsigned short block, bool y)
{
    return MessageBuilder(model, kFunctionSetXY)
        .addLowFirst(block)
        .add(y ? 0x01 : 0x00)
        .add(kXYTrailer)
        .finish();
}

Message paramValueQuery(unsigned char model, unsigned short block, unsigned short param)
{
    return MessageBuilder(model, kFunctionParamValue)
        .addLowFirst(block)
        .addLowFirst(param)
        .add(0)
        .add(0)
        .add(0)
        .add(0)
        .finish();
}

Message cabNameQuery(unsigned char model, unsigned short cab)
{
    return MessageBuilder(model, kFunctionCabName).addLowFirst(cab).finish();
}

Message presetNameQuery(unsigned char model, int preset)
{
    return MessageBuilder(model, kFunctionPresetName).addHighFirst(preset).finish();
}

Message paramInfoQuery(unsigned char model, unsigned short block, unsigned short param)
{
    return MessageBuilder(model, kFunctionParamInfo).addLowFirst(block).addLowFirst(param).finish();
}

Message paramStringsQuery(unsigned char model, unsigned short block, unsigned short param)
{
    return MessageBuilder(model, kFunctionParamStrings)
        .addLowFirst(block)
        .addLowFirst(param)
        .finish();
}

} // namespace axefx

unsigned short DecodeInt14(const unsigned char* b)
{
    return (b[0] & 0x7F) | (b[1] & 0x7F) << 7;
}

unsigned short DecodeInt16(const unsigned char* b)
{
    return static_cast<unsigned short>((b[0] & 0x7F) | (b[1] & 0x7F) << 7 | b[2] << 14);
}

const unsigned char* myfind(
    const unsigned char* data, int len, const unsigned char* pattern, int plen)
{
    if (!data || !pattern || plen < 0 || len < plen)
        return nullptr;
    for (int p = 0; p <= len - plen; ++p) {
        if (std::memcmp(data + p, pattern, plen) == 0)
            return data + p;
    }
    return nullptr;
}

unsigned char* myfind(unsigned char* data, int len, unsigned char* pattern, int plen)
{
    return const_cast<unsigned char*>(myfind(static_cast<const unsigned char*>(data), len,
        static_cast<const unsigned char*>(pattern), plen));
}
