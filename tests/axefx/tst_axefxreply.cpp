// SPDX-License-Identifier: MIT
// The checksum, the number decoders and the memory layout the model byte selects (the requests
// themselves the simulator checks byte for byte in every test run against it); finding replies
// among message bytes in both matching modes and reading their fields, on hand-made replies at the
// edges.
#include "axefx.h"
#include "axefxreply.h"

#include <QStringList>
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

// The reply's fields as the reader of its function gives them, behind "-" when the reader
// refuses the reply.
QString fieldsOf(const QByteArray& reply)
{
    const unsigned char* m = u(reply);
    const int n = reply.size();
    bool ok = false;
    QString read;
    unsigned short cab = 0;
    ParamValue value;
    CabBlocks blocks;
    switch (reply.at(5)) {
    case kFunctionCabName:
        ok = readCabNameReply(m, n, cab, read);
        read = QString::number(cab) + ':' + read;
        break;
    case kFunctionPresetName:
        ok = readNameText(m, n, read);
        break;
    case kFunctionParamValue:
        ok = readParamValueReply(m, n, value);
        read = QString("%1/%2=%3").arg(value.block).arg(value.param).arg(value.value);
        break;
    default:
        ok = readCabBlocks(m, n, blocks);
        read = QString::number(blocks.cab1) + QString::number(blocks.cab2);
    }
    return ok ? read : '-' + read;
}

} // namespace

class TestAxeFxMessages : public QObject {
    Q_OBJECT

private slots:
    // bits | bytes | the number; "sum" for the checksum of the bytes
    void decode_data()
    {
        QTest::addColumn<QStringList>("row");
        for (const char* row :
            { "14|2C 02|300", "14|FF FF|16383", "16|00 00 02|-32768", "16|01 01 03|-16255",
                "16|FF 00 04|127", "32|7F 7F 7F 7F 1F|4294967295", "32|81 81 81 81 01|270549121",
                "float|00 00 00 7C 03|1", "sum|F0 00 01 74 7F 00|122" })
            QTest::newRow(row) << QString(row).split('|');
    }
    void decode()
    {
        QFETCH(QStringList, row);
        QByteArray data = QByteArray::fromHex(row[1].toLatin1());
        const auto b = reinterpret_cast<unsigned char*>(data.data());
        const QString bits = row[0];
        QCOMPARE(bits == "14"   ? QString::number(DecodeInt14(b))
                : bits == "16"  ? QString::number(short(DecodeInt16(b)))
                : bits == "32"  ? QString::number(AxeFX::DecodeInt32(b))
                : bits == "sum" ? QString::number(AxeFX::GetChecksum(b, uint(data.size())))
                                : QString::number(AxeFX::DecodeFloat32(b)),
            row[2]);
    }

    // Counts by model byte; names by number, labelled by the layout, empty past the names
    // there are.
    void layout()
    {
        AxeFX axefx;
        for (const QVector<int>& row :
            { QVector<int> { 5, 384, 232, 132 }, { 6, 768, 1203, 179 } }) {
            axefx.model = quint8(row[0]);
            QCOMPARE(
                QVector<int>({ row[0], axefx.PresetCount(), axefx.CabCount() }), row.mid(0, 3));
            QCOMPARE(axefx.CabName(quint16(row[3] - 1)), QStringLiteral("F%1()").arg(row[3]));
            QCOMPARE(axefx.CabName(quint16(row[3])), QStringLiteral("U1()"));
        }
        axefx.presetNames = { "Clean", "Last" };
        axefx.cabNames = { "50%1 Mix" };
        QCOMPARE(QStringList({ axefx.PresetName(-1), axefx.PresetName(1), axefx.PresetName(2) }),
            QStringList({ "", "Last", "" }));
        QCOMPARE(axefx.CabName(0), QStringLiteral("F1(50%1 Mix)"));
    }

    // Mode K: known length of model 3, function 35; D: discovery of function 64; H: header of
    // model 3, function 35; C: the whole check of that reply, checksum included; N: the whole
    // check of the name reply of cabinet 5 (function 12); I: a reply intact to its end, at 0.
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
        row("K: only the first header", 'K', 13, "F0000174033500 00 F0000174033500000100005 5F7",
            -1);
        row("K: one byte short", 'K', 13, "F0 00 01 74 03 35 00 00 01 00 00 F7", -1);
        row("K: other model", 'K', 13, "F0 00 01 74 06 35 00 00 01 00 00 55 F7", -1);
        row("K: other function", 'K', 13, "F0 00 01 74 03 36 00 00 01 00 00 55 F7", -1);
        row("K: negative length", 'K', -1, "F0 00 01 74 03 35", -1);
        row("D: any model byte, no F7", 'D', 10, "F0 00 01 74 06 64 00 00 55 00", 0);
        row("D: later hit with the function", 'D', 10,
            "F0 00 01 74 03 10 F0 00 01 74 03 64 00 00 55 F7 00 00 00 00 00 00", 6);
        row("D: function never matches", 'D', 10, "F0 00 01 74 03 10 00 00 55 F7", -1);
        row("D: one byte short", 'D', 10, "00 F0 00 01 74 03 64 00 00 F7", -1);
        row("D: length 0, the header alone", 'D', 0, "F0 00 01 74 03 64", 0);
        row("D: negative length", 'D', -1, "F0 00 01 74 03 64", -1);
        row("H: just long enough", 'H', 10, "00 F0 00 01 74 03 35 01 00 55 F7", 1);
        row("H: one byte short", 'H', 10, "F0 00 01 74 03 35 01 41 55", -1);
        row("H: bare header, no minimum", 'H', 0, "F0 00 01 74 03 35", 0);
        row("C: checksum off", 'C', 13, "F0 00 01 74 03 35 00 00 01 00 00 33 F7", -1);
        row("N: cabinet 5", 'N', 0, "F0 00 01 74 03 12 05 00 41 00 50 F7", 0);
        row("N: cabinet 6", 'N', 0, "F0 00 01 74 03 12 06 00 41 00 53 F7", -1);
        row("N: cut before the number", 'N', 0, "F0 00 01 74 03 12 00 F7", -1);
        row("I: cabinet 5, Abc", 'I', 0, "F0 00 01 74 03 12 05 00 41 62 63 00 51 F7", 0);
        row("I: no F7 at the end", 'I', 0, "F0 00 01 74 03 12 05 00 41 62 63 00 51", -1);
        row("I: the shortest", 'I', 0, "F0 00 01 74 03 28 2E F7", 0);
        row("I: checksum right, one byte short", 'I', 0, "F0 00 01 74 03 06 F7", -1);
    }
    void match()
    {
        QFETCH(char, mode);
        QFETCH(int, length);
        QFETCH(QByteArray, message);
        const int n = message.size();
        ReplyPattern pattern;
        pattern.model = 3;
        pattern.function = mode == 'N' ? 0x12 : 0x35;
        pattern.length = mode == 'N' ? -1 : length;
        pattern.echoes[0] = { 6, mode == 'N' ? 5 : -1 };
        QTEST(mode == 'K'     ? matchKnownLength(u(message), n, 3, 0x35, length)
                : mode == 'D' ? matchDiscoveryReply(u(message), n, 0x64, length)
                : mode == 'H' ? matchHeaderReply(u(message), n, 3, 0x35, length)
                : mode == 'I' ? (replyIntact(u(message), n) ? 0 : -1)
                              : matchReply(u(message), n, pattern),
            "position");
    }

    void readers_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("fields");
        auto row = [](const char* name, const QByteArray& reply, const char* fields) {
            QTest::newRow(name) << reply << QString::fromUtf8(fields);
        };
        const QByteArray cab5 = hex("05 00"), nul = hex("00");
        row("name: ended by 00", frame(0x12, cab5 + "4x12" + hex("00 41 00")), "5:4x12");
        row("name: blanks simplified", frame(0x12, cab5 + "  Two   Words " + nul), "5:Two Words");
        row("name: no 00, checksum not taken", frame(0x12, cab5 + "Abc"), "5:Abc");
        row("name: Latin-1", frame(0x12, cab5 + hex("E9 74 00")), "5:\u00E9t");
        row("name: too short", hex("F0 00 01 74 03 12 05 00 F7"), "-0:");
        const QByteArray value = frame(0x02, hex("6C 00 0C 00 00 00 02"));
        row("value", value.left(13), "108/12=-32768");
        row("value: one byte short", value.left(12), "-0/0=0");
        row("grid: neither block", blockGrid(0, 110), "00");
        row("grid: block 1 in the first cell", blockGrid(0, 108), "10");
        row("grid: block 2 in the last cell", blockGrid(47, 109), "01");
        row("grid: block 1 in a cell's second half",
            frame(0x20, hex("00 00 6C 00") + QByteArray(188, 0)), "00");
        row("grid: one byte short", blockGrid(0, 108).chopped(1), "-00");
    }
    void readers()
    {
        QFETCH(QByteArray, reply);
        QTEST(fieldsOf(reply), "fields");
    }
};

QTEST_GUILESS_MAIN(TestAxeFxMessages)
#include "tst_axefxreply.moc"
