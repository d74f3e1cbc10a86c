// Cabinet and preset name replies: found by their header as the name catalogues find them,
// then read from the header on; and the reader alone on the message from its first byte.
#include "fuzzinput.h"

#include <axefxmessage.h>
#include <axefxreply.h>

#include <QString>

using namespace axefx;

namespace {

void checkName(const QString& name, int replySize)
{
    FUZZ_CHECK(name.size() <= replySize - kNameReplyMinSize);
    FUZZ_CHECK(!name.contains(QChar(0)));
    FUZZ_CHECK(name == name.simplified());
}

void readReply(const unsigned char* reply, int size, bool cabinet)
{
    QString name;
    if (cabinet) {
        unsigned short cab = 0;
        if (readCabNameReply(reply, size, cab, name)) {
            FUZZ_CHECK(cab < 16384);
            checkName(name, size);
        }
    } else if (readNameText(reply, size, name)) {
        checkName(name, size);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzInput input(bytes, size);
    const unsigned char model = input.byte();
    const bool cabinet = input.flag();
    int n = 0;
    const unsigned char* message = input.restBytes(n);

    readReply(message, n, cabinet);
    const int at = matchHeaderReply(
        message, n, model, cabinet ? kFunctionCabName : kFunctionPresetName, kNameReplyMinSize);
    if (at >= 0)
        readReply(message + at, n - at, cabinet);
    return 0;
}
