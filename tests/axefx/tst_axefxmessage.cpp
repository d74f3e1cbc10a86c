// The request messages byte for byte, the checksum, the number decoders, the header search
// and the memory layout the model byte selects.
#include "axefx.h"
#include "requests.h"

using namespace axefx;

namespace {

Message build(const RequestRow& r)
{
    switch (r.function) {
    case kFunctionModel:
        return modelQuery();
    case kFunctionDisplayOffset:
        return displayOffsetQuery(r.model);
    case kFunctionProgramChange:
        return programChange(r.model, r.number);
    case kFunctionBlockGrid:
        return blockGridQuery(r.model);
    case kFunctionSetXY:
        return setXYMessage(r.model, r.block, r.y);
    case kFunctionParamValue:
        return paramValueQuery(r.model, r.block, r.param);
    case kFunctionCabName:
        return cabNameQuery(r.model, quint16(r.number));
    case kFunctionPresetName:
        return presetNameQuery(r.model, r.number);
    case kFunctionParamInfo:
        return paramInfoQuery(r.model, r.block, r.param);
    default:
        return paramStringsQuery(r.model, r.block, r.param);
    }
}

unsigned char* u(QByteArray& b)
{
    return reinterpret_cast<unsigned char*>(b.data());
}

} // namespace

class TestAxeFxMessage : public QObject {
    Q_OBJECT

private slots:
    void messages_data() { addRequestRows(); }
    void messages()
    {
        QFETCH(int, row);
        const Message m = build(kRequests[row]);
        QByteArray expected = requestBytes(kRequests[row]);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(m.bytes), int(m.size)).toHex(' '),
            expected.toHex(' '));
        const unsigned n = unsigned(expected.size()) - 2;
        QCOMPARE(AxeFX::GetChecksum(u(expected), n), quint8(expected.at(int(n))));
    }

    void checksum_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("sum");
        QTest::newRow("no bytes") << QByteArray() << 0;
        QTest::newRow("F0 alone") << QByteArray::fromHex("F0") << 0x70;
        QTest::newRow("high bits masked at the end") << QByteArray::fromHex("80 81") << 0x01;
    }
    void checksum()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, sum);
        QCOMPARE(int(AxeFX::GetChecksum(u(data), unsigned(data.size()))), sum);
    }

    void decode_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<qint64>("value");
        auto row = [](const char* name, int bits, const char* hex, qint64 v) {
            QTest::newRow(name) << bits << QByteArray::fromHex(hex) << v;
        };
        row("14: low part first", 14, "2C 02", 300);
        row("14: bit 7 ignored", 14, "FF FF", 16383);
        row("16: cabinet 5", 16, "05 00 00", 5);
        row("16: 8000 hex negative", 16, "00 00 02", -32768);
        row("16: top bits negative", 16, "00 00 03", -16384);
        row("16: bit 2 of the third byte cut", 16, "7F 00 04", 127);
        row("32: all bits", 32, "7F 7F 7F 7F 0F", 0xFFFFFFFF);
        row("32: fifth byte cut to four bits", 32, "7F 7F 7F 7F 1F", 0xFFFFFFFF);
        row("32: one in each", 32, "01 01 01 01 01", 0x10204081);
        row("32: bit 7 ignored", 32, "81 80 80 80 00", 1);
    }
    void decode()
    {
        QFETCH(int, bits);
        QFETCH(QByteArray, data);
        QFETCH(qint64, value);
        if (bits == 14)
            QCOMPARE(qint64(DecodeInt14(u(data))), value);
        else if (bits == 16)
            QCOMPARE(qint64(short(DecodeInt16(u(data)))), value);
        else
            QCOMPARE(qint64(AxeFX::DecodeInt32(u(data))), value);
    }

    void decodeFloat32()
    {
        QByteArray one = QByteArray::fromHex("00 00 00 7C 03"); // 3F800000 hex
        QCOMPARE(AxeFX::DecodeFloat32(u(one)), 1.0f);
    }

    void myfind_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<int>("position");
        auto row = [](const char* name, const char* data, const char* pattern, int at) {
            QTest::newRow(name) << QByteArray::fromHex(data) << QByteArray::fromHex(pattern) << at;
        };
        row("at the start", "F0 00 01 74", "F0 00", 0);
        row("at the very end", "00 F0 00 01", "00 01", 2);
        row("first of two", "01 02 01 02", "01 02", 0);
        row("absent", "01 02 03", "02 01", -1);
        row("pattern longer", "01 02", "01 02 03", -1);
    }
    void myfind()
    {
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, pattern);
        QFETCH(int, position);
        unsigned char* hit = ::myfind(u(data), data.size(), u(pattern), pattern.size());
        QCOMPARE(hit ? int(hit - u(data)) : -1, position);
    }

    void layout_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("presets");
        QTest::addColumn<int>("cabs");
        QTest::addColumn<int>("lastFactory"); // its number shows as F<lastFactory + 1>
        QTest::newRow("no device yet") << 0 << 384 << 232 << 131;
        QTest::newRow("model 5") << 5 << 384 << 232 << 131;
        QTest::newRow("model 6") << 6 << 768 << 1203 << 178;
    }
    void layout()
    {
        QFETCH(int, model);
        QFETCH(int, presets);
        QFETCH(int, cabs);
        QFETCH(int, lastFactory);
        AxeFX axefx;
        axefx.model = quint8(model);
        QCOMPARE(axefx.PresetCount(), presets);
        QCOMPARE(axefx.CabCount(), cabs);
        QCOMPARE(axefx.CabName(quint16(lastFactory)), QStringLiteral("F%1()").arg(lastFactory + 1));
        QCOMPARE(axefx.CabName(quint16(lastFactory + 1)), QStringLiteral("U1()"));
        QCOMPARE(
            axefx.CabName(quint16(cabs - 1)), QStringLiteral("U%1()").arg(cabs - lastFactory - 1));
        QCOMPARE(axefx.CabName(0), QStringLiteral("F1()"));
    }

    void names()
    {
        AxeFX axefx;
        QCOMPARE(axefx.PresetName(0), QString());
        axefx.presetNames = QVector<QString>(384);
        axefx.presetNames[0] = "Clean";
        axefx.presetNames[383] = "Last";
        axefx.cabNames = { "50%1 Mix" };
        QCOMPARE(axefx.PresetName(0), QStringLiteral("Clean"));
        QCOMPARE(axefx.PresetName(383), QStringLiteral("Last"));
        QCOMPARE(axefx.PresetName(-1), QString());
        QCOMPARE(axefx.PresetName(384), QString());
        QCOMPARE(axefx.CabName(0), QStringLiteral("F1(50%1 Mix)"));
        QCOMPARE(axefx.CabName(1), QStringLiteral("F2()"));
    }
};

QTEST_GUILESS_MAIN(TestAxeFxMessage)
#include "tst_axefxmessage.moc"
