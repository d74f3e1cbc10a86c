// The input port: a real round trip from the test peer, closed and reopened on the server, and
// the inbox fed through the port's own callback.
#include "midipeer.h"
#include "qrtmidiin.h"

#include <QtTest>

char* toString(const QRtMidiData& data)
{
    return QTest::toString(data.toString(' '));
}

namespace {

void deliver(QRtMidiIn& port, std::vector<unsigned char> bytes)
{
    QRtMidiIn_midiInCallback(0, &bytes, &port);
}

QList<QRtMidiData> takeAll(QRtMidiIn& port)
{
    QList<QRtMidiData> taken;
    QRtMidiData message;
    while (port.takeMessage(message))
        taken << message;
    return taken;
}

} // namespace

class TestQRtMidiIn : public QObject {
    Q_OBJECT

private slots:
    void roundTrip();
    void inbox();
    void overflowDropsOldest();
};

// Every kind of message arrives once, whole and in order, also after closing and reopening
// the port (its client stays; the connection is made again).
void TestQRtMidiIn::roundTrip()
{
    MidiPeer peer;
    QVERIFY2(peer.isOk(), qPrintable(peer.error()));
    QRtMidiIn port;
    QSignalSpy dataIn(&port, &QRtMidiIn::dataIn);
    QVERIFY(port.init());
    QVERIFY(port.open(peer.outputPortName(), 0));
    const QList<QRtMidiData> sent { QRtMidiData("90 40 7F"), QRtMidiData("F8"), QRtMidiData("FE"),
        QRtMidiData("F1 23"),
        QRtMidiData(QStringLiteral("F0") + QString(3000, '1') + QStringLiteral("F7")) };
    for (int round = 0; round < 2; ++round) {
        for (const QRtMidiData& message : sent)
            peer.send(message);
        QTRY_COMPARE_WITH_TIMEOUT(port.pendingCount(), sent.size(), MidiPeer::kWaitMs);
        QCOMPARE(takeAll(port), sent);
        QCOMPARE(port.getLastData(), sent.last());
        port.close();
        QVERIFY(!port.isOpen());
        QVERIFY(port.open(QString(), 0));
    }
    QCOMPARE(dataIn.count(), 2 * sent.size());
}

// Oldest first; an empty inbox leaves the target alone; the newest message survives
// clearInbox() and init().
void TestQRtMidiIn::inbox()
{
    QRtMidiIn port;
    deliver(port, { 0x90, 1, 2 });
    deliver(port, { 0xF8 });
    QCOMPARE(port.pendingCount(), 2);
    QCOMPARE(takeAll(port), (QList<QRtMidiData> { QRtMidiData("90 01 02"), QRtMidiData("F8") }));
    QRtMidiData untouched("01");
    QVERIFY(!port.takeMessage(untouched));
    QCOMPARE(untouched, QRtMidiData("01"));

    deliver(port, { 0xFE });
    port.clearInbox();
    QCOMPARE(port.pendingCount(), 0);
    port.init();
    QCOMPARE(port.getLastData(), QRtMidiData("FE"));
    QVERIFY(port.getLastData().timeStamp > 0);
}

void TestQRtMidiIn::overflowDropsOldest()
{
    const int extra = 3;
    QRtMidiIn port;
    const QRegularExpression overflowLine("^QRtMidiIn inbox overflow");
    QTest::ignoreMessage(QtDebugMsg, overflowLine);
    for (int i = 0; i < QRtMidiIn::kInboxCapacity + extra; ++i)
        deliver(port, { 0xB0, (unsigned char)(i % 0x80), (unsigned char)(i / 0x80) });
    QCOMPARE(port.pendingCount(), QRtMidiIn::kInboxCapacity);
    QCOMPARE(takeAll(port).first(), QRtMidiData("B0 03 00"));

    // Once there was room again, the next overflow is reported anew.
    for (int i = 0; i < QRtMidiIn::kInboxCapacity; ++i)
        deliver(port, { 0xF8 });
    QTest::ignoreMessage(QtDebugMsg, overflowLine);
    deliver(port, { 0xFE });
    QCOMPARE(port.pendingCount(), QRtMidiIn::kInboxCapacity);
}

QTEST_GUILESS_MAIN(TestQRtMidiIn)
#include "tst_qrtmidiin.moc"
