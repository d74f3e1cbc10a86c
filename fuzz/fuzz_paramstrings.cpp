// Parameter string replies: the 00-ended UTF-8 texts from byte 6, read from the header the
// strings query waits for, and from the message's first byte.
#include "fuzzinput.h"

#include <axefxmessage.h>
#include <axefxreply.h>

#include <QStringList>

#include <algorithm>

using namespace axefx;

namespace {

void readReply(const unsigned char* reply, int size)
{
    QStringList strings { QStringLiteral("kept") };
    if (!readParamStrings(reply, size, strings)) {
        FUZZ_CHECK(strings.size() == 1);
        return;
    }
    // Appended, one text per 00 byte at most.
    FUZZ_CHECK(strings.first() == QLatin1String("kept"));
    const int zeros = int(std::count(reply + 6, reply + size, 0x00));
    FUZZ_CHECK(strings.size() - 1 <= zeros);
    if (reply[7] == kSysExEnd)
        FUZZ_CHECK(strings.size() == 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzInput input(bytes, size);
    const unsigned char model = input.byte();
    int n = 0;
    const unsigned char* message = input.restBytes(n);

    readReply(message, n);
    const int at = matchHeaderReply(message, n, model, kFunctionParamStrings, kParamStringsMinSize);
    if (at >= 0)
        readReply(message + at, n - at);
    return 0;
}
