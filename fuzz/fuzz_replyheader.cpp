// The reply header search (F0 00 01 74 model function), the header match with a minimum
// size and the check that a reply is whole, against a plain search of every position.
#include "fuzzinput.h"

#include <axefxmessage.h>
#include <axefxreply.h>

#include <algorithm>
#include <cstring>

using namespace axefx;

namespace {

int firstHeaderByHand(const unsigned char* data, int size, const unsigned char* header)
{
    for (int p = 0; p + kHeaderSize <= size; ++p) {
        if (std::memcmp(data + p, header, kHeaderSize) == 0)
            return p;
    }
    return -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzInput input(bytes, size);
    const unsigned char model = input.byte();
    const unsigned char function = input.byte();
    const int minSize = input.int32();
    int n = 0;
    const unsigned char* message = input.restBytes(n);
    const unsigned char header[kHeaderSize] = { kSysExStart, 0x00, 0x01, 0x74, model, function };

    const int found = findReplyHeader(message, n, model, function);
    FUZZ_CHECK(found == firstHeaderByHand(message, n, header));

    const int at = matchHeaderReply(message, n, model, function, minSize);
    FUZZ_CHECK(at == -1 || at == found);
    if (found >= 0)
        FUZZ_CHECK((at == found) == (n - found >= std::max(minSize, kHeaderSize)));
    if (found >= 0 && replyIntact(message + found, n - found)) {
        const unsigned char* reply = message + found;
        const int length = n - found;
        unsigned char sum = 0;
        for (int i = 0; i < length - 2; ++i)
            sum ^= reply[i];
        FUZZ_CHECK(reply[length - 1] == kSysExEnd && reply[length - 2] == (sum & 0x7F));
    }
    return 0;
}
