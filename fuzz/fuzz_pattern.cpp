// Hex text patterns against a message: match with a text pattern, contains and startsWith in
// their text and byte forms, and match with a regular expression.
#include "fuzzinput.h"

#include <qrtmididata.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzInput input(bytes, size);
    const bool fromStart = input.flag();
    const QByteArray pattern = input.text();
    const QRtMidiData message(input.rest());

    const bool anywhere = message.contains(pattern.constData());
    const bool atStart = message.startsWith(pattern.constData());
    // A match at the start is a match somewhere.
    FUZZ_CHECK(!atStart || anywhere);
    FUZZ_CHECK(message.match(pattern.constData(), fromStart) == (fromStart ? atStart : anywhere));
    FUZZ_CHECK(message.startsWith(pattern) == atStart);
    FUZZ_CHECK(message.startsWith(QRtMidiData(pattern)) == atStart);
    message.match(QRegExp(QString::fromLatin1(pattern)), fromStart);

    // Every message contains and starts with its own bytes and its own text.
    FUZZ_CHECK(message.contains(message));
    FUZZ_CHECK(message.startsWith(message.toString().toLatin1().constData()));
    FUZZ_CHECK(message.contains(message.toString(' ').toLatin1().constData()));
    return 0;
}
