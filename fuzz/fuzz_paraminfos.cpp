// Parameter info replies: the 33-byte reply matched by its known length and copied out, as
// the info query does, then read into param_infos; and the reader on the bare message.
#include "fuzzinput.h"

#include <axefxmessage.h>
#include <axefxreply.h>

#include <cstring>
#include <vector>

using namespace axefx;

namespace {

constexpr quint8 kUnusedFlagBit = 0x10;

void readReply(const unsigned char* reply, int size)
{
    param_infos infos;
    infos.flags = 0xAA;
    if (readParamInfos(reply, size, infos)) {
        FUZZ_CHECK((infos.flags & kUnusedFlagBit) == 0);
        for (int i = 0; i < 4; ++i)
            infos.wordAsFloat(i);
    } else {
        FUZZ_CHECK(infos.flags == 0xAA && infos.words[0] == 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzInput input(bytes, size);
    const unsigned char model = input.byte();
    int n = 0;
    const unsigned char* message = input.restBytes(n);

    readReply(message, n);
    const int at = matchKnownLength(message, n, model, kFunctionParamInfo, kParamInfoReplyLength);
    if (at >= 0) {
        unsigned char reply[kParamInfoReplyLength];
        std::memcpy(reply, message + at, kParamInfoReplyLength);
        readReply(reply, kParamInfoReplyLength);
    }
    return 0;
}
