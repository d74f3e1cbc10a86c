// Finding replies among message bytes in both matching modes and reading their fields, on
// hand-made replies at the edges and on the simulated unit's answer to every request.
#include "axefxreply.h"

#include "axefxmessage.h"
#include "requests.h"
#include "simdevice.h"

#include <QStringList>

using namespace axefx;

namespace {

const unsigned char* u(const QByteArray& b)
{
    return reinterpret_cast<const unsigned char*>(b.constData());
}

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// A reply frame of model 3 with a checksum of 55 that the readers must neither check nor read.
QByteArray frame(unsigned char function, const QByteArray& body)
{
    return hex("F0 00 01 74 03") + char(function) + body + hex("55 F7");
}

QByteArray blockGrid(int cell, int block)
{
    QByteArray body(48 * 4, '\0');
    body[cell * 4] = char(block & 0x7F);
    body[cell * 4 + 1] = char(block >> 7);
    return frame(0x20, body);
}

} // namespace

class TestAxeFxReply : public QObject {
    Q_OBJECT

private slots:
    // Mode K: known length of model 3, function 35; D: discovery of function 64; H: header of
    // model 3, function 35.
    void match_data()
    {
        QTest::addColumn<char>("mode");
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("position");
        auto row = [](const char* name, char mode, int length, const char* m, int at) {
            QTest::newRow(name) << mode << length << hex(m) << at;
        };
        row("K: whole message", 'K', 13, "F0 00 01 74 03 35 00 00 01 00 00 55 F7", 0);
        row("K: header at 2", 'K', 13, "FE F8 F0 00 01 74 03 35 00 00 01 00 00 55 F7", 2);
        row("K: no F7 at the length", 'K', 13, "F0 00 01 74 03 35 00 00 01 00 00 55 00", -1);
        row("K: F7 past the length", 'K', 13, "F0 00 01 74 03 35 00 00 01 00 00 55 00 F7", -1);
        row("K: only the first header", 'K', 13, "F0000174033500 00 F0000174033500000100005 5F7",
            -1);
        row("K: one byte short", 'K', 13, "F0 00 01 74 03 35 00 00 01 00 00 F7", -1);
        row("K: other model", 'K', 13, "F0 00 01 74 06 35 00 00 01 00 00 55 F7", -1);
        row("K: other function", 'K', 13, "F0 00 01 74 03 36 00 00 01 00 00 55 F7", -1);
        row("K: header cut off", 'K', 13, "F0 00 01 74 03", -1);
        row("K: length below the header", 'K', 5, "F0 00 01 74 03 35 F7", -1);
        row("K: negative length", 'K', -1, "F0 00 01 74 03 35", -1);
        row("D: any model byte, no F7", 'D', 10, "F0 00 01 74 06 64 00 00 55 00", 0);
        row("D: later hit with the function", 'D', 10,
            "F0 00 01 74 03 10 F0 00 01 74 03 64 00 00 55 F7 00 00 00 00 00 00", 6);
        row("D: function never matches", 'D', 10, "F0 00 01 74 03 10 00 00 55 F7", -1);
        row("D: one byte short", 'D', 10, "00 F0 00 01 74 03 64 00 00 F7", -1);
        row("D: manufacturer only", 'D', 0, "F0 00 01 74", -1);
        row("D: negative length", 'D', -1, "F0 00 01 74 03 64", -1);
        row("H: just long enough", 'H', 10, "00 F0 00 01 74 03 35 01 00 55 F7", 1);
        row("H: one byte short", 'H', 10, "F0 00 01 74 03 35 01 41 55", -1);
        row("H: bare header, no minimum", 'H', 0, "F0 00 01 74 03 35", 0);
        row("H: header one byte short", 'H', 0, "F0 00 01 74 03", -1);
    }
    void match()
    {
        QFETCH(char, mode);
        QFETCH(int, length);
        QFETCH(QByteArray, message);
        QFETCH(int, position);
        const int n = message.size();
        QCOMPARE(mode == 'K'  ? matchKnownLength(u(message), n, 3, 0x35, length)
                : mode == 'D' ? matchDiscoveryReply(u(message), n, 0x64, length)
                              : matchHeaderReply(u(message), n, 3, 0x35, length),
            position);
    }

    void intact()
    {
        auto ok = [](const char* h, int cut = 0) {
            return replyIntact(u(hex(h)), hex(h).size() - cut);
        };
        QVERIFY(ok("F0 00 01 74 03 12 05 00 41 62 63 00 51 F7")); // cabinet 5, Abc
        QVERIFY(!ok("F0 00 01 74 03 12 05 00 41 62 63 00 51 F7", 1)); // no F7 at the end
        QVERIFY(!ok("F0 00 01 74 03 12 05 00 41 62 63 00 50 F7"));
        QVERIFY(!ok("F0 00 01 74 03 12 05 F7"));
        QVERIFY(ok("F0 00 01 74 03 28 2E F7")); // the shortest
        QVERIFY(!ok("F0 00 01 74 03 12 F7"));
    }

    void nameText_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("name"); // "-": refused
        const QByteArray n = hex("05 00");
        QTest::newRow("ended by 00") << frame(0x12, n + "4x12" + hex("00 41 00")) << "4x12";
        QTest::newRow("blanks simplified")
            << frame(0x12, n + "  Two   Words " + hex("00")) << "Two Words";
        QTest::newRow("no 00, checksum not taken") << frame(0x12, n + "Abc") << "Abc";
        QTest::newRow("empty without 00") << frame(0x12, n) << "";
        QTest::newRow("Latin-1") << frame(0x12, n + hex("E9 74 00")) << "\u00E9t";
        QTest::newRow("too short") << hex("F0 00 01 74 03 12 05 00 F7") << "-";
    }
    void nameText()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, name);
        QString read;
        unsigned short cab = 0;
        QCOMPARE(readCabNameReply(u(reply), reply.size(), cab, read), name != "-");
        QCOMPARE(read, name == "-" ? "" : name);
        QCOMPARE(int(cab), name == "-" ? 0 : 5);
    }

    // Value and infos read only at their full length. Flags come from bits 4-7 and 8-10 of
    // bytes 6-7; the four info words from bytes 11-30.
    void paramValueAndInfos()
    {
        const QByteArray reply = frame(0x02, hex("6C 00 0C 00 00 00 02"));
        ParamValue value;
        QVERIFY(!readParamValueReply(u(reply), 12, value));
        QVERIFY(readParamValueReply(u(reply), 13, value));
        QCOMPARE(int(value.block) << 8 | int(value.param), 108 << 8 | 12);
        QCOMPARE(int(value.value), -32768);

        const QByteArray words = hex("00 00 00 7C 03 7F 7F 7F 7F 0F 01 00 00 00 00 00 00 00 00 01");
        const QByteArray info = frame(0x16, hex("70 0F 6C 00 0C") + words);
        param_infos infos;
        QVERIFY(!readParamInfos(u(info), info.size() - 1, infos));
        QCOMPARE(infos.words[0], 0u);
        QVERIFY(readParamInfos(u(info), info.size(), infos));
        QCOMPARE(int(infos.flags), 0xEF);
        QCOMPARE(infos.wordAsFloat(0), 1.0f);
        QCOMPARE(infos.words[1], 0xFFFFFFFFu);
        QCOMPARE(infos.words[2], 1u);
        QCOMPARE(infos.words[3], 0x10000000u);
        const QByteArray low = frame(0x16, hex("1F 12 6C 00 0C") + words);
        QVERIFY(readParamInfos(u(low), low.size(), infos));
        QCOMPARE(int(infos.flags), 0x21);
    }

    void paramStrings_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("texts"); // "-" first: refused
        const QByteArray head = hex("F0 00 01 74 03 28");
        QTest::newRow("no texts") << hex("F0 00 01 74 03 28 55 F7") << QStringList();
        QTest::newRow("two texts")
            << frame(0x28, "Off" + hex("00") + "On" + hex("00")) << QStringList { "Off", "On" };
        QTest::newRow("checksum 00") << head + "A" + hex("00 00 F7") << QStringList { "A" };
        QTest::newRow("UTF-8") << frame(0x28, hex("C3 A9 00")) << QStringList { "\u00E9" };
        QTest::newRow("unended text left out")
            << head + "A" + hex("00") + "Bc" << QStringList { "A" };
        QTest::newRow("too short") << hex("F0 00 01 74 03 28 F7") << QStringList { "-" };
    }
    void paramStrings()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, texts);
        QStringList list { "kept" };
        const bool refused = texts.value(0) == "-";
        QCOMPARE(readParamStrings(u(reply), reply.size(), list), !refused);
        QCOMPARE(list, QStringList { "kept" } + (refused ? QStringList() : texts));
    }

    void cabBlocks_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("cabs"); // bit 0: block 1, bit 1: block 2
        QTest::newRow("neither") << blockGrid(0, 110) << 0;
        QTest::newRow("block 1 in the first cell") << blockGrid(0, 108) << 1;
        QTest::newRow("block 2 in the last cell") << blockGrid(47, 109) << 2;
        QTest::newRow("block 1 in a cell's second half")
            << frame(0x20, hex("00 00 6C 00") + QByteArray(188, '\0')) << 0;
    }
    void cabBlocks()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, cabs);
        CabBlocks blocks;
        QVERIFY(!readCabBlocks(u(reply), reply.size() - 1, blocks));
        QVERIFY(readCabBlocks(u(reply), reply.size(), blocks));
        QCOMPARE(int(blocks.cab1) | int(blocks.cab2) << 1, cabs);
    }

    // The unit parses each request into its fields, and its reply is found and read by the
    // reader the request uses.
    void simulatedReplies_data() { addRequestRows(); }
    void simulatedReplies()
    {
        QFETCH(int, row);
        const RequestRow& r = kRequests[row];
        const SimRequest request = SimRequest::parse(r.bytes());
        QVERIFY2(request.isRequest(), qPrintable(request.describe()));
        QCOMPARE(QVector<int>({ request.function, request.model, request.number, request.block,
                     request.param, request.y }),
            QVector<int>({ r.function, r.model, r.number, r.block, r.param, r.y }));
        SimBank bank = SimBank::builtIn(r.model == 6 ? 6 : 3);
        bank.params = { SimParam { r.block, r.param, 0x10, { 1, 2, 3, 4 }, { "A", "Bc" } } };
        const QList<QByteArray> replies = SimDevice(bank).answer(request).replies;
        const bool silent = r.function == kFunctionProgramChange || r.function == kFunctionSetXY;
        QCOMPARE(replies.size(), silent ? 0 : 1);
        const QByteArray m = replies.value(0);
        const int n = m.size();
        QVERIFY(silent || replyIntact(u(m), n));
        const int length = r.function == kFunctionModel ? kModelReplyLength
            : r.function == kFunctionDisplayOffset      ? kDisplayOffsetReplyLength
            : r.function == kFunctionBlockGrid          ? kBlockGridReplyLength
            : r.function == kFunctionParamInfo          ? kParamInfoReplyLength
                                                        : kNameReplyMinSize;
        const int at = r.function == kFunctionModel
            ? matchDiscoveryReply(u(m), n, kFunctionModelReply, length)
            : length == kNameReplyMinSize ? matchHeaderReply(u(m), n, r.model, r.function, length)
                                          : matchKnownLength(u(m), n, r.model, r.function, length);
        QCOMPARE(at, silent ? -1 : 0);
        QString name;
        unsigned short cab = 0;
        ParamValue value;
        QStringList texts;
        if (r.function == kFunctionParamValue) {
            QVERIFY(readParamValueReply(u(m), n, value));
            QCOMPARE(int(value.block) << 8 | int(value.param), r.block << 8 | r.param);
        } else if (r.function == kFunctionCabName) {
            QVERIFY(readCabNameReply(u(m), n, cab, name));
            QCOMPARE(int(cab), r.number);
            QCOMPARE(name, bank.cabNames.at(r.number).simplified());
        } else if (r.function == kFunctionPresetName) {
            QVERIFY(readNameText(u(m), n, name));
            QCOMPARE(name, bank.presets.at(r.number).name.simplified());
        } else if (r.function == kFunctionParamStrings) {
            QVERIFY(readParamStrings(u(m), n, texts));
            QCOMPARE(texts, (QStringList { "A", "Bc" }));
        }
    }
};

QTEST_GUILESS_MAIN(TestAxeFxReply)
#include "tst_axefxreply.moc"
