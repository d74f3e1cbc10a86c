// QRtMidiData: the number rule, ranges, numbers read and written, chunks, text and searches.
#include "qrtmididata.h"

#include <QtTest>

#include <climits>

namespace {

const char kNumberError[] = "WynMidiData::numHexToByteArray(quint32) - error";

QRtMidiData bytes(const char* hex)
{
    return QRtMidiData(QByteArray::fromHex(hex));
}

QByteArray hex(const QByteArray& data)
{
    return data.toHex().toUpper();
}

} // namespace

class TestQRtMidiData : public QObject {
    Q_OBJECT

private slots:
    void numberRule_data()
    {
        QTest::addColumn<quint32>("number");
        QTest::addColumn<QByteArray>("expected");
        for (const char* row : { "0 00", "FF FF", "100 0100", "FFFE FFFE", "FFFF 00FFFF",
                 "10000 010000", "FFFFFE FFFFFE", "FFFFFF 00FFFFFF", "1000000 01000000",
                 "FFFFFFFE FFFFFFFE", "FFFFFFFF " }) {
            const QList<QByteArray> parts = QByteArray(row).split(' ');
            QTest::newRow(row) << parts[0].toUInt(nullptr, 16) << parts[1];
        }
    }
    void numberRule()
    {
        QFETCH(quint32, number);
        QFETCH(QByteArray, expected);
        if (expected.isEmpty()) {
            for (int i = 0; i < 3; ++i)
                QTest::ignoreMessage(QtDebugMsg, kNumberError);
        }
        QCOMPARE(hex(QRtMidiData::numHexToByteArray(number)), expected);
        QCOMPARE(hex(QRtMidiData(int(number)).toByteArray()), expected);
        QRtMidiData appended = bytes("F0");
        QCOMPARE(appended.appendNum(number), !expected.isEmpty());
        QCOMPARE(hex(appended.toByteArray()), "F0" + expected);
    }

    void copies()
    {
        const std::vector<unsigned char> vector { 0xF0, 0x7F, 0xF7 };
        QCOMPARE(QRtMidiData(vector).toStdVector(0, -1), vector);
        QCOMPARE(bytes("F0 7E").at(1), quint8(0x7E));
        QCOMPARE(bytes("F0 7E").at(2), quint8(0));
        QCOMPARE(hex((bytes("F0") + QByteArray::fromHex("7E")).toByteArray()), "F07E");
        QCOMPARE(hex((bytes("F0") + bytes("7EF7")).toByteArray()), "F07EF7");

        QRtMidiData received = bytes("F8");
        received.timeStamp = 1700000000123;
        QRtMidiData assigned;
        assigned = received;
        QCOMPARE(assigned.timeStamp, received.timeStamp);
        QCOMPARE(QRtMidiData(received).timeStamp, qint64(0));
        QCOMPARE(QRtMidiData(received), received);
        QCOMPARE((received + received).timeStamp, qint64(0));
    }

    void ranges_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("len");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("whole") << 0 << -1 << QByteArray("0102030405");
        QTest::newRow("inside") << 1 << 2 << QByteArray("0203");
        QTest::newRow("cut at the end") << 2 << 100 << QByteArray("030405");
        QTest::newRow("huge length") << 4 << INT_MAX << QByteArray("05");
        QTest::newRow("start at the end") << 5 << -1 << QByteArray();
        QTest::newRow("start past the end") << 6 << 1 << QByteArray();
        QTest::newRow("length 0") << 1 << 0 << QByteArray();
    }
    void ranges()
    {
        QFETCH(int, start);
        QFETCH(int, len);
        QFETCH(QByteArray, expected);
        std::vector<unsigned char> out { 0xAA };
        bytes("0102030405").copyToStdVec(out, start, len);
        QCOMPARE(
            hex(QByteArray(reinterpret_cast<const char*>(out.data()), int(out.size()))), expected);
        QCOMPARE(bytes("0102030405").toStdVector(start, len), out);
        QRtMidiData empty;
        empty.copyToStdVec(out, 0, -1);
        QVERIFY(out.empty());
    }

    void replace()
    {
        QRtMidiData data = bytes("01020304");
        QCOMPARE(hex(data.replace(1, 2, QByteArray::fromHex("AABBCC"))), "01AABBCC04");
        QCOMPARE(hex(data.toByteArray()), "01AABBCC04");
        QCOMPARE(hex(data.mid(3, 100)), "CC04");
        QCOMPARE(hex(data.mid(5, 1)), "");
    }

    void toInt_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("len");
        QTest::addColumn<int>("expected");
        auto row = [](const char* name, const char* data, int pos, int len, int v) {
            QTest::newRow(name) << QByteArray::fromHex(data) << pos << len << v;
        };
        row("1 byte", "7F", 0, 1, 127);
        row("1 byte signed", "F0", 0, 1, -16);
        row("2 bytes packed by 128", "0102", 0, 2, 130);
        row("2 bytes signed", "FF01", 0, 2, -127);
        row("3 bytes packed by 256", "010203", 0, 3, 66051);
        row("4 bytes", "01020304", 0, 4, 0x01020304);
        row("4 bytes signed", "FFFFFFFF", 0, 4, -16843009);
        row("at a position, up to the end", "00000102", 2, 2, 130);
        row("length 0", "0102", 0, 0, -99);
        row("length 5", "0102030405", 0, 5, -99);
        row("past the end", "01020304", 3, 2, -99);
        row("huge position", "01020304", INT_MAX, 2, -99);
    }
    void toInt()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, pos);
        QFETCH(int, len);
        QFETCH(int, expected);
        QCOMPARE(QRtMidiData(data).toInt(pos, len, -99), expected);
        if (len == 2)
            QCOMPARE(QRtMidiData(data).get14bit(pos, -99), expected);
    }

    void set14bit()
    {
        QRtMidiData midi = bytes("0000");
        QVERIFY(!midi.set14bit(2, 300));
        QVERIFY(midi.set14bit(1, 300 + 0x4000));
        QCOMPARE(hex(midi.toByteArray()), "00022C");
        QVERIFY(midi.set14bit(0, 1));
        QCOMPARE(hex(midi.toByteArray()), "00012C");
    }

    void sumOfSection()
    {
        QCOMPARE(int(bytes("7F7F02").sumOfSection(0, -1)), 0);
        QCOMPARE(int(bytes("F001").sumOfSection(0, 2)), 0x71);
        QCOMPARE(int(bytes("F0010203F7").sumOfSection(1, 3)), 6);
    }

    void split_data()
    {
        QTest::addColumn<int>("chunkSize");
        QTest::addColumn<QList<int>>("sizes");
        QTest::newRow("by 4") << 4 << QList<int> { 4, 4, 2 };
        QTest::newRow("by 5") << 5 << QList<int> { 5, 5 };
        QTest::newRow("by 9") << 9 << QList<int> { 9, 1 };
        QTest::newRow("by 10") << 10 << QList<int>();
        QTest::newRow("by 11") << 11 << QList<int>();
        QTest::newRow("by 0") << 0 << QList<int>();
    }
    void split()
    {
        QFETCH(int, chunkSize);
        QFETCH(QList<int>, sizes);
        const QByteArray data = QByteArray::fromHex("00010203040506070809");
        QList<int> chunkSizes;
        QByteArray joined;
        for (const QRtMidiData& chunk : QRtMidiData(data).split(chunkSize)) {
            chunkSizes << chunk.size();
            joined += chunk.toByteArray();
        }
        QCOMPARE(chunkSizes, sizes);
        QCOMPARE(joined, sizes.isEmpty() ? QByteArray() : data);
    }

    void text()
    {
        QCOMPARE(bytes("f07e7f").toString(), QString("F07E7F"));
        QCOMPARE(bytes("f07e7f").toString(','), QString("F0,7E,7F"));
        QCOMPARE(bytes("0a").toString(' '), QString("0A"));
        QCOMPARE(bytes("").toString(' '), QString());
        QCOMPARE(bytes("004142E9").toAsciiString(1, 2), QString("AB"));
        QCOMPARE(bytes("004142E9").toAsciiString(0, 4), QString::fromLatin1("\0AB\xE9", 4));
        QCOMPARE(bytes("004142E9").toAsciiString(3, 2), QString());
    }

    void searches_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("needle");
        QTest::addColumn<bool>("regExpAnywhere");
        QTest::addColumn<bool>("regExpAtStart");
        QTest::addColumn<bool>("bytesInside");
        auto row = [](const char* name, const char* data, const char* needle, bool anywhere,
                       bool atStart, bool inside) {
            QTest::newRow(name) << QByteArray(data) << QByteArray(needle) << anywhere << atStart
                                << inside;
        };
        row("inside", "F07EF7", "7E", true, false, true);
        row("at the start", "F07EF7", "F0", true, true, true);
        row("straddling two bytes", "0F07", "F0", true, false, false);
        row("not contiguous", "F0007F", "F07F", false, false, false);
        row("absent", "F07EF7", "7F", false, false, false);
        row("longer needle", "F0", "F0F7", false, false, false);
        row("empty needle", "F0", "", true, true, true);
    }
    void searches()
    {
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, needle);
        QFETCH(bool, regExpAnywhere);
        QFETCH(bool, regExpAtStart);
        QFETCH(bool, bytesInside);
        const QRtMidiData midi = bytes(data);
        QCOMPARE(midi.match(QRegExp(needle), false), regExpAnywhere);
        QCOMPARE(midi.match(QRegExp(needle), true), regExpAtStart);
        QCOMPARE(midi.contains(QByteArray::fromHex(needle)), bytesInside);
        QCOMPARE(midi.contains(bytes(needle)), bytesInside);
        QCOMPARE(midi.startsWith(QByteArray(needle)), regExpAtStart);
    }

    void startsWithTakesPatternText()
    {
        const QRtMidiData reply = bytes("F07E7F0602");
        QVERIFY(reply.startsWith(QByteArray("F0 7E XX 06")));
        QVERIFY(reply.startsWith(QByteArray("F0\0ZZ", 5)));
        QVERIFY(reply.startsWith(QRtMidiData(QByteArray("f07e"))));
        QVERIFY(!reply.startsWith(bytes("F07E")));
    }
};

QTEST_GUILESS_MAIN(TestQRtMidiData)
#include "tst_qrtmididata.moc"
