// The request messages byte for byte, the checksum, the number decoders, the header search
// and the memory layout the model byte selects.
#include "axefx.h"
#include "requests.h"

using namespace axefx;

namespace {

Message build(const RequestRow& r)
{
    const quint8 f = r.function, m = r.model;
    return f == kFunctionModel        ? modelQuery()
        : f == kFunctionDisplayOffset ? displayOffsetQuery(m)
        : f == kFunctionProgramChange ? programChange(m, r.number)
        : f == kFunctionBlockGrid     ? blockGridQuery(m)
        : f == kFunctionSetXY         ? setXYMessage(m, r.block, r.y)
        : f == kFunctionParamValue    ? paramValueQuery(m, r.block, r.param)
        : f == kFunctionCabName       ? cabNameQuery(m, quint16(r.number))
        : f == kFunctionPresetName    ? presetNameQuery(m, r.number)
        : f == kFunctionParamInfo     ? paramInfoQuery(m, r.block, r.param)
                                      : paramStringsQuery(m, r.block, r.param);
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
        QByteArray expected = kRequests[row].bytes();
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(m.bytes), int(m.size)).toHex(' '),
            expected.toHex(' '));
        QCOMPARE(AxeFX::GetChecksum(u(expected), m.size - 2), quint8(expected.at(int(m.size) - 2)));
    }

    void checksumEdges()
    {
        QByteArray bytes = QByteArray::fromHex("F0 80 81");
        QCOMPARE(int(AxeFX::GetChecksum(u(bytes), 0)), 0);
        QCOMPARE(int(AxeFX::GetChecksum(u(bytes), 1)), 0x70);
        QCOMPARE(int(AxeFX::GetChecksum(u(bytes) + 1, 2)), 0x01);
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
        row("16: 8000 hex negative", 16, "00 00 02", -32768);
        row("16: top bits negative", 16, "01 01 03", -16384 + 129);
        row("16: bit 2 of the third byte cut", 16, "FF 00 04", 127);
        row("32: all bits, fifth byte cut to four", 32, "7F 7F 7F 7F 1F", 0xFFFFFFFF);
        row("32: one in each, bit 7 ignored", 32, "81 81 81 81 01", 0x10204081);
    }
    void decode()
    {
        QFETCH(int, bits);
        QFETCH(QByteArray, data);
        QFETCH(qint64, value);
        const qint64 read = bits == 14 ? qint64(DecodeInt14(u(data)))
            : bits == 16               ? qint64(short(DecodeInt16(u(data))))
                                       : qint64(AxeFX::DecodeInt32(u(data)));
        QCOMPARE(read, value);
        QByteArray one = QByteArray::fromHex("00 00 00 7C 03"); // 3F800000 hex
        QCOMPARE(AxeFX::DecodeFloat32(u(one)), 1.0f);
    }

    void myfind()
    {
        QByteArray data = QByteArray::fromHex("01 02 01 02 03");
        QByteArray pattern = QByteArray::fromHex("02 03 04");
        QCOMPARE(::myfind(u(data), 5, u(pattern), 2), u(data) + 3);
        QCOMPARE(::myfind(u(data), 4, u(pattern), 2), nullptr);
        QCOMPARE(::myfind(u(data), 2, u(data), 3), nullptr);
        QCOMPARE(::myfind(u(data), 5, u(data), 2), u(data));
    }

    // model: preset count, cabinet count, factory cabinets
    void layout_data()
    {
        QTest::addColumn<QVector<int>>("row");
        QTest::newRow("no device yet") << QVector<int> { 0, 384, 232, 132 };
        QTest::newRow("model 5") << QVector<int> { 5, 384, 232, 132 };
        QTest::newRow("model 6") << QVector<int> { 6, 768, 1203, 179 };
    }
    void layout()
    {
        QFETCH(QVector<int>, row);
        AxeFX axefx;
        axefx.model = quint8(row[0]);
        QCOMPARE(axefx.PresetCount(), row[1]);
        QCOMPARE(axefx.CabCount(), row[2]);
        QCOMPARE(axefx.CabName(quint16(row[3] - 1)), QStringLiteral("F%1()").arg(row[3]));
        QCOMPARE(axefx.CabName(quint16(row[3])), QStringLiteral("U1()"));
        QCOMPARE(axefx.CabName(quint16(row[2] - 1)), QStringLiteral("U%1()").arg(row[2] - row[3]));
    }

    void names()
    {
        AxeFX axefx;
        QCOMPARE(axefx.PresetName(0), QString());
        axefx.presetNames = { "Clean", "Last" };
        axefx.cabNames = { "50%1 Mix" };
        QCOMPARE(axefx.PresetName(1), QStringLiteral("Last"));
        QCOMPARE(axefx.PresetName(-1), QString());
        QCOMPARE(axefx.PresetName(2), QString());
        QCOMPARE(axefx.CabName(0), QStringLiteral("F1(50%1 Mix)"));
        QCOMPARE(axefx.CabName(1), QStringLiteral("F2()"));
    }
};

QTEST_GUILESS_MAIN(TestAxeFxMessage)
#include "tst_axefxmessage.moc"
