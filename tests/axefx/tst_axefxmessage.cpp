// The request messages byte for byte, the checksum and the number decoders.
#include "axefx.h"
#include "axefxmessage.h"

#include <QtTest>

using namespace axefx;

Q_DECLARE_METATYPE(axefx::Message)

namespace {

QByteArray bytes(const Message& m)
{
    return QByteArray(reinterpret_cast<const char*>(m.bytes), int(m.size));
}

} // namespace

class TestAxeFxMessage : public QObject {
    Q_OBJECT

private slots:
    void checksum_data();
    void checksum();
    void messages_data();
    void messages();
    void decodeInt14_data();
    void decodeInt14();
    void decodeInt16_data();
    void decodeInt16();
    void decodeInt32_data();
    void decodeInt32();
    void decodeFloat32();
    void myfind_data();
    void myfind();
};

void TestAxeFxMessage::checksum_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("sum");
    QTest::newRow("no bytes") << QByteArray() << 0;
    QTest::newRow("F0 alone") << QByteArray::fromHex("F0") << 0x70;
    QTest::newRow("model query") << QByteArray::fromHex("F0 00 01 74 7F 00") << 0x7A;
    QTest::newRow("display offset query") << QByteArray::fromHex("F0 00 01 74 03 35 7E 05") << 0x48;
    QTest::newRow("high bits masked at the end") << QByteArray::fromHex("80 81") << 0x01;
}

void TestAxeFxMessage::checksum()
{
    QFETCH(QByteArray, data);
    QFETCH(int, sum);
    auto* buf = reinterpret_cast<unsigned char*>(data.data());
    QCOMPARE(int(AxeFX::GetChecksum(buf, unsigned(data.size()))), sum);
}

void TestAxeFxMessage::messages_data()
{
    QTest::addColumn<Message>("message");
    QTest::addColumn<QByteArray>("expected");
    auto row = [](const char* name, const Message& m, const char* hex) {
        QTest::newRow(name) << m << QByteArray::fromHex(hex);
    };
    row("model query", modelQuery(), "F0 00 01 74 7F 00 7A F7");
    row("display offset", displayOffsetQuery(3), "F0 00 01 74 03 35 7E 05 48 F7");
    row("program change 300", programChange(3, 300), "F0 00 01 74 03 3C 02 2C 14 F7");
    row("program change 1, high part first", programChange(6, 1), "F0 00 01 74 06 3C 00 01 3E F7");
    row("block grid", blockGridQuery(3), "F0 00 01 74 03 20 26 F7");
    row("block 108 to X", setXYMessage(3, 108, false), "F0 00 01 74 03 11 6C 00 00 01 7A F7");
    row("block 108 to Y", setXYMessage(3, 108, true), "F0 00 01 74 03 11 6C 00 01 01 7B F7");
    row("value of 108/12", paramValueQuery(3, 108, 12),
        "F0 00 01 74 03 02 6C 00 0C 00 00 00 00 00 64 F7");
    row("cabinet name 200", cabNameQuery(3, 200), "F0 00 01 74 03 12 48 01 5D F7");
    row("cabinet name 1, low part first", cabNameQuery(6, 1), "F0 00 01 74 06 12 01 00 10 F7");
    row("preset name 300", presetNameQuery(3, 300), "F0 00 01 74 03 15 02 2C 3D F7");
    row("preset name 1, high part first", presetNameQuery(6, 1), "F0 00 01 74 06 15 00 01 17 F7");
    row("info of 108/12", paramInfoQuery(3, 108, 12), "F0 00 01 74 03 16 6C 00 0C 00 70 F7");
    row("strings of 108/12", paramStringsQuery(3, 108, 12), "F0 00 01 74 03 28 6C 00 0C 00 4E F7");
}

void TestAxeFxMessage::messages()
{
    QFETCH(Message, message);
    QFETCH(QByteArray, expected);
    QCOMPARE(bytes(message).toHex(' ').toUpper(), expected.toHex(' ').toUpper());
}

void TestAxeFxMessage::decodeInt14_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("value");
    QTest::newRow("low part first") << QByteArray::fromHex("2C 02") << 300;
    QTest::newRow("largest") << QByteArray::fromHex("7F 7F") << 16383;
    QTest::newRow("bit 7 ignored") << QByteArray::fromHex("FF FF") << 16383;
}

void TestAxeFxMessage::decodeInt14()
{
    QFETCH(QByteArray, data);
    QFETCH(int, value);
    QCOMPARE(int(DecodeInt14(reinterpret_cast<const unsigned char*>(data.constData()))), value);
}

void TestAxeFxMessage::decodeInt16_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("value");
    QTest::newRow("cabinet 5") << QByteArray::fromHex("05 00 00") << 5;
    QTest::newRow("top bits negative") << QByteArray::fromHex("00 00 03") << -16384;
    QTest::newRow("bit 2 of third byte cut") << QByteArray::fromHex("00 00 04") << 0;
    QTest::newRow("8000 hex") << QByteArray::fromHex("00 00 02") << -32768;
}

void TestAxeFxMessage::decodeInt16()
{
    QFETCH(QByteArray, data);
    QFETCH(int, value);
    const auto* b = reinterpret_cast<const unsigned char*>(data.constData());
    QCOMPARE(int(static_cast<short>(DecodeInt16(b))), value);
}

void TestAxeFxMessage::decodeInt32_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<uint>("value");
    QTest::newRow("all bits") << QByteArray::fromHex("7F 7F 7F 7F 0F") << 0xFFFFFFFFu;
    QTest::newRow("fifth byte cut to four bits")
        << QByteArray::fromHex("7F 7F 7F 7F 1F") << 0xFFFFFFFFu;
    QTest::newRow("one in each") << QByteArray::fromHex("01 01 01 01 01") << 0x10204081u;
}

void TestAxeFxMessage::decodeInt32()
{
    QFETCH(QByteArray, data);
    QFETCH(uint, value);
    QCOMPARE(AxeFX::DecodeInt32(reinterpret_cast<unsigned char*>(data.data())), value);
}

void TestAxeFxMessage::decodeFloat32()
{
    QByteArray one = QByteArray::fromHex("00 00 00 7C 03"); // 3F800000 hex
    QCOMPARE(AxeFX::DecodeFloat32(reinterpret_cast<unsigned char*>(one.data())), 1.0f);
}

void TestAxeFxMessage::myfind_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<int>("position");
    QTest::newRow("at the start") << QByteArray::fromHex("F0 00 01 74")
                                  << QByteArray::fromHex("F0 00") << 0;
    QTest::newRow("at the very end")
        << QByteArray::fromHex("00 F0 00 01") << QByteArray::fromHex("00 01") << 2;
    QTest::newRow("first of two") << QByteArray::fromHex("01 02 01 02")
                                  << QByteArray::fromHex("01 02") << 0;
    QTest::newRow("absent") << QByteArray::fromHex("01 02 03") << QByteArray::fromHex("02 01")
                            << -1;
    QTest::newRow("pattern longer")
        << QByteArray::fromHex("01 02") << QByteArray::fromHex("01 02 03") << -1;
}

void TestAxeFxMessage::myfind()
{
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, pattern);
    QFETCH(int, position);
    auto* d = reinterpret_cast<unsigned char*>(data.data());
    auto* p = reinterpret_cast<unsigned char*>(pattern.data());
    unsigned char* hit = ::myfind(d, data.size(), p, pattern.size());
    QCOMPARE(hit ? int(hit - d) : -1, position);
}

QTEST_GUILESS_MAIN(TestAxeFxMessage)
#include "tst_axefxmessage.moc"
