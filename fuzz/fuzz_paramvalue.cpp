// Parameter value replies: block, parameter and signed value, read from the header that the
// value query waits for, and from the message's first byte.
#include "fuzzinput.h"

#include <axefxmessage.h>
#include <axefxreply.h>

using namespace axefx;

namespace {

void readReply(const unsigned char* reply, int size)
{
    ParamValue value;
    if (readParamValueReply(reply, size, value))
        FUZZ_CHECK(value.block < 16384 && value.param < 16384);
    else
        FUZZ_CHECK(size < kParamValueReplyLength);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzInput input(bytes, size);
    const unsigned char model = input.byte();
    int n = 0;
    const unsigned char* message = input.restBytes(n);

    readReply(message, n);
    const int at = matchHeaderReply(message, n, model, kFunctionParamValue, kParamValueReplyLength);
    if (at >= 0)
        readReply(message + at, n - at);
    return 0;
}
