#include "simdevice.h"

#include "qrtmididata.h"

#include <QtTest>

Q_DECLARE_METATYPE(SimFaults)

class TestSimDevice : public QObject {
    Q_OBJECT
private slots:
    void answersByteExact_data();
    void answersByteExact();
    void programChangeSelectsAndNotifies();
    void selectXYSwitchesWhatIsRead();
    void blockGridLayout();
    void faultsShapeReplies_data();
    void faultsShapeReplies();
    void everyReplyIsCleanFrame_data();
    void everyReplyIsCleanFrame();
    void tempoBeatHasNoChecksum();
};

static QByteArray hex(const char* text)
{
    return QRtMidiData(text).toByteArray();
}

static QList<QByteArray> hexList(const char* texts)
{
    QList<QByteArray> list;
    for (const QString& t : QString::fromLatin1(texts).split(QLatin1Char('|'), Qt::SkipEmptyParts))
        list.append(QRtMidiData(t).toByteArray());
    return list;
}

// A small, hand-made state, so each expected reply below can be written out by hand.
static SimBank testBank()
{
    SimBank bank = SimBank::empty(3);
    bank.displayOffset = 1;
    bank.currentPreset = 5;
    SimPreset& p = bank.presets[5];
    p.name = QStringLiteral("Lead");
    p.grid[0] = 106;
    p.grid[1] = SimBank::kCabBlock1;
    p.grid[47] = SimBank::kCabBlock2;
    p.cabBlocks[0].x = { 5, 2, 7 };
    p.cabBlocks[0].y = { 9, 1, 0 };
    p.cabBlocks[1].x = p.cabBlocks[1].y = { -1, 1, 0 };
    bank.cabNames[200] = QStringLiteral("4x12 V30");
    bank.cabNames[5] = QStringLiteral("Five");
    bank.params.append(SimParam { 108, 12, 0x110, { 0, 3, 1, 1 }, { "MONO", "DUAL" } });
    return bank;
}

static quint8 xorOf(const QByteArray& bytes, int count)
{
    quint8 sum = 0;
    for (int i = 0; i < count; ++i)
        sum ^= quint8(bytes.at(i));
    return sum & 0x7F;
}

void TestSimDevice::answersByteExact_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QList<QByteArray>>("replies");

    QTest::newRow("model query") << hex("F0 00 01 74 7F 00 7A F7")
                                 << hexList("F0 00 01 74 03 64 0A 03 6B F7");
    QTest::newRow("display offset 1") << hex("F0 00 01 74 03 35 7E 05 48 F7")
                                      << hexList("F0 00 01 74 03 35 7E 05 01 00 00 49 F7");
    QTest::newRow("cabinet value in X")
        << hex("F0 00 01 74 03 02 6C 00 00 00 00 00 00 00 68 F7")
        << hexList("F0 00 01 74 03 02 6C 00 00 00 05 00 00 00 00 6D F7");
    QTest::newRow("mode in X") << hex("F0 00 01 74 03 02 6C 00 0C 00 00 00 00 00 64 F7")
                               << hexList("F0 00 01 74 03 02 6C 00 0C 00 02 00 00 00 00 66 F7");
    QTest::newRow("negative cabinet, three value bytes")
        << hex("F0 00 01 74 03 02 6D 00 00 00 00 00 00 00 69 F7")
        << hexList("F0 00 01 74 03 02 6D 00 00 00 7F 7F 03 00 00 6A F7");
    QTest::newRow("cabinet 200 name")
        << hex("F0 00 01 74 03 12 48 01 5D F7")
        << hexList("F0 00 01 74 03 12 48 01 34 78 31 32 20 56 33 30 00 67 F7");
    QTest::newRow("empty user slot")
        << hex("F0 00 01 74 03 12 07 00 13 F7") << hexList("F0 00 01 74 03 12 07 00 00 13 F7");
    QTest::newRow("cabinet 232 is beyond the layout")
        << hex("F0 00 01 74 03 12 68 01 7D F7") << QList<QByteArray>();
    QTest::newRow("preset 5 name") << hex("F0 00 01 74 03 15 00 05 16 F7")
                                   << hexList("F0 00 01 74 03 15 00 05 4C 65 61 64 00 3A F7");
    QTest::newRow("preset 384 is beyond the layout")
        << hex("F0 00 01 74 03 15 03 00 10 F7") << QList<QByteArray>();
    QTest::newRow("parameter info, float words")
        << hex("F0 00 01 74 03 16 6C 00 0C 00 70 F7")
        << hexList("F0 00 01 74 03 16 10 02 0C 00 00 00 00 00 00 00 00 00 00 02 04 00 00 00 7C 03 "
                   "00 00 00 7C 03 08 F7");
    QTest::newRow("parameter info unknown")
        << hex("F0 00 01 74 03 16 6C 00 00 00 7C F7") << QList<QByteArray>();
    QTest::newRow("parameter strings")
        << hex("F0 00 01 74 03 28 6C 00 0C 00 4E F7")
        << hexList("F0 00 01 74 03 28 4D 4F 4E 4F 00 44 55 41 4C 00 31 F7");
    QTest::newRow("parameter without strings")
        << hex("F0 00 01 74 03 28 6A 00 02 00 46 F7") << hexList("F0 00 01 74 03 28 2E F7");
    QTest::newRow("select message gets no reply")
        << hex("F0 00 01 74 03 11 6D 00 01 01 7A F7") << QList<QByteArray>();
    QTest::newRow("request for model 4 is not for this unit")
        << hex("F0 00 01 74 04 20 21 F7") << QList<QByteArray>();
    QTest::newRow("bad checksum") << hex("F0 00 01 74 03 12 48 01 5E F7") << QList<QByteArray>();
}

void TestSimDevice::answersByteExact()
{
    QFETCH(QByteArray, request);
    QFETCH(QList<QByteArray>, replies);

    SimDevice device(testBank());
    const SimAnswer answer = device.answer(SimRequest::parse(request));
    QCOMPARE(answer.replies, replies);
    QVERIFY(answer.notices.isEmpty());
}

void TestSimDevice::programChangeSelectsAndNotifies()
{
    SimDevice device(testBank());
    device.bank().currentPreset = 0;

    const SimAnswer toFive = device.answer(SimRequest::parse(hex("F0 00 01 74 03 3C 00 05 3F F7")));
    QVERIFY(toFive.replies.isEmpty());
    QCOMPARE(toFive.notices, hexList("F0 00 01 74 03 14 00 05 17 F7"));
    QCOMPARE(device.bank().currentPreset, 5);

    const SimAnswer toFourHundred
        = device.answer(SimRequest::parse(hex("F0 00 01 74 03 3C 03 10 29 F7")));
    QVERIFY(toFourHundred.notices.isEmpty());
    QCOMPARE(device.bank().currentPreset, 5);
}

void TestSimDevice::selectXYSwitchesWhatIsRead()
{
    SimDevice device(testBank());
    const QByteArray cabQuery = hex("F0 00 01 74 03 02 6C 00 00 00 00 00 00 00 68 F7");
    device.answer(SimRequest::parse(hex("F0 00 01 74 03 11 6C 00 01 01 7B F7")));
    QVERIFY(device.bank().presets[5].cabBlocks[0].ySelected);
    QCOMPARE(device.answer(SimRequest::parse(cabQuery)).replies,
        hexList("F0 00 01 74 03 02 6C 00 00 00 09 00 00 00 00 61 F7"));
    device.answer(SimRequest::parse(hex("F0 00 01 74 03 11 6C 00 00 01 7A F7")));
    QCOMPARE(device.answer(SimRequest::parse(cabQuery)).replies,
        hexList("F0 00 01 74 03 02 6C 00 00 00 05 00 00 00 00 6D F7"));
}

void TestSimDevice::blockGridLayout()
{
    SimDevice device(testBank());
    const SimAnswer answer = device.answer(SimRequest::parse(hex("F0 00 01 74 03 20 26 F7")));
    QCOMPARE(answer.replies.size(), 1);
    const QByteArray grid = answer.replies.first();
    QCOMPARE(grid.size(), 200);
    QCOMPARE(grid.left(6), hex("F0 00 01 74 03 20"));
    QCOMPARE(grid.mid(6, 4), hex("6A 00 02 00"));
    QCOMPARE(grid.mid(10, 4), hex("6C 00 02 00"));
    QCOMPARE(grid.mid(14, 180), QByteArray(180, 0));
    QCOMPARE(grid.mid(194, 4), hex("6D 00 02 00"));
    QCOMPARE(quint8(grid.at(198)), xorOf(grid, 198));
    QCOMPARE(quint8(grid.at(199)), quint8(0xF7));
}

void TestSimDevice::faultsShapeReplies_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<SimFaults>("faults");
    QTest::addColumn<QList<QByteArray>>("replies");

    const QByteArray cabValue = hex("F0 00 01 74 03 02 6C 00 00 00 00 00 00 00 68 F7");
    SimFaults f;
    f.unanswered = { 0x02 };
    QTest::newRow("unanswered function") << cabValue << f << QList<QByteArray>();
    f = {};
    f.unanswered = { 0x12 };
    QTest::newRow("other function unanswered")
        << cabValue << f << hexList("F0 00 01 74 03 02 6C 00 00 00 05 00 00 00 00 6D F7");
    f = {};
    f.echoBlockOffset = 1;
    QTest::newRow("wrong block echoed")
        << cabValue << f << hexList("F0 00 01 74 03 02 6D 00 00 00 05 00 00 00 00 6C F7");
    f = {};
    f.echoParamOffset = 12;
    QTest::newRow("wrong parameter echoed")
        << cabValue << f << hexList("F0 00 01 74 03 02 6C 00 0C 00 05 00 00 00 00 61 F7");
    f = {};
    f.echoCabOffset = 2;
    QTest::newRow("cabinet 5 answered as 7")
        << hex("F0 00 01 74 03 12 05 00 11 F7") << f
        << hexList("F0 00 01 74 03 12 07 00 46 69 76 65 00 2F F7");
    f = {};
    f.truncated = { 0x02 };
    QTest::newRow("truncated, still closed by F7")
        << cabValue << f << hexList("F0 00 01 74 03 02 6C 00 F7");
    f = {};
    f.replaceReplies.insert(0x00, hexList("F8|F0 00 01 74 00 64 0A 03 68 F7"));
    QTest::newRow("model reply replaced by raw messages")
        << hex("F0 00 01 74 7F 00 7A F7") << f << hexList("F8|F0 00 01 74 00 64 0A 03 68 F7");
}

void TestSimDevice::faultsShapeReplies()
{
    QFETCH(QByteArray, request);
    QFETCH(SimFaults, faults);
    QFETCH(QList<QByteArray>, replies);

    SimDevice device(testBank());
    QCOMPARE(device.answer(SimRequest::parse(request), faults).replies, replies);
}

void TestSimDevice::everyReplyIsCleanFrame_data()
{
    QTest::addColumn<int>("model");
    QTest::newRow("smaller layout") << 3;
    QTest::newRow("larger layout") << 6;
}

static QString nameIn(const QByteArray& reply)
{
    const int end = reply.indexOf('\0', 8);
    return QString::fromLatin1(reply.mid(8, end - 8));
}

static void checkFrame(const QByteArray& reply, quint8 model, quint8 function)
{
    QVERIFY(reply.size() >= 8);
    QCOMPARE(reply.left(4), hex("F0 00 01 74"));
    QCOMPARE(quint8(reply.at(4)), model);
    QCOMPARE(quint8(reply.at(5)), function);
    for (int i = 1; i < reply.size() - 1; ++i)
        QVERIFY2(quint8(reply.at(i)) < 0x80, qPrintable(QRtMidiData(reply).toString(' ')));
    QCOMPARE(quint8(reply.at(reply.size() - 2)), xorOf(reply, reply.size() - 2));
    QCOMPARE(quint8(reply.back()), quint8(0xF7));
}

// Each request is written out by hand from its number; every name of the built-in bank must
// arrive whole, as 7-bit bytes, in a frame with a correct checksum.
void TestSimDevice::everyReplyIsCleanFrame()
{
    QFETCH(int, model);
    const SimBank bank = SimBank::builtIn(quint8(model));
    SimDevice device(bank);
    for (int cab = 0; cab < bank.cabCount(); ++cab) {
        QByteArray q = hex("F0 00 01 74");
        q += char(model);
        q += char(0x12);
        q += char(cab & 0x7F);
        q += char(cab >> 7);
        q += char(xorOf(q, q.size()));
        q += char(0xF7);
        const SimAnswer a = device.answer(SimRequest::parse(q));
        QCOMPARE(a.replies.size(), 1);
        checkFrame(a.replies.first(), quint8(model), 0x12);
        QCOMPARE(a.replies.first().mid(6, 2), q.mid(6, 2));
        QCOMPARE(nameIn(a.replies.first()), bank.cabNames.at(cab));
    }
    for (int p = 0; p < bank.presetCount(); ++p) {
        QByteArray q = hex("F0 00 01 74");
        q += char(model);
        q += char(0x15);
        q += char(p >> 7);
        q += char(p & 0x7F);
        q += char(xorOf(q, q.size()));
        q += char(0xF7);
        const SimAnswer a = device.answer(SimRequest::parse(q));
        QCOMPARE(a.replies.size(), 1);
        checkFrame(a.replies.first(), quint8(model), 0x15);
        QCOMPARE(nameIn(a.replies.first()), bank.presets.at(p).name);
    }
}

void TestSimDevice::tempoBeatHasNoChecksum()
{
    QCOMPARE(SimDevice(testBank()).tempoBeat(), hex("F0 00 01 74 03 10 F7"));
}

QTEST_GUILESS_MAIN(TestSimDevice)
#include "tst_simdevice.moc"
