// The simulator's bank files: any text into SimBankJson::read. A bank that is read must write
// out as a file that reads back as the same bank; a refused one leaves the bank as it was and
// says why.
#include "fuzzinput.h"

#include <simbank.h>
#include <simbankjson.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzInput input(bytes, size);
    const QByteArray json = input.rest();

    static const SimBank before = SimBank::empty();
    SimBank bank = before;
    QString error;
    if (!SimBankJson::read(json, &bank, &error)) {
        FUZZ_CHECK(!error.isEmpty());
        FUZZ_CHECK(bank == before);
        return 0;
    }

    SimBank again;
    QString againError;
    FUZZ_CHECK(SimBankJson::read(SimBankJson::write(bank), &again, &againError));
    FUZZ_CHECK(again == bank);
    return 0;
}
