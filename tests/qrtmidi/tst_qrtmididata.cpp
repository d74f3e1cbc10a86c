// SPDX-License-Identifier: MIT
// QRtMidiData: the number rule, ranges, numbers read and written, chunks, text and searches.
// Rows are written as the hex bytes of the data followed by the arguments and the result.
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

// A column "row" of blank-separated fields, one data row per text.
void rows(std::initializer_list<const char*> texts)
{
    QTest::addColumn<QList<QByteArray>>("row");
    for (const char* text : texts)
        QTest::newRow(text) << QByteArray(text).split(' ');
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
        const std::vector<unsigned char> vector { 0xF0, 0x7F, 0xF7 };
        QCOMPARE(QRtMidiData(vector).toStdVector(0, -1), vector);
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
};

QTEST_GUILESS_MAIN(TestQRtMidiData)
#include "tst_qrtmididata.moc"
