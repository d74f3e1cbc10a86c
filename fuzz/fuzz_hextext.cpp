// Hex text into QRtMidiData: setText and both text constructors, on any text. Whatever bytes
// come out must survive the way back: their own hex text, plain or separated, reads as them.
#include "fuzzinput.h"

#include <qrtmididata.h>

namespace {

void checkRoundTrip(const QRtMidiData& data)
{
    if (data.isEmpty())
        return;
    FUZZ_CHECK(QRtMidiData(data.toString()) == data);
    FUZZ_CHECK(QRtMidiData(data.toString(' ')) == data);
    FUZZ_CHECK(QRtMidiData(data.toString(',')) == data);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzInput input(bytes, size);
    const QByteArray text = input.text();

    QRtMidiData fromText(text.constData());
    checkRoundTrip(fromText);

    // The QString form drops newlines and goes through UTF-8 again, which keeps the text the
    // same once there are no newlines.
    const QRtMidiData fromString(QString::fromUtf8(text));
    if (!text.contains('\n'))
        FUZZ_CHECK(fromString == fromText);

    fromText.setText(nullptr);
    FUZZ_CHECK(fromText.isEmpty());

    // The remaining bytes as a message: its text reads back as the same bytes.
    checkRoundTrip(QRtMidiData(input.rest()));
    return 0;
}
