#include "qrtmididata.h"

#include <QThread>
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

QByteArray hex(const QRtMidiData& data)
{
    return hex(data.toByteArray());
}

QByteArray hex(const std::vector<unsigned char>& data)
{
    return hex(QByteArray(reinterpret_cast<const char*>(data.data()), int(data.size())));
}
} // namespace

class Sender : public QObject {
    Q_OBJECT
signals:
    void sent(const QRtMidiData& data);
};

class Receiver : public QObject {
    Q_OBJECT
public:
    QByteArray received;
    QThread* thread = nullptr;
public slots:
    void take(const QRtMidiData& data)
    {
        received = data.toByteArray();
        thread = QThread::currentThread();
        emit taken();
    }
signals:
    void taken();
};

class TestQRtMidiData : public QObject {
    Q_OBJECT
private slots:
    void numberRule_data()
    {
        QTest::addColumn<quint32>("number");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("0") << 0u << QByteArray("00");
        QTest::newRow("7E") << 0x7Eu << QByteArray("7E");
        QTest::newRow("FF") << 0xFFu << QByteArray("FF");
        QTest::newRow("100") << 0x100u << QByteArray("0100");
        QTest::newRow("1234") << 0x1234u << QByteArray("1234");
        QTest::newRow("FFFE") << 0xFFFEu << QByteArray("FFFE");
        QTest::newRow("FFFF") << 0xFFFFu << QByteArray("00FFFF");
        QTest::newRow("10000") << 0x10000u << QByteArray("010000");
        QTest::newRow("FFFFFE") << 0xFFFFFEu << QByteArray("FFFFFE");
        QTest::newRow("FFFFFF") << 0xFFFFFFu << QByteArray("00FFFFFF");
        QTest::newRow("1000000") << 0x1000000u << QByteArray("01000000");
        QTest::newRow("FFFFFFFE") << 0xFFFFFFFEu << QByteArray("FFFFFFFE");
        QTest::newRow("FFFFFFFF") << 0xFFFFFFFFu << QByteArray();
    }

    void numberRule()
    {
        QFETCH(quint32, number);
        QFETCH(QByteArray, expected);
        const int logged = expected.isEmpty() ? 3 : 0;
        for (int i = 0; i < logged; ++i)
            QTest::ignoreMessage(QtDebugMsg, kNumberError);

        QCOMPARE(hex(QRtMidiData::numHexToByteArray(number)), expected);
        QCOMPARE(hex(QRtMidiData(int(number))), expected);
        QRtMidiData appended;
        QCOMPARE(appended.appendNum(number), !expected.isEmpty());
        QCOMPARE(hex(appended), expected);
    }

    void numberErrorKeepsBytes()
    {
        QRtMidiData data = bytes("F0");
        QTest::ignoreMessage(QtDebugMsg, kNumberError);
        QVERIFY(!data.appendNum(0xFFFFFFFF));
        QVERIFY(data.appendNum(0x7E));
        QCOMPARE(hex(data), QByteArray("F07E"));
    }

    void construction()
    {
        const std::vector<unsigned char> vector { 0xF0, 0x00, 0x7F, 0xF7 };
        QCOMPARE(hex(QRtMidiData(vector)), QByteArray("F0007FF7"));
        QCOMPARE(QRtMidiData(vector).toStdVector(), vector);
        QCOMPARE(bytes("F0 7E").at(0), quint8(0xF0));
        QCOMPARE(bytes("F0 7E").at(2), quint8(0));
        QCOMPARE(bytes("F0 7E").at(-1), quint8(0));
        QCOMPARE(hex(bytes("F0") + QByteArray::fromHex("7E")), QByteArray("F07E"));
        QCOMPARE(hex(bytes("F0") + bytes("7EF7")), QByteArray("F07EF7"));

        const QRtMidiData original = bytes("F07EF7");
        const QRtMidiData copy(original);
        QCOMPARE(copy.toByteArray().constData(), original.toByteArray().constData());
    }

    void timeStampCopyRules()
    {
        QRtMidiData received = bytes("F8");
        received.timeStamp = 1700000000123;

        QRtMidiData assigned;
        assigned = received;
        QCOMPARE(assigned.timeStamp, received.timeStamp);
        QCOMPARE(assigned, received);

        const QRtMidiData copied(received);
        QCOMPARE(copied.timeStamp, qint64(0));
        QCOMPARE(copied, received);

        QCOMPARE((received + received).timeStamp, qint64(0));
    }

    void rangeRule_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("len");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("empty, whole") << QByteArray() << 0 << -1 << QByteArray();
        QTest::newRow("whole") << QByteArray("0102030405") << 0 << -1 << QByteArray("0102030405");
        QTest::newRow("inside") << QByteArray("0102030405") << 1 << 2 << QByteArray("0203");
        QTest::newRow("cut at end") << QByteArray("0102030405") << 2 << 100 << QByteArray("030405");
        QTest::newRow("start at end") << QByteArray("0102030405") << 5 << -1 << QByteArray();
        QTest::newRow("start past end") << QByteArray("0102030405") << 6 << 1 << QByteArray();
        QTest::newRow("negative len") << QByteArray("0102030405") << 1 << -3 << QByteArray();
        QTest::newRow("negative start") << QByteArray("0102030405") << -1 << 3 << QByteArray();
        QTest::newRow("huge len") << QByteArray("0102030405") << 4 << INT_MAX << QByteArray("05");
    }

    void rangeRule()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, start);
        QFETCH(int, len);
        QFETCH(QByteArray, expected);
        std::vector<unsigned char> out { 0xAA, 0xBB };
        bytes(data).copyToStdVec(out, start, len);
        QCOMPARE(hex(out), expected);
        QCOMPARE(hex(bytes(data).toStdVector(start, len)), expected);
    }

    void replace_data()
    {
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("len");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("same length") << 1 << 2 << QByteArray("01AABB04");
        QTest::newRow("shorter") << 1 << 3 << QByteArray("01AABB");
        QTest::newRow("insert") << 0 << 0 << QByteArray("AABB01020304");
        QTest::newRow("at end") << 4 << 0 << QByteArray("01020304AABB");
        QTest::newRow("len past end") << 3 << 100 << QByteArray("010203AABB");
        QTest::newRow("past end") << 5 << 1 << QByteArray("01020304");
        QTest::newRow("negative pos") << -2 << 2 << QByteArray("01020304");
    }

    void replace()
    {
        QFETCH(int, pos);
        QFETCH(int, len);
        QFETCH(QByteArray, expected);
        QRtMidiData data = bytes("01020304");
        QCOMPARE(hex(data.replace(pos, len, QByteArray::fromHex("AABB"))), expected);
        QCOMPARE(hex(data), expected);
    }

    void toInt_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("len");
        QTest::addColumn<int>("expected");
        QTest::newRow("1 byte") << QByteArray("7F") << 0 << 1 << 127;
        QTest::newRow("1 byte signed") << QByteArray("F0") << 0 << 1 << -16;
        QTest::newRow("2 bytes pack by 128") << QByteArray("0102") << 0 << 2 << 130;
        QTest::newRow("2 bytes signed") << QByteArray("FF01") << 0 << 2 << -127;
        QTest::newRow("3 bytes pack by 256") << QByteArray("010203") << 0 << 3 << 66051;
        QTest::newRow("3 bytes id") << QByteArray("000174") << 0 << 3 << 0x174;
        QTest::newRow("4 bytes") << QByteArray("01020304") << 0 << 4 << 0x01020304;
        QTest::newRow("4 bytes signed") << QByteArray("FFFFFFFF") << 0 << 4 << -16843009;
        QTest::newRow("4 bytes wrap") << QByteArray("80800000") << 0 << 4 << int(0x7F800000);
        QTest::newRow("at position") << QByteArray("00000102") << 2 << 2 << 130;
        QTest::newRow("len 5") << QByteArray("0102030405") << 0 << 5 << -99;
        QTest::newRow("past end") << QByteArray("01020304") << 3 << 2 << -99;
        QTest::newRow("negative pos") << QByteArray("01020304") << -1 << 2 << -99;
        QTest::newRow("huge pos") << QByteArray("01020304") << INT_MAX << 2 << -99;
    }

    void toInt()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, pos);
        QFETCH(int, len);
        QFETCH(int, expected);
        QCOMPARE(bytes(data).toInt(pos, len, -99), expected);
    }

    void fourteenBit_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("start") << QByteArray("0000") << 0 << 300 << true << QByteArray("022C");
        QTest::newRow("last byte grows")
            << QByteArray("0000") << 1 << 300 << true << QByteArray("00022C");
        QTest::newRow("past end") << QByteArray("0000") << 2 << 300 << false << QByteArray("0000");
        QTest::newRow("negative pos")
            << QByteArray("0000") << -1 << 300 << false << QByteArray("0000");
        QTest::newRow("15 bits cut")
            << QByteArray("0000") << 0 << 0x7FFF << true << QByteArray("7F7F");
    }

    void fourteenBit()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, pos);
        QFETCH(int, value);
        QFETCH(bool, written);
        QFETCH(QByteArray, expected);
        QRtMidiData midi = bytes(data);
        QCOMPARE(midi.set14bit(pos, value), written);
        QCOMPARE(hex(midi), expected);
        QCOMPARE(midi.get14bit(pos, -1), written ? value & 0x3FFF : -1);
    }

    void sumOfSection_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("len");
        QTest::addColumn<int>("expected");
        QTest::newRow("wraps to 7 bits") << QByteArray("7F7F02") << 0 << -1 << 0;
        QTest::newRow("status bits dropped") << QByteArray("F001") << 0 << 2 << 0x71;
        QTest::newRow("section") << QByteArray("F0010203F7") << 1 << 3 << 6;
        QTest::newRow("outside") << QByteArray("0102") << 5 << 2 << 0;
    }

    void sumOfSection()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, pos);
        QFETCH(int, len);
        QFETCH(int, expected);
        QCOMPARE(int(bytes(data).sumOfSection(pos, len)), expected);
    }

    void split_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("chunkSize");
        QTest::addColumn<QList<int>>("sizes");
        QTest::newRow("10 by 4") << 10 << 4 << QList<int> { 4, 4, 2 };
        QTest::newRow("10 by 5") << 10 << 5 << QList<int> { 5, 5 };
        QTest::newRow("10 by 9") << 10 << 9 << QList<int> { 9, 1 };
        QTest::newRow("10 by 10") << 10 << 10 << QList<int>();
        QTest::newRow("10 by 11") << 10 << 11 << QList<int>();
        QTest::newRow("10 by 0") << 10 << 0 << QList<int>();
        QTest::newRow("10 by -4") << 10 << -4 << QList<int>();
        QTest::newRow("empty") << 0 << 4 << QList<int>();
    }

    void split()
    {
        QFETCH(int, size);
        QFETCH(int, chunkSize);
        QFETCH(QList<int>, sizes);
        QByteArray data;
        for (int i = 0; i < size; ++i)
            data.append(char(i));

        const QList<QRtMidiData> chunks = QRtMidiData(data).split(chunkSize);
        QList<int> chunkSizes;
        QByteArray joined;
        for (const QRtMidiData& chunk : chunks) {
            chunkSizes << chunk.size();
            joined += chunk.toByteArray();
        }
        QCOMPARE(chunkSizes, sizes);
        if (!chunks.isEmpty())
            QCOMPARE(joined, data);
    }

    void toString()
    {
        QCOMPARE(bytes("f07e7f").toString(), QString("F07E7F"));
        QCOMPARE(bytes("f07e7f").toString(','), QString("F0,7E,7F"));
        QCOMPARE(bytes("f07e7f").toString('x'), QString("F0x7Ex7F"));
        QCOMPARE(bytes("0a").toString(' '), QString("0A"));
        QCOMPARE(bytes("").toString(' '), QString());
    }

    void toAsciiString_data()
    {
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("len");
        QTest::addColumn<QString>("expected");
        QTest::newRow("inside") << 1 << 2 << "AB";
        QTest::newRow("past end") << 3 << 2 << "";
        QTest::newRow("zero byte kept") << 0 << 4 << QString::fromLatin1("\0AB\xE9", 4);
        QTest::newRow("to end") << 1 << -1 << QString::fromLatin1("AB\xE9");
        QTest::newRow("negative pos") << -1 << 2 << "";
        QTest::newRow("huge len") << 1 << INT_MAX << "";
    }

    void toAsciiString()
    {
        QFETCH(int, pos);
        QFETCH(int, len);
        QFETCH(QString, expected);
        QCOMPARE(bytes("004142E9").toAsciiString(pos, len), expected);
    }

    void regExpMatch_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("anywhere");
        QTest::addColumn<bool>("fromStart");
        QTest::newRow("inside") << QByteArray("F07EF7") << "7E" << true << false;
        QTest::newRow("at start") << QByteArray("F07EF7") << "F0" << true << true;
        QTest::newRow("straddles bytes") << QByteArray("0F07") << "F0" << true << false;
        QTest::newRow("absent") << QByteArray("F07EF7") << "7F" << false << false;
        QTest::newRow("lower case") << QByteArray("F07EF7") << "f0" << false << false;
        QTest::newRow("empty pattern") << QByteArray() << "" << true << true;
    }

    void regExpMatch()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, pattern);
        QFETCH(bool, anywhere);
        QFETCH(bool, fromStart);
        QCOMPARE(bytes(data).match(QRegExp(pattern), false), anywhere);
        QCOMPARE(bytes(data).match(QRegExp(pattern), true), fromStart);
    }

    void byteSearch_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("needle");
        QTest::addColumn<bool>("expected");
        QTest::newRow("inside") << QByteArray("F0007F06F7") << QByteArray("7F06") << true;
        QTest::newRow("not straddling") << QByteArray("0F07") << QByteArray("F0") << false;
        QTest::newRow("not contiguous") << QByteArray("F0007F") << QByteArray("F07F") << false;
        QTest::newRow("empty needle") << QByteArray("F0") << QByteArray() << true;
        QTest::newRow("both empty") << QByteArray() << QByteArray() << true;
        QTest::newRow("longer needle") << QByteArray("F0") << QByteArray("F0F7") << false;
    }

    void byteSearch()
    {
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, needle);
        QFETCH(bool, expected);
        QCOMPARE(bytes(data).contains(QByteArray::fromHex(needle)), expected);
        QCOMPARE(bytes(data).contains(bytes(needle)), expected);
    }

    void startsWithTakesPatternText()
    {
        const QRtMidiData reply = bytes("F07E7F0602");
        QVERIFY(reply.startsWith(QByteArray("F0 7E XX 06")));
        QVERIFY(!reply.startsWith(QByteArray("7E")));
        QVERIFY(reply.startsWith(QByteArray("F0\0ZZ", 5)));
        QVERIFY(reply.startsWith(QRtMidiData(QByteArray("f07e"))));
        QVERIFY(!reply.startsWith(bytes("F07E")));
    }

    void queuedConnectionCarriesData()
    {
        QVERIFY(QMetaType::type("QRtMidiData") != QMetaType::UnknownType);
        QCOMPARE(QRtMidiData::registerMetaType(), QMetaType::type("QRtMidiData"));

        QThread worker;
        Sender sender;
        Receiver receiver;
        receiver.moveToThread(&worker);
        worker.start();
        QVERIFY(connect(&sender, SIGNAL(sent(QRtMidiData)), &receiver, SLOT(take(QRtMidiData)),
            Qt::QueuedConnection));
        // Queued to this thread, so that the flag is read where it is written; a spy could
        // miss a slot that ran before its wait began.
        bool taken = false;
        connect(
            &receiver, &Receiver::taken, this, [&taken] { taken = true; }, Qt::QueuedConnection);

        emit sender.sent(bytes("F0000174FF00F7"));
        QTRY_VERIFY_WITH_TIMEOUT(taken, 5000);
        QCOMPARE(hex(receiver.received), QByteArray("F0000174FF00F7"));
        QCOMPARE(receiver.thread, &worker);
        worker.quit();
        QVERIFY(worker.wait(5000));
    }
};

QTEST_GUILESS_MAIN(TestQRtMidiData)
#include "tst_qrtmididata.moc"
