// Replies of a known length, in both modes: with the model known (header, then F7 at the
// reply's last byte) and during discovery (F0 00 01 74 and the function, model not compared).
// The harness then copies the reply out as the device link does, so that a match that leaves
// the message shows as a read past the input.
#include "fuzzinput.h"

#include <axefxmessage.h>
#include <axefxreply.h>

#include <cstring>
#include <vector>

using namespace axefx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzInput input(bytes, size);
    const unsigned char model = input.byte();
    const unsigned char function = input.byte();
    const int replyLength = input.int32();
    int n = 0;
    const unsigned char* message = input.restBytes(n);

    const int at = model ? matchKnownLength(message, n, model, function, replyLength)
                         : matchDiscoveryReply(message, n, function, replyLength);
    if (at < 0)
        return 0;

    FUZZ_CHECK(at <= n - kHeaderSize);
    FUZZ_CHECK(message[at] == kSysExStart && message[at + 1] == 0x00 && message[at + 2] == 0x01
        && message[at + 3] == 0x74);
    FUZZ_CHECK(message[at + kFunctionOffset] == function);
    if (model)
        FUZZ_CHECK(message[at + kModelOffset] == model);
    if (replyLength > 0) {
        std::vector<unsigned char> reply(std::size_t(replyLength), 0);
        std::memcpy(reply.data(), message + at, reply.size());
        if (model)
            FUZZ_CHECK(reply[reply.size() - 1] == kSysExEnd);
    }
    return 0;
}
