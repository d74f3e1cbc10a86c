// Finding replies among message bytes in both matching modes, and reading their fields.
#include "axefxreply.h"

#include <QtTest>

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

// A reply frame of the given body after the header, with a checksum of 55 that the readers
// must neither check nor read as text.
QByteArray frame(unsigned char model, unsigned char function, const QByteArray& body)
{
    QByteArray m = hex("F0 00 01 74");
    m += char(model);
    m += char(function);
    m += body;
    m += char(0x55);
    m += char(0xF7);
    return m;
}

QByteArray blockGrid(const QVector<int>& cells)
{
    QByteArray body(48 * 4, '\0');
    for (int i = 0; i < cells.size(); ++i) {
        body[i * 4] = char(cells[i] & 0x7F);
        body[i * 4 + 1] = char((cells[i] >> 7) & 0x7F);
    }
    return frame(3, 0x20, body);
}

} // namespace

class TestAxeFxReply : public QObject {
    Q_OBJECT

private slots:
    void knownLength_data();
    void knownLength();
    void discovery_data();
    void discovery();
    void headerReply_data();
    void headerReply();
    void replyIntact_data();
    void replyIntact();
    void nameText_data();
    void nameText();
    void cabNameReply();
    void paramValue();
    void paramInfos_data();
    void paramInfos();
    void paramInfosTooShort();
    void paramStrings_data();
    void paramStrings();
    void cabBlocks_data();
    void cabBlocks();
};

void TestAxeFxReply::knownLength_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("position");
    const QByteArray reply = hex("F0 00 01 74 03 35 00 00 01 00 00 55 F7");
    QTest::newRow("whole message") << reply << 0;
    QTest::newRow("header at 2") << hex("FE F8") + reply << 2;
    QTest::newRow("F7 missing at the length")
        << hex("F0 00 01 74 03 35 00 00 01 00 00 55 00") << -1;
    QTest::newRow("first hit fails, later would pass")
        << hex("F0 00 01 74 03 35 00 00") + reply << -1;
    QTest::newRow("too short for the copy") << hex("F0 00 01 74 03 35 00 F7") << -1;
    QTest::newRow("other model") << hex("F0 00 01 74 06 35 00 00 01 00 00 55 F7") << -1;
    QTest::newRow("other function") << hex("F0 00 01 74 03 36 00 00 01 00 00 55 F7") << -1;
    QTest::newRow("header cut off") << hex("F0 00 01 74 03") << -1;
    QTest::newRow("clock byte") << hex("F8") << -1;
    QTest::newRow("empty") << QByteArray() << -1;
}

void TestAxeFxReply::knownLength()
{
    QFETCH(QByteArray, message);
    QFETCH(int, position);
    QCOMPARE(matchKnownLength(u(message), message.size(), 3, 0x35, 13), position);
}

void TestAxeFxReply::discovery_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("position");
    QTest::newRow("any model byte") << hex("F0 00 01 74 06 64 00 00 55 F7") << 0;
    QTest::newRow("model zero") << hex("F0 00 01 74 00 64 00 00 55 F7") << 0;
    QTest::newRow("no F7 needed") << hex("F0 00 01 74 03 64 00 00 55 00") << 0;
    QTest::newRow("later hit with the function")
        << hex("F0 00 01 74 03 10 F0 00 01 74 03 64 00 00 55 F7 00 00 00 00 00 00") << 6;
    QTest::newRow("function never matches") << hex("F0 00 01 74 03 10 00 00 55 F7") << -1;
    QTest::newRow("too short for the copy") << hex("F0 00 01 74 03 64 00 F7") << -1;
    QTest::newRow("manufacturer only") << hex("F0 00 01 74") << -1;
}

void TestAxeFxReply::discovery()
{
    QFETCH(QByteArray, message);
    QFETCH(int, position);
    QCOMPARE(matchDiscoveryReply(u(message), message.size(), 0x64, 10), position);
}

void TestAxeFxReply::headerReply_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<int>("minSize");
    QTest::addColumn<int>("position");
    QTest::newRow("header is enough") << hex("F0 00 01 74 03 12") << 6 << 0;
    QTest::newRow("header at 2") << hex("00 00 F0 00 01 74 03 12 55 F7") << 6 << 2;
    QTest::newRow("long enough") << hex("F0 00 01 74 03 12 01 00 41 55 F7") << 10 << 0;
    QTest::newRow("too short for the fields") << hex("F0 00 01 74 03 12 01 55 F7") << 10 << -1;
    QTest::newRow("other function") << hex("F0 00 01 74 03 15 01 00 41 55 F7") << 6 << -1;
}

void TestAxeFxReply::headerReply()
{
    QFETCH(QByteArray, message);
    QFETCH(int, minSize);
    QFETCH(int, position);
    QCOMPARE(matchHeaderReply(u(message), message.size(), 3, 0x12, minSize), position);
}

void TestAxeFxReply::replyIntact_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("intact");
    // The cabinet name reply for cabinet 5, "Abc": its checksum is 51.
    const QByteArray whole = hex("F0 00 01 74 03 12 05 00 41 62 63 00 51 F7");
    QTest::newRow("whole") << whole << true;
    QTest::newRow("checksum off by one")
        << hex("F0 00 01 74 03 12 05 00 41 62 63 00 50 F7") << false;
    QTest::newRow("cut in half, F7 after") << whole.left(7) + hex("F7") << false;
    QTest::newRow("no F7 at the end") << whole.left(13) << false;
    QTest::newRow("parameter strings holding none") << hex("F0 00 01 74 03 28 2E F7") << true;
    QTest::newRow("header and F7 only") << hex("F0 00 01 74 03 12 F7") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestAxeFxReply::replyIntact()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, intact);
    QCOMPARE(axefx::replyIntact(u(reply), reply.size()), intact);
}

void TestAxeFxReply::nameText_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("name");
    const QByteArray number = hex("05 00");
    QTest::newRow("ended by 00") << frame(3, 0x12, number + "4x12 V30" + hex("00 00 00")) << true
                                 << "4x12 V30";
    QTest::newRow("blanks simplified")
        << frame(3, 0x12, number + QByteArray("  Two   Words ") + hex("00")) << true << "Two Words";
    QTest::newRow("blanks only") << frame(3, 0x12, number + QByteArray("    ") + hex("00")) << true
                                 << "";
    QTest::newRow("no 00, checksum not taken") << frame(3, 0x12, number + "Abc") << true << "Abc";
    QTest::newRow("empty without 00") << frame(3, 0x12, number) << true << "";
    QTest::newRow("Latin-1") << frame(3, 0x12, number + hex("E9 74 E9 00")) << true
                             << QString::fromLatin1("\xE9t\xE9");
    QTest::newRow("too short") << hex("F0 00 01 74 03 12 05 00 F7") << false << "";
}

void TestAxeFxReply::nameText()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(QString, name);
    QString read;
    QCOMPARE(readNameText(u(reply), reply.size(), read), ok);
    QCOMPARE(read, name);
}

void TestAxeFxReply::cabNameReply()
{
    const QByteArray reply = frame(3, 0x12, hex("48 01") + "Name" + hex("00"));
    unsigned short cab = 0;
    QString name;
    QVERIFY(readCabNameReply(u(reply), reply.size(), cab, name));
    QCOMPARE(int(cab), 200);
    QCOMPARE(name, QStringLiteral("Name"));
}

void TestAxeFxReply::paramValue()
{
    const QByteArray reply = frame(3, 0x02, hex("6C 00 0C 00 00 00 02"));
    ParamValue value;
    QVERIFY(readParamValueReply(u(reply), reply.size(), value));
    QCOMPARE(int(value.block), 108);
    QCOMPARE(int(value.param), 12);
    QCOMPARE(int(value.value), -32768);

    const QByteArray cut = reply.left(12);
    QVERIFY(!readParamValueReply(u(cut), cut.size(), value));
}

void TestAxeFxReply::paramInfos_data()
{
    QTest::addColumn<QByteArray>("field"); // bytes 6-7
    QTest::addColumn<int>("flags");
    QTest::newRow("all flag bits") << hex("70 0F") << 0xEF; // 7F0 hex
    QTest::newRow("bit 4 to flag bit 0") << hex("10 00") << 0x01;
    QTest::newRow("bit 8 to flag bit 5") << hex("00 02") << 0x20;
    QTest::newRow("low bits and bit 11 dropped") << hex("0F 10") << 0x00;
}

void TestAxeFxReply::paramInfos()
{
    QFETCH(QByteArray, field);
    QFETCH(int, flags);
    QByteArray body = field + hex("6C 00 0C");
    body += hex("00 00 00 7C 03"); // 1.0
    body += hex("7F 7F 7F 7F 0F");
    body += hex("01 00 00 00 00");
    body += hex("00 00 00 00 00");
    const QByteArray reply = frame(3, 0x16, body);
    QCOMPARE(reply.size(), 33);

    param_infos infos;
    QVERIFY(readParamInfos(u(reply), reply.size(), infos));
    QCOMPARE(int(infos.flags), flags);
    QCOMPARE(infos.words[0], 0x3F800000u);
    QCOMPARE(infos.wordAsFloat(0), 1.0f);
    QCOMPARE(infos.words[1], 0xFFFFFFFFu);
    QCOMPARE(infos.words[2], 1u);
    QCOMPARE(infos.words[3], 0u);
}

void TestAxeFxReply::paramInfosTooShort()
{
    const QByteArray reply = frame(3, 0x16, QByteArray(24, '\x01'));
    param_infos infos;
    infos.flags = 0x42;
    QVERIFY(!readParamInfos(u(reply), reply.size(), infos));
    QCOMPARE(int(infos.flags), 0x42);
    QCOMPARE(infos.words[0], 0u);
}

void TestAxeFxReply::paramStrings_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("no texts") << hex("F0 00 01 74 03 28 55 F7") << true << QStringList();
    QTest::newRow("two texts") << frame(3, 0x28, QByteArray("Off") + hex("00") + "On" + hex("00"))
                               << true << QStringList { "Off", "On" };
    QTest::newRow("checksum 00") << QByteArray(hex("F0 00 01 74 03 28") + "A" + hex("00 00 F7"))
                                 << true << QStringList { "A" };
    QTest::newRow("UTF-8") << frame(3, 0x28, hex("C3 A9 00")) << true
                           << QStringList { QString::fromUtf8("\xC3\xA9") };
    QTest::newRow("unended text left out")
        << QByteArray(hex("F0 00 01 74 03 28") + "A" + hex("00") + "Bc") << true
        << QStringList { "A" };
    QTest::newRow("too short") << hex("F0 00 01 74 03 28 F7") << false << QStringList();
}

void TestAxeFxReply::paramStrings()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(QStringList, texts);
    QStringList list { "kept" };
    QCOMPARE(readParamStrings(u(reply), reply.size(), list), ok);
    QCOMPARE(list, QStringList { "kept" } + texts);
}

void TestAxeFxReply::cabBlocks_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("cab1");
    QTest::addColumn<bool>("cab2");
    QVector<int> last(48, 0);
    last[47] = 108;
    QTest::newRow("neither") << blockGrid({ 106, 100, 0 }) << true << false << false;
    QTest::newRow("block 1 in the last cell") << blockGrid(last) << true << true << false;
    QTest::newRow("both") << blockGrid({ 109, 5, 108 }) << true << true << true;
    QTest::newRow("too short") << blockGrid({ 108 }).left(199) << false << false << false;
}

void TestAxeFxReply::cabBlocks()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(bool, cab1);
    QFETCH(bool, cab2);
    QCOMPARE(reply.size(), ok ? 200 : 199);
    CabBlocks blocks;
    QCOMPARE(readCabBlocks(u(reply), reply.size(), blocks), ok);
    QCOMPARE(blocks.cab1, cab1);
    QCOMPARE(blocks.cab2, cab2);
}

QTEST_GUILESS_MAIN(TestAxeFxReply)
#include "tst_axefxreply.moc"
