// Every reader of outside input behind one entry point: the first byte chooses the reader, the
// rest is its input (see fuzz/make-seeds for each layout). Beyond not crashing, each reader
// keeps the promises checked here.
#include "fuzzinput.h"

#include <axefxmessage.h>
#include <axefxreply.h>
#include <qrtmididata.h>
#include <qrtmididevident.h>
#include <simbankjson.h>
#include <simdevice.h>
#include <simframe.h>

#include <QStringList>

#include <algorithm>
#include <vector>

using namespace axefx;

namespace {

// The bytes the text reads as survive the way back through their own text.
void hexText(FuzzInput& in)
{
    const QByteArray text = in.text();
    const QRtMidiData data(text.constData());
    if (!data.isEmpty()) {
        FUZZ_CHECK(QRtMidiData(data.toString()) == data);
        FUZZ_CHECK(QRtMidiData(data.toString(' ')) == data);
    }
    if (!text.contains('\n'))
        FUZZ_CHECK(QRtMidiData(QString::fromUtf8(text)) == data);
}

void pattern(FuzzInput& in)
{
    const bool fromStart = in.flag();
    const QByteArray pattern = in.text();
    const QRtMidiData message(in.rest());
    const bool anywhere = message.contains(pattern.constData());
    const bool atStart = message.startsWith(pattern.constData());
    FUZZ_CHECK(!atStart || anywhere);
    FUZZ_CHECK(message.match(pattern.constData(), fromStart) == (fromStart ? atStart : anywhere));
    FUZZ_CHECK(message.startsWith(pattern) == atStart);
    FUZZ_CHECK(message.startsWith(message.toString().toLatin1().constData()));
    message.match(QRegExp(QString::fromLatin1(pattern)), fromStart);
}

void identity(FuzzInput& in)
{
    const QRtMidiDevIdent ident { QRtMidiData(in.rest()) };
    ident.getManufactureName();
    ident.getFamilyId();
    ident.getProductId();
    FUZZ_CHECK(ident.getShortId().size() == 4);
    FUZZ_CHECK(ident.toString().size() > 0);
    if (!ident.isEmpty()) {
        const int length = ident.manufacturerIdLength;
        FUZZ_CHECK((length == 1 || length == 3) && ident.manufacturerId.size() == length);
        FUZZ_CHECK(ident.idPrefix.size() == length + 3);
    }
}

// A known-length match lies inside the message, so that the reply can be copied out whole.
void knownLength(FuzzInput& in)
{
    const unsigned char model = in.byte();
    const unsigned char function = in.byte();
    const int replyLength = in.int32();
    int n = 0;
    const unsigned char* m = in.restBytes(n);
    const int at = model ? matchKnownLength(m, n, model, function, replyLength)
                         : matchDiscoveryReply(m, n, function, replyLength);
    if (at < 0)
        return;
    FUZZ_CHECK(m[at] == kSysExStart && m[at + kFunctionOffset] == function);
    FUZZ_CHECK(!model || m[at + kModelOffset] == model);
    if (replyLength > 0) {
        // The copy the link makes; a reply reaching past the message shows here.
        const std::vector<unsigned char> reply(m + at, m + at + replyLength);
        FUZZ_CHECK(!model || m[at + replyLength - 1] == kSysExEnd);
    }
}

void replyHeader(FuzzInput& in)
{
    const unsigned char model = in.byte();
    const unsigned char function = in.byte();
    const int minSize = in.int32();
    int n = 0;
    const unsigned char* m = in.restBytes(n);
    const int found = findReplyHeader(m, n, model, function);
    const int at = matchHeaderReply(m, n, model, function, minSize);
    FUZZ_CHECK(at == -1 || (at == found && n - at >= std::max(minSize, kHeaderSize)));
    if (found >= 0)
        replyIntact(m + found, n - found);
}

// Each reader runs on the message from its first byte and from the header its query finds.
template <typename Read>
void fromBothStarts(FuzzInput& in, unsigned char function, int minSize, Read read)
{
    const unsigned char model = in.byte();
    int n = 0;
    const unsigned char* m = in.restBytes(n);
    read(m, n);
    const int at = matchHeaderReply(m, n, model, function, minSize);
    if (at >= 0)
        read(m + at, n - at);
}

void names(FuzzInput& in)
{
    const unsigned char model = in.byte();
    const bool cabinet = in.flag();
    int n = 0;
    const unsigned char* m = in.restBytes(n);
    const unsigned char function = cabinet ? kFunctionCabName : kFunctionPresetName;
    for (int at : { 0, matchHeaderReply(m, n, model, function, kNameReplyMinSize) }) {
        QString name;
        unsigned short cab = 0;
        if (at >= 0
            && (cabinet ? readCabNameReply(m + at, n - at, cab, name)
                        : readNameText(m + at, n - at, name)))
            FUZZ_CHECK(name.size() <= n - at - kNameReplyMinSize && name == name.simplified());
    }
}

void paramValue(const unsigned char* m, int n)
{
    ParamValue value;
    FUZZ_CHECK(readParamValueReply(m, n, value) == (n >= kParamValueReplyLength));
}

void paramInfos(const unsigned char* m, int n)
{
    param_infos infos;
    if (readParamInfos(m, n, infos))
        FUZZ_CHECK((infos.flags & 0x10) == 0);
    else
        FUZZ_CHECK(infos.flags == 0 && infos.words[0] == 0);
}

void paramStrings(const unsigned char* m, int n)
{
    QStringList texts { QStringLiteral("kept") };
    if (readParamStrings(m, n, texts))
        FUZZ_CHECK(texts.size() - 1 <= int(std::count(m + 6, m + n, 0x00)));
    FUZZ_CHECK(texts.first() == QLatin1String("kept"));
}

void blockGrid(const unsigned char* m, int n)
{
    CabBlocks blocks;
    blocks.cab1 = blocks.cab2 = true;
    if (!readCabBlocks(m, n, blocks))
        FUZZ_CHECK(blocks.cab1 && blocks.cab2);
}

// A stream of messages, each ended by F7, so that a request acts on the state the earlier
// ones left: whatever arrives, the unit sends only well-formed frames of its own model.
void simRequests(FuzzInput& in)
{
    static const SimBank small = SimBank::builtIn(3), large = SimBank::builtIn(6);
    SimDevice device(in.flag() ? large : small);
    const QByteArray stream = in.rest();
    for (int start = 0; start < stream.size();) {
        const int end = stream.indexOf(char(SimFrame::kSysExEnd), start);
        const int next = end < 0 ? stream.size() : end + 1;
        const SimAnswer answer = device.answer(SimRequest::parse(stream.mid(start, next - start)));
        start = next;
        for (const QByteArray& f : answer.replies + answer.notices) {
            const int n = f.size();
            FUZZ_CHECK(n >= SimFrame::kMinFrameSize && SimFrame::hasManufacturer(f));
            FUZZ_CHECK(SimFrame::byteAt(f, 4) == device.bank().model);
            FUZZ_CHECK(std::all_of(f.begin() + 1, f.end() - 1, [](char b) { return b >= 0; }));
            FUZZ_CHECK(SimFrame::byteAt(f, n - 2) == SimFrame::checksum(f, n - 2));
        }
    }
}

// A bank that is read writes out as a file that reads back as the same bank; a refused one
// leaves the bank as it was and says why.
void simBank(FuzzInput& in)
{
    static const SimBank before = SimBank::empty();
    SimBank bank = before;
    QString error;
    if (!SimBankJson::read(in.rest(), &bank, &error)) {
        FUZZ_CHECK(!error.isEmpty() && bank == before);
        return;
    }
    SimBank again;
    FUZZ_CHECK(SimBankJson::read(SimBankJson::write(bank), &again, &error) && again == bank);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzInput in(bytes, size);
    switch (in.byte()) {
    case 0:
        hexText(in);
        break;
    case 1:
        pattern(in);
        break;
    case 2:
        identity(in);
        break;
    case 3:
        knownLength(in);
        break;
    case 4:
        replyHeader(in);
        break;
    case 5:
        names(in);
        break;
    case 6:
        fromBothStarts(in, kFunctionParamValue, kParamValueReplyLength, paramValue);
        break;
    case 7:
        fromBothStarts(in, kFunctionParamInfo, kParamInfoReplyLength, paramInfos);
        break;
    case 8:
        fromBothStarts(in, kFunctionParamStrings, kParamStringsMinSize, paramStrings);
        break;
    case 9:
        fromBothStarts(in, kFunctionBlockGrid, kBlockGridReplyLength, blockGrid);
        break;
    case 10:
        simRequests(in);
        break;
    case 11:
        simBank(in);
        break;
    default:
        return -1;
    }
    return 0;
}
