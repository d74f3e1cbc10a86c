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
    void match_data()
    {
        QTest::addColumn<int>("mode"); // 0: known length 13, 1: discovery, 2: header, 10 bytes
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("position");
        const QByteArray offset = hex("F0 00 01 74 03 35 00 00 01 00 00 55 F7");
        auto row = [](const char* name, int mode, const QByteArray& m, int at) {
            QTest::newRow(name) << mode << m << at;
        };
        row("known: whole message", 0, offset, 0);
        row("known: header at 2", 0, hex("FE F8") + offset, 2);
        row("known: no F7 at the length", 0, offset.left(12) + hex("00"), -1);
        row("known: longer, F7 not at the length", 0, offset.left(12) + hex("00 F7"), -1);
        row("known: first hit fails, later would pass", 0, offset.left(8) + offset, -1);
        row("known: one byte short", 0, offset.left(11) + hex("F7"), -1);
        row("known: other model", 0, hex("F0 00 01 74 06 35 00 00 01 00 00 55 F7"), -1);
        row("known: other function", 0, hex("F0 00 01 74 03 36 00 00 01 00 00 55 F7"), -1);
        row("known: header cut off", 0, hex("F0 00 01 74 03"), -1);
        row("known: empty", 0, QByteArray(), -1);
        row("discovery: any model byte, no F7", 1, hex("F0 00 01 74 06 64 00 00 55 00"), 0);
        row("discovery: later hit with the function", 1,
            hex("F0 00 01 74 03 10 F0 00 01 74 03 64 00 00 55 F7 00 00 00 00 00 00"), 6);
        row("discovery: function never matches", 1, hex("F0 00 01 74 03 10 00 00 55 F7"), -1);
        row("discovery: one byte short", 1, hex("00 F0 00 01 74 03 64 00 00 F7"), -1);
        row("discovery: manufacturer only", 1, hex("F0 00 01 74"), -1);
        row("header: just long enough", 2, hex("00 F0 00 01 74 03 35 01 00 55 F7"), 1);
        row("header: one byte short", 2, hex("F0 00 01 74 03 35 01 41 55 F7").left(9), -1);
    }
    void match()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, message);
        QFETCH(int, position);
        const int n = message.size();
        const int at = mode == 0 ? matchKnownLength(u(message), n, 3, 0x35, 13)
            : mode == 1          ? matchDiscoveryReply(u(message), n, 0x64, 10)
                                 : matchHeaderReply(u(message), n, 3, 0x35, 10);
        QCOMPARE(at, position);
    }

    void lengthsBelowTheHeader()
    {
        const QByteArray header = hex("F0 00 01 74 03 35");
        QCOMPARE(matchKnownLength(u(header), 6, 3, 0x35, 5), -1);
        QCOMPARE(matchKnownLength(u(header), 6, 3, 0x35, -1), -1);
        QCOMPARE(matchDiscoveryReply(u(header), 6, 0x35, -1), -1);
        QCOMPARE(matchHeaderReply(u(header), 6, 3, 0x35, 0), 0);
        QCOMPARE(matchHeaderReply(u(header), 5, 3, 0x35, 0), -1);
    }

    void intact()
    {
        const QByteArray whole = hex("F0 00 01 74 03 12 05 00 41 62 63 00 51 F7"); // cabinet 5, Abc
        QVERIFY(replyIntact(u(whole), whole.size()));
        QVERIFY(!replyIntact(u(whole), whole.size() - 1)); // no F7 at the end
        const QByteArray off = hex("F0 00 01 74 03 12 05 00 41 62 63 00 50 F7");
        QVERIFY(!replyIntact(u(off), off.size()));
        const QByteArray cut = whole.left(7) + hex("F7");
        QVERIFY(!replyIntact(u(cut), cut.size()));
        const QByteArray shortest = hex("F0 00 01 74 03 28 2E F7");
        QVERIFY(replyIntact(u(shortest), 8));
        QVERIFY(!replyIntact(u(hex("F0 00 01 74 03 12 F7")), 7));
    }

    void nameText_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("name");
        const QByteArray n = hex("05 00");
        QTest::newRow("ended by 00") << frame(0x12, n + "4x12" + hex("00 41 00")) << true << "4x12";
        QTest::newRow("blanks simplified")
            << frame(0x12, n + "  Two   Words " + hex("00")) << true << "Two Words";
        QTest::newRow("blanks only") << frame(0x12, n + "    " + hex("00")) << true << "";
        QTest::newRow("no 00, checksum not taken") << frame(0x12, n + "Abc") << true << "Abc";
        QTest::newRow("empty without 00") << frame(0x12, n) << true << "";
        QTest::newRow("Latin-1") << frame(0x12, n + hex("E9 74 00")) << true
                                 << QString::fromLatin1("\xE9t");
        QTest::newRow("too short") << hex("F0 00 01 74 03 12 05 00 F7") << false << "";
    }
    void nameText()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, ok);
        QFETCH(QString, name);
        QString read;
        unsigned short cab = 0;
        QCOMPARE(readCabNameReply(u(reply), reply.size(), cab, read), ok);
        QCOMPARE(read, name);
        QCOMPARE(int(cab), ok ? 5 : 0);
    }

    void paramValue()
    {
        const QByteArray reply = frame(0x02, hex("6C 00 0C 00 00 00 02"));
        ParamValue value;
        QVERIFY(!readParamValueReply(u(reply), 12, value));
        QVERIFY(readParamValueReply(u(reply), 13, value));
        QCOMPARE(int(value.block), 108);
        QCOMPARE(int(value.param), 12);
        QCOMPARE(int(value.value), -32768);
    }

    // Flags from bits 4-7 and 8-10 of bytes 6-7; the four words from bytes 11-30.
    void paramInfos()
    {
        const QByteArray words = hex("00 00 00 7C 03 7F 7F 7F 7F 0F 01 00 00 00 00 00 00 00 00 01");
        const QByteArray reply = frame(0x16, hex("70 0F 6C 00 0C") + words);
        param_infos infos;
        QVERIFY(!readParamInfos(u(reply), reply.size() - 1, infos));
        QCOMPARE(infos.words[0], 0u);
        QVERIFY(readParamInfos(u(reply), reply.size(), infos));
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
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("texts");
        const QByteArray head = hex("F0 00 01 74 03 28");
        QTest::newRow("no texts") << hex("F0 00 01 74 03 28 55 F7") << true << QStringList();
        QTest::newRow("two texts") << frame(0x28, "Off" + hex("00") + "On" + hex("00")) << true
                                   << QStringList { "Off", "On" };
        QTest::newRow("checksum 00") << head + "A" + hex("00 00 F7") << true << QStringList { "A" };
        QTest::newRow("UTF-8") << frame(0x28, hex("C3 A9 00")) << true
                               << QStringList { QString::fromUtf8("\xC3\xA9") };
        QTest::newRow("unended text left out")
            << head + "A" + hex("00") + "Bc" << true << QStringList { "A" };
        QTest::newRow("too short") << hex("F0 00 01 74 03 28 F7") << false << QStringList();
    }
    void paramStrings()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, ok);
        QFETCH(QStringList, texts);
        QStringList list { "kept" };
        QCOMPARE(readParamStrings(u(reply), reply.size(), list), ok);
        QCOMPARE(list, QStringList { "kept" } + texts);
    }

    void cabBlocks_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("cab1");
        QTest::addColumn<bool>("cab2");
        QTest::newRow("neither") << blockGrid(0, 110) << false << false;
        QTest::newRow("block 1 in the first cell") << blockGrid(0, 108) << true << false;
        QTest::newRow("block 2 in the last cell") << blockGrid(47, 109) << false << true;
        QTest::newRow("block 1 in a cell's second half")
            << frame(0x20, hex("00 00 6C 00") + QByteArray(188, '\0')) << false << false;
    }
    void cabBlocks()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, cab1);
        QFETCH(bool, cab2);
        CabBlocks blocks;
        QVERIFY(!readCabBlocks(u(reply), reply.size() - 1, blocks));
        QVERIFY(readCabBlocks(u(reply), reply.size(), blocks));
        QCOMPARE(blocks.cab1, cab1);
        QCOMPARE(blocks.cab2, cab2);
    }

    // The unit's reply to each request is found and read by the reader its request uses.
    void simulatedReplies_data() { addRequestRows(); }
    void simulatedReplies()
    {
        QFETCH(int, row);
        const RequestRow& r = kRequests[row];
        SimBank bank = SimBank::builtIn(r.model == 6 ? 6 : 3);
        bank.params = { SimParam { r.block, r.param, 0x10, { 1, 2, 3, 4 }, { "A", "Bc" } } };
        const QList<QByteArray> replies
            = SimDevice(bank).answer(SimRequest::parse(requestBytes(r))).replies;
        if (r.function == kFunctionProgramChange || r.function == kFunctionSetXY) {
            QVERIFY(replies.isEmpty());
            return;
        }
        QCOMPARE(replies.size(), 1);
        const QByteArray& m = replies.first();
        const int n = m.size();
        QVERIFY(replyIntact(u(m), n));
        const int length = r.function == kFunctionModel ? kModelReplyLength
            : r.function == kFunctionDisplayOffset      ? kDisplayOffsetReplyLength
            : r.function == kFunctionBlockGrid          ? kBlockGridReplyLength
            : r.function == kFunctionParamInfo          ? kParamInfoReplyLength
                                                        : 0;
        if (r.function == kFunctionModel)
            QCOMPARE(matchDiscoveryReply(u(m), n, kFunctionModelReply, length), 0);
        else if (length)
            QCOMPARE(matchKnownLength(u(m), n, r.model, r.function, length), 0);
        else
            QCOMPARE(matchHeaderReply(u(m), n, r.model, r.function, kNameReplyMinSize), 0);
        QString name;
        unsigned short cab = 0;
        ParamValue value;
        QStringList texts;
        if (r.function == kFunctionParamValue) {
            QVERIFY(readParamValueReply(u(m), n, value));
            QCOMPARE(value.block, r.block);
            QCOMPARE(value.param, r.param);
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
