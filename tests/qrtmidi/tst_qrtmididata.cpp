// SPDX-License-Identifier: MIT
// QRtMidiData: the number rule, ranges, numbers read and written, chunks, text and searches;
// hex text, the format notation and text patterns, invalid text included; and the device
// identity taken from a reply, with the makers' names. Rows are fields separated by blanks (by
// '|' where text has blanks): the data, the arguments, the result.
#include "qrtmididata.h"
#include "qrtmididevident.h"

#include <QtTest>

namespace {

QRtMidiData bytes(const QByteArray& hex)
{
    return QRtMidiData(QByteArray::fromHex(hex));
}

QByteArray hex(const QByteArray& data)
{
    return data.toHex().toUpper();
}

// A column "row" of fields, one data row per text.
void rows(std::initializer_list<const char*> texts, char separator = ' ')
{
    QTest::addColumn<QList<QByteArray>>("row");
    for (const char* text : texts)
        QTest::newRow(text) << QByteArray(text).split(separator);
}

} // namespace

class TestQRtMidiData : public QObject {
    Q_OBJECT

private slots:
    void numberRule_data()
    {
        rows({ "0 00", "FF FF", "100 0100", "FFFE FFFE", "FFFF 00FFFF", "FFFFFE FFFFFE",
            "FFFFFF 00FFFFFF", "FFFFFFFE FFFFFFFE", "FFFFFFFF " });
    }
    void numberRule()
    {
        QFETCH(QList<QByteArray>, row);
        const quint32 number = row[0].toUInt(nullptr, 16);
        QCOMPARE(hex(QRtMidiData::numHexToByteArray(number)), row[1]);
        QRtMidiData appended = bytes("F0");
        QCOMPARE(appended.appendNum(number), !row[1].isEmpty());
        QCOMPARE(hex(appended.toByteArray()), "F0" + row[1]);
    }

    // data start length: the bytes copied
    void ranges_data()
    {
        rows(
            { "0102030405 0 -1 0102030405", "0102030405 2 100 030405", "0102030405 4 2147483647 05",
                "0102030405 5 -1 ", "0102030405 6 1 ", "0102030405 1 0 ", " 0 -1 " });
    }
    void ranges()
    {
        QFETCH(QList<QByteArray>, row);
        std::vector<unsigned char> out { 0xAA };
        bytes(row[0]).copyToStdVec(out, row[1].toInt(), row[2].toInt());
        QCOMPARE(
            hex(QByteArray(reinterpret_cast<const char*>(out.data()), int(out.size()))), row[3]);
        QCOMPARE(bytes(row[0]).toStdVector(row[1].toInt(), row[2].toInt()), out);
    }

    // data position length: the number read, with -99 as the default
    void toInt_data()
    {
        rows({ "7F 0 1 127", "F0 0 1 -16", "0102 0 2 130", "01020304 0 4 16909060",
            "00000102 2 2 130", "0102 0 0 -99", "0102030405 0 5 -99", "01020304 3 2 -99" });
    }
    void toInt()
    {
        QFETCH(QList<QByteArray>, row);
        const QRtMidiData data = bytes(row[0]);
        QCOMPARE(data.toInt(row[1].toInt(), row[2].toInt(), -99), row[3].toInt());
        if (row[2] == "2")
            QCOMPARE(data.get14bit(row[1].toInt(), -99), row[3].toInt());
    }

    // chunk size: the chunk sizes for ten bytes
    void split_data() { rows({ "4 4,4,2", "5 5,5", "9 9,1", "10 ", "11 ", "0 " }); }
    void split()
    {
        QFETCH(QList<QByteArray>, row);
        const QByteArray data = QByteArray::fromHex("00010203040506070809");
        QList<QByteArray> sizes;
        QByteArray joined;
        for (const QRtMidiData& chunk : QRtMidiData(data).split(row[0].toInt())) {
            sizes << QByteArray::number(chunk.size());
            joined += chunk.toByteArray();
        }
        QCOMPARE(sizes.join(','), row[1]);
        QCOMPARE(joined, sizes.isEmpty() ? QByteArray() : data);
    }

    void numbersCopiesAndText()
    {
        QRtMidiData midi = bytes("0000");
        QVERIFY(midi.set14bit(1, 300 + 0x4000));
        QCOMPARE(hex(midi.toByteArray()), "00022C");
        QCOMPARE(int(bytes("F07F7F03F7").sumOfSection(1, 3)), 1);
        QCOMPARE(bytes("F07E").at(2), quint8(0));
        QCOMPARE(hex((bytes("F0") + bytes("7EF7") + QByteArray("\x01")).toByteArray()), "F07EF701");

        QRtMidiData data = bytes("01020304");
        QCOMPARE(hex(data.replace(1, 2, QByteArray::fromHex("AABBCC"))), "01AABBCC04");
        QCOMPARE(hex(data.mid(3)), "CC04");
        QCOMPARE(bytes("f07e7f").toString(','), QString("F0,7E,7F"));
        QCOMPARE(bytes("004142E9").toAsciiString(0, 4), QString::fromLatin1("\0AB\xE9", 4));
        // A null text is no bytes.
        data.setText(nullptr);
        QVERIFY(data.isEmpty());
        // The format takes its arguments in order.
        data.setData("F0 VV MSTR CSTR P14 VV F7", 1, "02 03", "C", 300, 0x1234);
        QCOMPARE(data.toString(), QString("F001020343022C1234F7"));
        // A regular expression is searched as it is; bytes as a pattern end at the first 00.
        const QRtMidiData reply = bytes("F07E7F0602");
        QVERIFY(reply.match(QRegExp("7E"), false) && !reply.match(QRegExp("7E"), true));
        QVERIFY(reply.startsWith(QByteArray("F0\0ZZ", 5)));
        QVERIFY(reply.startsWith(QRtMidiData(QByteArray("f07e"))));
    }

    // text | bytes
    void setText_data()
    {
        rows({ "  f0 7e 7f 06 01 f7 \t|F07E7F0601F7", "F0, ,7E|F07E", ",F0,7E,|F07E",
                 "F07E7F|F07E7F", "F07E7|", "7|", "0X7f|7F", "0xFFFFFFFF|", "F0 G1 7E|F07E",
                 "F0 -1 7E|F0", "1234 7 F7|123407F7" },
            '|');
    }
    void setText()
    {
        QFETCH(QList<QByteArray>, row);
        QRtMidiData data("F7");
        data.setText(row[0].constData());
        QCOMPARE(hex(data.toByteArray()), row[1]);
        QCOMPARE(hex(QRtMidiData(row[0].constData()).toByteArray()), row[1]);
    }

    // format | argument: a number, or the string for MSTR and CSTR ("-" for null) | bytes
    void format_data()
    {
        rows({ "F0 7E VV 06 02 F7|16|F07E100602F7", "F0 VV F7|-5|F000F7", "f0 p14 f7|300|F0022CF7",
                 "F0 ZZ VV|1|F001", "1234 VV|1|123401", "F0 MSTR F7|00 01 74|F0000174F7",
                 "F0 CSTR F7|AB|F04142F7", "F0 MSTR 7E F7||F07EF7", "F0 cstr F7|-|F0F7" },
            '|');
    }
    void format()
    {
        QFETCH(QList<QByteArray>, row);
        QRtMidiData data("11");
        if (row[0].toUpper().contains("STR"))
            data.setData(row[0].constData(), row[1] == "-" ? nullptr : row[1].constData());
        else
            data.setData(row[0].constData(), row[1].toInt());
        QCOMPARE(hex(data.toByteArray()), row[2]);
    }

    // pattern | data | anywhere | at the start
    void pattern_data()
    {
        rows({ "f0 7e xx 06 02|F07E7F0602000174F7|1|1", "F0 7E XX 06 02|00F07E7F0602|1|0",
                 "F0 7E XX 06 02|F07E7F0601|0|0", "F0|0F07|1|0", "||1|1", "XX||0|0",
                 "F0.*F7|F00102F7|1|1" },
            '|');
    }
    void pattern()
    {
        QFETCH(QList<QByteArray>, row);
        const QRtMidiData midi = bytes(row[1]);
        const char* pattern = row[0].constData();
        QCOMPARE(midi.match(pattern, false), row[2] == "1");
        QCOMPARE(midi.match(pattern, true), row[3] == "1");
        QCOMPARE(midi.startsWith(row[0]), row[3] == "1");
        QVERIFY(midi.match(nullptr, true));
    }

    // reply | text (empty: refused) | idPrefix | device ID
    void identity_data()
    {
        rows({ "F0 7E 10 06 02 41 02 00 03 00 31 32 33 34 F7|Identity: 0200 0300 41 (Roland) "
               "1.2.3.4|F0 41 02 03|10",
                 "F0 7E 7F 06 02 00 01 74 03 00 05 00 31 30 30 30 F7|Identity: 0300 0500 000174 "
                 "(Fractal Audio) 1.0.0.0|F0 00 01 74 03 05|7F",
                 "F0 7E 10 06 02 41 02 00 03 00 31 32 33|||",
                 "F0 7E 10 06 02 00 01 7C 03 00 05 00 31 30 30 39|Identity: 0300 0500 00017C "
                 "(unknown 17C) 1.0.0.9|F0 00 01 7C 03 05|10",
                 "F0 7E 7F 06 01 F7 00 00 00 00 00 00 00 00|||",
                 "F0 7E 10 06 02 00 01 55 02 00 02 00 32 30 31 35 F7|Orvane BC, v2.0.1.5|F0 00 01 "
                 "55 02 02|10",
                 "F0 7E 10 06 02 00 01 55 02 00 02 01 31 32 33 34 F7|Identity: 0200 0201 000155 "
                 "(Damage Control Engineering LLC) 1.2.3.4|F0 00 01 55 02 02|10" },
            '|');
    }
    void identity()
    {
        QFETCH(QList<QByteArray>, row);
        const QRtMidiDevIdent ident { QRtMidiData(row[0].constData()) };
        const QByteArray prefix = QByteArray::fromHex(row[2]);
        QCOMPARE(ident.isEmpty(), row[1].isEmpty());
        QCOMPARE(ident.toString(), QString(row[1].isEmpty() ? "Identity:    (unknown) " : row[1]));
        QCOMPARE(ident.idPrefix.toByteArray(), prefix);
        QCOMPARE(int(ident.deviceId), row[3].toInt(nullptr, 16));
    }

    // Family and product codes of a reply; a refused reply leaves the fields as they were; a
    // cleared identity reads as zeros and "unknown".
    void identityCodes()
    {
        QRtMidiDevIdent ident(QRtMidiData("F0 7E 10 06 02 41 01 02 7F 7E 31 32 33 E9 F7"));
        QCOMPARE(ident.getFamilyId() << 16 | ident.getProductId(), 0x201 << 16 | 0x7E7F);
        QCOMPARE(ident.getShortId() + ident.version, QString::fromLatin1("017F1.2.3.\xE9"));
        ident.fromIdentData(QRtMidiData("F0 7E 10 06 02 43 02 00"));
        QCOMPARE(ident.getManufactureName(), QString("Roland"));
        ident.clear();
        QCOMPARE(ident.toString() + ident.getShortId(), QString("Identity:    (unknown) 0000"));
        QCOMPARE(ident.manufacturerIdLength << 8 | ident.deviceId, 1 << 8);
    }
};

QTEST_GUILESS_MAIN(TestQRtMidiData)
#include "tst_qrtmididata.moc"
