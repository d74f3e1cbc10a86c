// SPDX-License-Identifier: MIT
// Every reader of outside input behind one entry point: the first byte chooses the reader, the
// rest is its input (fuzz/make-seeds writes seeds in each layout). Beyond not crashing, each
// reader keeps the promises checked here.
#include "fuzzinput.h"

#include <axefxmessage.h>
#include <axefxreply.h>
#include <jsonexport.h>
#include <jsonimport.h>
#include <qrtmididevident.h>
#include <qrtmiditrace.h>
#include <scanrecords.h>
#include <simbankjson.h>
#include <simdevice.h>
#include <simframe.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QVariantMap>

#include <algorithm>
#include <iterator>
#include <vector>

using namespace axefx;

namespace {

// The bytes a text reads as survive the way back through their own text.
void hexText(FuzzInput& in)
{
    const QByteArray text = in.text();
    const QRtMidiData data(text.constData());
    FUZZ_CHECK(data.isEmpty() || QRtMidiData(data.toString(' ')) == data);
    FUZZ_CHECK(text.contains('\n') || QRtMidiData(QString::fromUtf8(text)) == data);
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
    FUZZ_CHECK(message.startsWith(message.toString().toLatin1().constData()));
}

void identity(FuzzInput& in)
{
    const QRtMidiDevIdent ident { QRtMidiData(in.rest()) };
    FUZZ_CHECK(ident.getShortId().size() == 4 && !ident.toString().isEmpty());
    FUZZ_CHECK(ident.isEmpty() || ident.idPrefix.size() == ident.manufacturerIdLength + 3);
}

// A match lies inside the message, so that the reply can be copied out whole; a header match
// is the header the search finds, with the minimum size behind it.
void matchers(FuzzInput& in)
{
    const unsigned char model = in.byte(), function = in.byte();
    const int length = in.int32();
    int n = 0;
    const unsigned char* m = in.restBytes(n);
    const int found = findReplyHeader(m, n, model, function);
    const int header = matchHeaderReply(m, n, model, function, length);
    FUZZ_CHECK(header == -1 || (header == found && n - header >= std::max(length, kHeaderSize)));
    if (found >= 0)
        replyIntact(m + found, n - found);
    const int at = model ? matchKnownLength(m, n, model, function, length)
                         : matchDiscoveryReply(m, n, function, length);
    if (at >= 0 && length > 0) {
        const std::vector<unsigned char> copy(m + at, m + at + length);
        FUZZ_CHECK(m[at + kFunctionOffset] == function && (!model || copy.back() == kSysExEnd));
    }
    // The whole check of a reply: an echo at any offset stays inside the reply.
    const ReplyPattern expected { model, function, length % 256, kHeaderSize + 2,
        { { length & 0xFF, length >> 8 & 0x3FFF } } };
    const int reply = matchReply(m, n, expected);
    FUZZ_CHECK(reply == -1 || (reply < n && m[reply + kFunctionOffset] == function));
}

// A reader runs on the message from its first byte and from the header its query finds.
template <typename Read> void fromBothStarts(FuzzInput& in, unsigned char function, Read read)
{
    const unsigned char model = in.byte();
    int n = 0;
    const unsigned char* m = in.restBytes(n);
    read(m, n);
    const int at = findReplyHeader(m, n, model, function);
    if (at >= 0)
        read(m + at, n - at);
}

void names(FuzzInput& in)
{
    const bool cabinet = in.flag();
    fromBothStarts(
        in, cabinet ? kFunctionCabName : kFunctionPresetName, [&](const unsigned char* m, int n) {
            QString name;
            unsigned short cab = 0;
            if (cabinet ? readCabNameReply(m, n, cab, name) : readNameText(m, n, name))
                FUZZ_CHECK(name.size() <= n - kNameReplyMinSize && name == name.simplified());
        });
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
    SimBank bank = before, again;
    QString error;
    if (!SimBankJson::read(in.rest(), &bank, &error))
        FUZZ_CHECK(!error.isEmpty() && bank == before);
    else
        FUZZ_CHECK(SimBankJson::read(SimBankJson::write(bank), &again, &error) && again == bank);
}

// The document with the value given merged into one of its parts: its members replace those
// of an object, any other value the part itself. Reaches the checks a whole document of
// random bytes seldom gets to.
QByteArray patched(const QJsonObject& root, int part, int index, const QByteArray& text)
{
    const QJsonValue value = QJsonDocument::fromJson("[" + text + "]").array().at(0);
    const auto merged = [&value](const QJsonValue& old) {
        if (!value.isObject() || !old.isObject())
            return value;
        QVariantMap members = old.toObject().toVariantMap();
        members.insert(value.toObject().toVariantMap());
        return QJsonValue(QJsonObject::fromVariantMap(members));
    };
    QJsonObject document = root;
    if (part == 1) {
        document = merged(root).toObject();
    } else if (part == 2) {
        document[QStringLiteral("unit")] = merged(root[QStringLiteral("unit")]);
    } else {
        const QString list = index % 2 ? QStringLiteral("cabs") : QStringLiteral("presets");
        QJsonArray entries = root[list].toArray();
        const int at = (index / 2) % entries.size();
        entries[at] = merged(entries.at(at));
        document[list] = entries;
    }
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

// A saved scan: the input whole, or a part of a saved record replaced. A refused file says why
// and leaves the record as it was; an opened one saves as a file that opens as the same
// record and saves byte for byte the same again.
void scanFile(FuzzInput& in)
{
    static const ScanResult before = scanWithGaps();
    static const QJsonObject saved = JsonExport(before).document().object();
    const int part = in.byte() % 4;
    const int low = in.byte();
    const int index = low | in.byte() << 8;
    const QByteArray rest = in.rest();
    const QByteArray json = part == 0 ? rest : patched(saved, part, index, rest);
    ScanResult result = before, again;
    QString reason;
    if (!JsonImport::read(json, result, reason)) {
        FUZZ_CHECK(!reason.isEmpty() && result == before);
        return;
    }
    const QByteArray out = JsonExport(result).document().toJson();
    FUZZ_CHECK(JsonImport::read(out, again, reason) && again == result);
    FUZZ_CHECK(JsonExport(again).document().toJson() == out);
}

// A MIDI trace: a refused one names its line; a read one writes out as a trace that reads
// back with the same messages.
void trace(FuzzInput& in)
{
    QList<QRtMidiTraceEntry> entries, again;
    QString error;
    if (!qrtmiditrace::parse(in.rest(), &entries, &error))
        return FUZZ_CHECK(error.startsWith(QLatin1String("line ")));
    const QByteArray text = qrtmiditrace::toText({ QStringLiteral("fuzz") }, entries);
    FUZZ_CHECK(qrtmiditrace::parse(text, &again, &error) && again.size() == entries.size());
    for (int i = 0; i < entries.size(); ++i)
        FUZZ_CHECK(
            again.at(i).sent == entries.at(i).sent && again.at(i).bytes == entries.at(i).bytes);
}

// The parameter readers all run on each input; the selector only picks the header to find.
template <unsigned char function> void parameters(FuzzInput& in)
{
    fromBothStarts(in, function, [](const unsigned char* m, int n) {
        ParamValue value;
        param_infos infos;
        QStringList texts;
        CabBlocks blocks;
        FUZZ_CHECK(readParamValueReply(m, n, value) == (n >= kParamValueReplyLength));
        FUZZ_CHECK(readParamInfos(m, n, infos) ? (infos.flags & 0x10) == 0 : infos.flags == 0);
        if (readParamStrings(m, n, texts))
            FUZZ_CHECK(texts.size() <= int(std::count(m + 6, m + n, 0x00)));
        FUZZ_CHECK(readCabBlocks(m, n, blocks) == (n >= kBlockGridReplyLength));
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    static void (*const readers[])(FuzzInput&)
        = { hexText, pattern, identity, matchers, matchers, names, parameters<kFunctionParamValue>,
              parameters<kFunctionParamInfo>, parameters<kFunctionParamStrings>,
              parameters<kFunctionBlockGrid>, simRequests, simBank, scanFile, trace };
    FuzzInput in(bytes, size);
    const std::uint8_t selector = in.byte();
    if (selector >= std::size(readers))
        return -1;
    readers[selector](in);
    return 0;
}
