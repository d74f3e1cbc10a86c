// The input port on the private server: opening the peer's output by name, every kind of
// message reaching the newest message, the inbox and dataIn() once, bursts kept whole and in
// order, and what survives closing and init().
#include "midipeer.h"
#include "qrtmidiin.h"
#include "tsanqtlocks.h"

#include <QDateTime>
#include <QtTest>

#include <initializer_list>
#include <vector>

// Lets QCOMPARE show the bytes of messages that differ.
char* toString(const QRtMidiData& data)
{
    return QTest::toString(data.toString(' '));
}

namespace {

constexpr int kWaitMs = 5000;

QRtMidiData sysEx(int size)
{
    QByteArray bytes(size, '\0');
    bytes[0] = char(0xF0);
    for (int i = 1; i < size - 1; ++i)
        bytes[i] = char(i % 0x80);
    bytes[size - 1] = char(0xF7);
    return QRtMidiData(bytes);
}

QRtMidiData bytes(std::initializer_list<int> values)
{
    QByteArray array;
    for (int value : values)
        array.append(char(value));
    return QRtMidiData(array);
}

QRtMidiData note(int number, int velocity)
{
    return bytes({ 0x90, number, velocity });
}

// Counts dataIn() on the test's thread: the port raises it on the library's thread, so the
// automatic connection queues it here.
class Counter : public QObject {
    Q_OBJECT
public:
    int count = 0;
public slots:
    void hit() { ++count; }
};

} // namespace

class TestQRtMidiIn : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void everyKindArrivesOnce_data();
    void everyKindArrivesOnce();
    void burstArrivesWholeAndInOrder();
    void newestSurvivesCloseAndInit();
    void reopenAfterClose();
    void initWhileOpenForgetsPort();
    void openUnknownNameOnService();
    void emptyInboxLeavesTargetAlone();
    void clearInboxForgetsPending();
    void overflowDropsOldest();
    void setSlotReplacesReceiver();

private:
    bool openPeer(QRtMidiIn& port);

    MidiPeer* peer = nullptr;
};

void TestQRtMidiIn::init()
{
    peer = new MidiPeer("Peer In", "Peer Out");
    QVERIFY2(peer->isOk(), qPrintable(peer->error()));
}

void TestQRtMidiIn::cleanup()
{
    delete peer;
    peer = nullptr;
}

bool TestQRtMidiIn::openPeer(QRtMidiIn& port)
{
    return port.init() && port.getPortNames().contains(peer->outputPortName())
        && port.open(peer->outputPortName(), 0);
}

void TestQRtMidiIn::everyKindArrivesOnce_data()
{
    QTest::addColumn<QRtMidiData>("message");

    QTest::newRow("note on") << note(0x40, 0x7F);
    QTest::newRow("timing clock") << bytes({ 0xF8 });
    QTest::newRow("active sensing") << bytes({ 0xFE });
    QTest::newRow("time code quarter frame") << bytes({ 0xF1, 0x23 });
    QTest::newRow("SysEx of 200 bytes") << sysEx(200);
    QTest::newRow("SysEx of 1500 bytes") << sysEx(1500);
}

void TestQRtMidiIn::everyKindArrivesOnce()
{
    QFETCH(QRtMidiData, message);

    QRtMidiIn port;
    QVERIFY2(openPeer(port), qPrintable(port.getLastErrorString()));
    Counter counter;
    QObject::connect(&port, SIGNAL(dataIn()), &counter, SLOT(hit()));

    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    peer->send(message);
    QTRY_COMPARE_WITH_TIMEOUT(counter.count, 1, kWaitMs);
    const qint64 after = QDateTime::currentMSecsSinceEpoch();

    const QRtMidiData newest = port.getLastData();
    QCOMPARE(newest, message);
    QVERIFY(newest.timeStamp >= before && newest.timeStamp <= after);

    // A second message shows that the first raised dataIn() only once.
    const QRtMidiData marker = note(1, 1);
    peer->send(marker);
    QTRY_COMPARE_WITH_TIMEOUT(port.pendingCount(), 2, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(counter.count, 2, kWaitMs);
    QRtMidiData taken;
    QVERIFY(port.takeMessage(taken));
    QCOMPARE(taken, message);
    QCOMPARE(taken.timeStamp, newest.timeStamp);
    QVERIFY(port.takeMessage(taken));
    QCOMPARE(taken, marker);
    QCOMPARE(port.getLastData(), marker);
}

void TestQRtMidiIn::burstArrivesWholeAndInOrder()
{
    constexpr int kBurst = 500;
    QRtMidiIn port;
    QVERIFY2(openPeer(port), qPrintable(port.getLastErrorString()));
    Counter counter;
    QObject::connect(&port, SIGNAL(dataIn()), &counter, SLOT(hit()));

    QList<QRtMidiData> sent;
    for (int i = 0; i < kBurst; ++i) {
        sent << note(i % 0x80, i / 0x80 + 1);
        peer->send(sent.last());
    }
    QTRY_COMPARE_WITH_TIMEOUT(port.pendingCount(), kBurst, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(counter.count, kBurst, kWaitMs);

    for (const QRtMidiData& expected : sent) {
        QRtMidiData taken;
        QVERIFY(port.takeMessage(taken));
        QCOMPARE(taken, expected);
    }
    QCOMPARE(port.pendingCount(), 0);
    QCOMPARE(port.getLastData(), sent.last());
}

void TestQRtMidiIn::newestSurvivesCloseAndInit()
{
    QRtMidiIn port;
    QVERIFY2(openPeer(port), qPrintable(port.getLastErrorString()));
    const QRtMidiData message = sysEx(12);
    peer->send(message);
    QTRY_COMPARE_WITH_TIMEOUT(port.pendingCount(), 1, kWaitMs);
    const qint64 stamp = port.getLastData().timeStamp;

    port.close();
    QCOMPARE(port.getLastData(), message);
    QVERIFY(port.init());
    QCOMPARE(port.getLastData(), message);
    QCOMPARE(port.getLastData().timeStamp, stamp);
    QCOMPARE(port.pendingCount(), 1);
}

void TestQRtMidiIn::reopenAfterClose()
{
    QRtMidiIn port;
    QVERIFY2(openPeer(port), qPrintable(port.getLastErrorString()));
    port.close();
    QVERIFY(!port.isOpen());

    QVERIFY2(port.open(QString(), 0), qPrintable(port.getLastErrorString()));
    QVERIFY(port.isOpen());
    const QRtMidiData message = note(0x3C, 0x40);
    peer->send(message);
    QTRY_COMPARE_WITH_TIMEOUT(port.pendingCount(), 1, kWaitMs);
    QCOMPARE(port.getLastData(), message);
}

void TestQRtMidiIn::initWhileOpenForgetsPort()
{
    QRtMidiIn port;
    QVERIFY2(openPeer(port), qPrintable(port.getLastErrorString()));
    QVERIFY(port.init());
    QVERIFY(!port.isOpen());
    QVERIFY(port.getPortNames().contains(peer->outputPortName()));
    QVERIFY(!port.open(QString(), 0));
    QCOMPARE(port.getLastErrorString(), QString("Can't open, no port selected"));
}

void TestQRtMidiIn::openUnknownNameOnService()
{
    QRtMidiIn port;
    QVERIFY(port.init());
    QVERIFY(!port.open("Nobody:nothing", 0));
    QCOMPARE(
        port.getLastErrorString(), QString("open  - Port Name \"Nobody:nothing\" was not found"));
    QVERIFY(!port.isOpen());
}

void TestQRtMidiIn::emptyInboxLeavesTargetAlone()
{
    QRtMidiIn port;
    QRtMidiData out = note(1, 2);
    QVERIFY(!port.takeMessage(out));
    QCOMPARE(out, note(1, 2));
    QVERIFY(port.getLastData().isEmpty());
}

void TestQRtMidiIn::clearInboxForgetsPending()
{
    QRtMidiIn port;
    std::vector<unsigned char> bytes { 0x90, 0x10, 0x20 };
    port.midiDataIn(0, &bytes);
    port.midiDataIn(0, &bytes);
    QCOMPARE(port.pendingCount(), 2);
    port.clearInbox();
    QCOMPARE(port.pendingCount(), 0);
    QCOMPARE(port.getLastData(), note(0x10, 0x20));
}

void TestQRtMidiIn::overflowDropsOldest()
{
    constexpr int kExtra = 3;
    QRtMidiIn port;
    const QRegularExpression overflowLine("^QRtMidiIn inbox overflow");
    QTest::ignoreMessage(QtDebugMsg, overflowLine);
    for (int i = 0; i < QRtMidiIn::kInboxCapacity + kExtra; ++i) {
        std::vector<unsigned char> bytes { 0xB0, (unsigned char)(i % 0x80),
            (unsigned char)(i / 0x80) };
        port.midiDataIn(0, &bytes);
    }
    QCOMPARE(port.pendingCount(), QRtMidiIn::kInboxCapacity);

    QRtMidiData oldest;
    QVERIFY(port.takeMessage(oldest));
    QCOMPARE(oldest.toInt(1, 1, -1), kExtra);

    // Room again: a later overflow is reported anew.
    std::vector<unsigned char> bytes { 0xB0, 0, 0 };
    port.midiDataIn(0, &bytes);
    QTest::ignoreMessage(QtDebugMsg, overflowLine);
    port.midiDataIn(0, &bytes);
    QCOMPARE(port.pendingCount(), QRtMidiIn::kInboxCapacity);
}

void TestQRtMidiIn::setSlotReplacesReceiver()
{
    QRtMidiIn port;
    Counter first;
    Counter second;
    std::vector<unsigned char> bytes { 0xF8 };

    QTest::ignoreMessage(QtDebugMsg, "setSlot  Failed to disconnect previous receiver");
    port.setSlot(&first, SLOT(hit()));
    port.midiDataIn(0, &bytes);
    QCOMPARE(first.count, 1);

    port.setSlot(&second, SLOT(hit()));
    port.midiDataIn(0, &bytes);
    QCOMPARE(first.count, 1);
    QCOMPARE(second.count, 1);
}

QTEST_GUILESS_MAIN(TestQRtMidiIn)
#include "tst_qrtmidiin.moc"
