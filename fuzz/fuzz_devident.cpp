// Universal identity replies into QRtMidiDevIdent, and everything it renders from them.
#include "fuzzinput.h"

#include <qrtmididevident.h>

namespace {

void render(const QRtMidiDevIdent& ident)
{
    ident.getManufactureName();
    ident.getFamilyId();
    ident.getProductId();
    ident.getShortId();
    ident.toString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzInput input(bytes, size);
    const QRtMidiData reply(input.rest());

    const QRtMidiDevIdent ident(reply);
    render(ident);
    if (ident.isEmpty()) {
        FUZZ_CHECK(ident.version.isEmpty() && ident.familyCode.isEmpty());
        FUZZ_CHECK(ident.manufacturerIdLength == 1);
    } else {
        const int idLength = ident.manufacturerIdLength;
        FUZZ_CHECK(idLength == 1 || idLength == 3);
        FUZZ_CHECK(ident.manufacturerId.size() == idLength);
        FUZZ_CHECK(ident.familyCode.size() == 2 && ident.productCode.size() == 2);
        FUZZ_CHECK(ident.idPrefix.size() == 1 + idLength + 2);
        FUZZ_CHECK(ident.getShortId().size() == 4);
    }

    // Taking a second reply over a first one leaves either the first or the second.
    QRtMidiDevIdent taken(QRtMidiData("F0 7E 10 06 02 41 02 00 03 00 31 32 33 34 F7"));
    taken.fromIdentData(reply);
    render(taken);
    if (ident.isEmpty())
        FUZZ_CHECK(taken.getManufactureName() == QLatin1String("Roland"));
    else
        FUZZ_CHECK(taken.toString() == ident.toString());
    return 0;
}
