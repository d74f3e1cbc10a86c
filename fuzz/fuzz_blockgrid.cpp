// Block grid replies: the 200-byte reply matched by its known length and copied out, as the
// grid query does, then searched for the two cabinet blocks; and the reader on the bare
// message.
#include "fuzzinput.h"

#include <axefxmessage.h>
#include <axefxreply.h>

#include <cstring>

using namespace axefx;

namespace {

void readReply(const unsigned char* reply, int size)
{
    CabBlocks blocks;
    blocks.cab1 = blocks.cab2 = true;
    if (!readCabBlocks(reply, size, blocks))
        FUZZ_CHECK(blocks.cab1 && blocks.cab2 && size < kBlockGridReplyLength);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzInput input(bytes, size);
    const unsigned char model = input.byte();
    int n = 0;
    const unsigned char* message = input.restBytes(n);

    readReply(message, n);
    const int at = matchKnownLength(message, n, model, kFunctionBlockGrid, kBlockGridReplyLength);
    if (at >= 0) {
        unsigned char reply[kBlockGridReplyLength];
        std::memcpy(reply, message + at, kBlockGridReplyLength);
        readReply(reply, kBlockGridReplyLength);
    }
    return 0;
}
