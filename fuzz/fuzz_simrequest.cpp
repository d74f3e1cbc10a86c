// The simulated unit's request parser, and the unit answering what it parsed. The input is a
// stream of messages, each ended by F7, so that a request can act on the state the earlier
// ones left (a program change before a grid query). Whatever arrives, every reply and
// notice the unit sends is a well-formed frame of its own model.
#include "fuzzinput.h"

#include <simdevice.h>
#include <simframe.h>
#include <simrequest.h>

namespace {

constexpr quint8 kSmallLayoutModel = 3;
constexpr quint8 kLargeLayoutModel = 6;

const SimBank& bankFor(bool large)
{
    static const SimBank small = SimBank::builtIn(kSmallLayoutModel);
    static const SimBank big = SimBank::builtIn(kLargeLayoutModel);
    return large ? big : small;
}

QList<QByteArray> messagesOf(const QByteArray& stream)
{
    QList<QByteArray> messages;
    int start = 0;
    for (int i = 0; i < stream.size(); ++i) {
        if (quint8(stream.at(i)) == SimFrame::kSysExEnd) {
            messages << stream.mid(start, i + 1 - start);
            start = i + 1;
        }
    }
    if (start < stream.size())
        messages << stream.mid(start);
    return messages;
}

void checkFrame(const QByteArray& frame, quint8 model)
{
    const int n = frame.size();
    FUZZ_CHECK(n >= SimFrame::kMinFrameSize);
    FUZZ_CHECK(SimFrame::byteAt(frame, 0) == SimFrame::kSysExStart);
    FUZZ_CHECK(SimFrame::byteAt(frame, n - 1) == SimFrame::kSysExEnd);
    FUZZ_CHECK(SimFrame::hasManufacturer(frame) && SimFrame::byteAt(frame, 4) == model);
    for (int i = 1; i < n - 1; ++i)
        FUZZ_CHECK(SimFrame::byteAt(frame, i) <= 0x7F);
    FUZZ_CHECK(SimFrame::byteAt(frame, n - 2) == SimFrame::checksum(frame, n - 2));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzInput input(bytes, size);
    SimDevice device(bankFor(input.flag()));
    const quint8 model = device.bank().model;

    for (const QByteArray& message : messagesOf(input.rest())) {
        const SimRequest request = SimRequest::parse(message);
        FUZZ_CHECK(!request.describe().isEmpty());
        const SimAnswer answer = device.answer(request);
        for (const QByteArray& reply : answer.replies)
            checkFrame(reply, model);
        for (const QByteArray& notice : answer.notices)
            checkFrame(notice, model);
    }
    return 0;
}
