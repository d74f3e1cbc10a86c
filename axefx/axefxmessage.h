// SPDX-License-Identifier: MIT
// The AxeFx SysEx frame: checksum, number encodings and the request messages,
// built into fixed buffers so that sending a request allocates nothing here.
#pragma once

#include <cstdint>

namespace axefx {

constexpr unsigned char kSysExStart = 0xF0;
constexpr unsigned char kSysExEnd = 0xF7;
constexpr int kHeaderSize = 6;
constexpr int kManufacturerSize = 4; // F0 and the three manufacturer bytes
constexpr int kModelOffset = 4;
constexpr int kFunctionOffset = 5;
constexpr int kPayloadOffset = 6;

// F0 and the manufacturer ID that open every frame; the model and function bytes follow.
constexpr unsigned char kFrameStart[kManufacturerSize] = { kSysExStart, 0x00, 0x01, 0x74 };

// The model byte sent in the model query, before the device's own is known.
constexpr unsigned char kModelQueryModel = 0x7F;
// Model bytes above this select the larger memory layout.
constexpr unsigned char kLargestSmallLayoutModel = 5;

enum Function : unsigned char {
    kFunctionModel = 0x00,
    kFunctionParamValue = 0x02,
    kFunctionSetXY = 0x11,
    kFunctionCabName = 0x12,
    kFunctionPresetNumber = 0x14,
    kFunctionPresetName = 0x15,
    kFunctionParamInfo = 0x16,
    kFunctionBlockGrid = 0x20,
    kFunctionParamStrings = 0x28,
    kFunctionDisplayOffset = 0x35,
    kFunctionProgramChange = 0x3C,
    kFunctionModelReply = 0x64,
};

constexpr unsigned short kCabBlock1 = 108;
constexpr unsigned short kCabBlock2 = 109;
constexpr unsigned short kParamCab = 0;
constexpr unsigned short kParamSecondCab = 2;
constexpr unsigned short kParamCabMode = 12;
// A cabinet block in this mode or above uses its second cabinet too.
constexpr short kDualCabMode = 2;

constexpr int kModelReplyLength = 10;
constexpr int kDisplayOffsetReplyLength = 13;
constexpr int kBlockGridReplyLength = 200;
constexpr int kParamValueReplyLength = 13;
constexpr int kParamInfoReplyLength = 33;

// The memory layout a model byte selects; cabinet numbers below factoryCabs are factory ones.
struct Layout {
    int presets;
    int cabs;
    int factoryCabs;
};
Layout layoutOf(unsigned char model);

// The first six bytes of a reply to a request of this function.
void writeHeader(unsigned char* out, unsigned char model, unsigned char function);

// A request as it goes on the wire. The longest request is 16 bytes.
struct Message {
    unsigned char bytes[16];
    unsigned int size = 0;
};

// XOR of the first size bytes, masked to 7 bits; 0 for no bytes.
unsigned char frameChecksum(const unsigned char* data, unsigned int size);

// 32-bit value from five 7-bit bytes, low part first; only four bits of the fifth count.
std::uint32_t decodeInt32(const unsigned char* bytes);
// The same 32 bits as an IEEE 754 single.
float decodeFloat32(const unsigned char* bytes);

Message modelQuery();
Message displayOffsetQuery(unsigned char model);
Message programChange(unsigned char model, int preset);
Message blockGridQuery(unsigned char model);
Message setXYMessage(unsigned char model, unsigned short block, bool y);
Message paramValueQuery(unsigned char model, unsigned short block, unsigned short param);
Message cabNameQuery(unsigned char model, unsigned short cab);
Message presetNameQuery(unsigned char model, int preset);
Message paramInfoQuery(unsigned char model, unsigned short block, unsigned short param);
Message paramStringsQuery(unsigned char model, unsigned short block, unsigned short param);

} // namespace axefx

// 14-bit value from two 7-bit bytes, low part first.
unsigned short DecodeInt14(const unsigned char* bytes);
// 16-bit value from three 7-bit bytes, low part first; only two bits of the third count.
unsigned short DecodeInt16(const unsigned char* bytes);

// First position p of pattern in data, or null (also when the pattern is longer).
const unsigned char* myfind(
    const unsigned char* data, int len, const unsigned char* pattern, int plen);
unsigned char* myfind(unsigned char* data, int len, unsigned char* pattern, int plen);
