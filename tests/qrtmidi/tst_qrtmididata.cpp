// SPDX-License-Identifier: MIT
// QRtMidiData: the number rule, ranges, numbers read and written, chunks, text and searches;
// hex text, the format notation and text patterns, invalid text included. Rows are fields
// separated by blanks (by '|' where text has blanks): the data, the arguments, the result.
#include "qrtmididata.h"

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

QRtMidiData appendFormat(QRtMidiData data, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    data.vSetData(format, args);
    va_end(args);
    return data;
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
        QCOMPARE(hex(QRtMidiData(int(number)).toByteArray()), row[1]);
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
        rows({ "7F 0 1 127", "F0 0 1 -16", "0102 0 2 130", "FF01 0 2 -127", "010203 0 3 66051",
            "01020304 0 4 16909060", "FFFFFFFF 0 4 -16843009", "00000102 2 2 130", "0102 0 0 -99",
            "0102030405 0 5 -99", "01020304 3 2 -99", "01020304 2147483647 2 -99" });
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
        QVERIFY(!midi.set14bit(2, 300));
        QVERIFY(midi.set14bit(1, 300 + 0x4000));
        QCOMPARE(hex(midi.toByteArray()), "00022C");
        QVERIFY(midi.set14bit(0, 1));
        QCOMPARE(hex(midi.toByteArray()), "00012C");
        QCOMPARE(int(bytes("7F7F02").sumOfSection(0, -1)), 0);
        QCOMPARE(int(bytes("F0010203F7").sumOfSection(1, 3)), 6);
        QCOMPARE(bytes("F07E").at(2), quint8(0));
        QCOMPARE(hex((bytes("F0") + bytes("7EF7") + QByteArray("\x01")).toByteArray()), "F07EF701");
        QRtMidiData received = bytes("F8"), assigned;
        received.timeStamp = 1700000000123;
        assigned = received;
        QCOMPARE(assigned.timeStamp, received.timeStamp);
        QCOMPARE(QRtMidiData(received).timeStamp, qint64(0));

        QRtMidiData data = bytes("01020304");
        QCOMPARE(hex(data.replace(1, 2, QByteArray::fromHex("AABBCC"))), "01AABBCC04");
        QCOMPARE(hex(data.replace(0, 1, QByteArray::fromHex("00"))), "00AABBCC04");
        QCOMPARE(hex(data.replace(6, 1, "x")), "00AABBCC04");
        QCOMPARE(hex(data.replace(-1, 1, "x")), "00AABBCC04");
        QVERIFY(bytes("F0") != bytes("F7") && !(bytes("F0") != bytes("F0")));
        QCOMPARE(hex(data.mid(3, 100)), "CC04");
        QCOMPARE(bytes("f07e7f").toString(), QString("F07E7F"));
        QCOMPARE(bytes("f07e7f").toString(','), QString("F0,7E,7F"));
        QCOMPARE(bytes("0a").toString(' '), QString("0A"));
        QCOMPARE(bytes("004142E9").toAsciiString(0, 4), QString::fromLatin1("\0AB\xE9", 4));
        QCOMPARE(bytes("004142E9").toAsciiString(3, 2), QString());
        // Text given as a QByteArray is a pattern: XX for any byte, ended by a 00.
        const QRtMidiData reply = bytes("F07E7F0602");
        QVERIFY(reply.startsWith(QByteArray("F0 7E XX 06")) && !reply.startsWith(bytes("F07E")));
        QVERIFY(reply.startsWith(QByteArray("F0\0ZZ", 5)));
        QVERIFY(reply.startsWith(QRtMidiData(QByteArray("f07e"))));
    }

    // data needle: expression anywhere, at the start, bytes inside
    void searches_data()
    {
        rows({ "F07EF7 7E 1 0 1", "F07EF7 F0 1 1 1", "F0007F F07F 0 0 0", "F0 F0F7 0 0 0",
            "F0 - 1 1 1" });
    }
    void searches()
    {
        QFETCH(QList<QByteArray>, row);
        const QRtMidiData midi = bytes(row[0]);
        const QByteArray needle = row[1] == "-" ? QByteArray() : row[1];
        QCOMPARE(midi.match(QRegExp(needle), false), row[2] == "1");
        QCOMPARE(midi.match(QRegExp(needle), true), row[3] == "1");
        QCOMPARE(midi.startsWith(needle), row[3] == "1");
        QCOMPARE(midi.contains(QByteArray::fromHex(needle)), row[4] == "1");
        QCOMPARE(midi.contains(bytes(needle)), row[4] == "1");
    }

    // text | bytes
    void setText_data()
    {
        rows({ "  f0 7e 7f 06 01 f7 \t|F07E7F0601F7", "F0, ,7E|F07E", ",F0,7E,|F07E",
                 "F07E7F|F07E7F", "F07E7|", "7|", "7E|7E", "0x1234|1234", "0X7f|7F",
                 "0x7FFFFFFF|7FFFFFFF", "0xFFFFFFFF|", "F0 G1 7E|F07E", "F0G17E|F07E",
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

    void textEdgesAndArguments()
    {
        QRtMidiData data("F7");
        data.setText(nullptr);
        QVERIFY(data.isEmpty());
        QCOMPARE(QRtMidiData(QString("\nF0\n7E, 7F\n")).toString(), QString("F07E7F"));
        for (const char* text : { "0x1", "0X1", "0xZZ" })
            QVERIFY(QRtMidiData::is0xHexStr(text));
        for (const char* text : { "0x", "x01", "00x1" })
            QVERIFY(!QRtMidiData::is0xHexStr(text));
        // The format takes its arguments in order; vSetData appends.
        data.setData("F0 VV MSTR CSTR P14 VV F7", 1, "02 03", "C", 300, 0x1234);
        QCOMPARE(data.toString(), QString("F001020343022C1234F7"));
        QCOMPARE(appendFormat(QRtMidiData("F0"), "7E VV", 9).toString(), QString("F07E09"));
    }

    // format | argument: a number, or the string for MSTR and CSTR ("-" for null) | bytes
    void format_data()
    {
        rows({ "F0 7E VV 06 02 F7|16|F07E100602F7", "F0 VV F7|-5|F000F7", "vv|65535|00FFFF",
                 "VV|2147483647|7FFFFFFF", "f0 p14 f7|300|F0022CF7", "P14|16513|0101",
                 "p14|-1|7F7F", "F0  VV|1|F001", "F0 ZZ VV|1|F001", "1234 VV|1|123401",
                 "F0 MSTR F7|00 01 74|F0000174F7", "F0 CSTR F7|AB|F04142F7",
                 "F0 MSTR 7E F7||F07EF7", "f0 mstr f7|-|F0F7", "F0 MSTR F7|ZZ|F0F7",
                 "F0 CSTR F7||F0F7", "F0 cstr F7|-|F0F7" },
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
                 "F0 7E XX 06 02|F07E7F0601|0|0", "||1|1", "XX||0|0", "F0.*F7|F00102F7|1|1" },
            '|');
    }
    void pattern()
    {
        QFETCH(QList<QByteArray>, row);
        const QRtMidiData midi = bytes(row[1]);
        const char* pattern = row[0].constData();
        QCOMPARE(midi.match(pattern, false), row[2] == "1");
        QCOMPARE(midi.match(pattern, true), row[3] == "1");
        QCOMPARE(midi.contains(pattern), row[2] == "1");
        QCOMPARE(midi.startsWith(pattern), row[3] == "1");
        QVERIFY(midi.match(nullptr, true));
    }
};

QTEST_GUILESS_MAIN(TestQRtMidiData)
#include "tst_qrtmididata.moc"
