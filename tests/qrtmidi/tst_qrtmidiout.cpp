// The output port against the test peer: sending without a client, an empty buffer, hex
// text, and messages cut into pieces with pauses, each announced on dataOutMonitor(); and
// the choice of service when none can be reached.
#include "midipeer.h"
#include "qrtmidiout.h"

#include <QElapsedTimer>
#include <QtTest>

char* toString(const QRtMidiData& data)
{
    return QTest::toString(data.toString(' '));
}

class TestQRtMidiOut : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void withoutClient();
    void emptyBufferIsNotSent();
    void hexText();
    void split_data();
    void split();
    void unreachableService();

private:
    MidiPeer* peer = nullptr;
    QRtMidiOut* port = nullptr;
    QSignalSpy* monitor = nullptr;
};

void TestQRtMidiOut::init()
{
    peer = new MidiPeer;
    QVERIFY2(peer->isOk(), qPrintable(peer->error()));
    port = new QRtMidiOut;
    monitor = new QSignalSpy(port, &QRtMidiOut::dataOutMonitor);
    QVERIFY(port->init());
    QVERIFY(port->open(peer->inputPortName(), 0));
}

void TestQRtMidiOut::cleanup()
{
    delete monitor;
    delete port;
    delete peer;
}

void TestQRtMidiOut::withoutClient()
{
    port->destroy();
    port->dataOut(QRtMidiData("F8"));
    QCOMPARE(monitor->count(), 0);
}

// Nothing reaches the peer: the next message is the first it sees.
void TestQRtMidiOut::emptyBufferIsNotSent()
{
    QTest::ignoreMessage(QtWarningMsg, "QRtMidiOut::dataOut: an empty message is not sent");
    port->dataOut(QRtMidiData());
    port->dataOut(QRtMidiData("FE"));
    QCOMPARE(peer->waitForCount(1), QList<QRtMidiData> { QRtMidiData("FE") });
    QCOMPARE(monitor->count(), 2);
}

void TestQRtMidiOut::hexText()
{
    port->dataOut(QStringLiteral("F0 7E 7F 06 01 F7"));
    port->dataOut("90 40 7F");
    const QList<QRtMidiData> expected { QRtMidiData("F07E7F0601F7"), QRtMidiData("90407F") };
    QCOMPARE(peer->waitForCount(2), expected);
    QCOMPARE(monitor->count(), 2);
}

void TestQRtMidiOut::split_data()
{
    QTest::addColumn<int>("maxMsg");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("pieces");
    QTest::newRow("three pieces, paused") << 3 << 50 << 3;
    QTest::newRow("uneven last piece") << 4 << 0 << 3;
    QTest::newRow("fits in one") << 9 << 50 << 1;
    QTest::newRow("no limit") << 0 << 50 << 1;
}

// Three note messages in one buffer; the pieces arrive as messages of their own, in order.
void TestQRtMidiOut::split()
{
    QFETCH(int, maxMsg);
    QFETCH(int, delayMs);
    QFETCH(int, pieces);
    const QRtMidiData data("90 40 7F 90 41 7F 90 42 7F");
    QElapsedTimer clock;
    clock.start();
    port->dataOutSplit(data, maxMsg, delayMs);
    const qint64 elapsed = clock.elapsed();
    const QList<QRtMidiData> expected
        = pieces == 1 ? QList<QRtMidiData> { data } : data.split(maxMsg);
    QCOMPARE(expected.size(), pieces);
    QCOMPARE(peer->waitForCount(pieces), expected);
    QCOMPARE(monitor->count(), pieces);
    for (int i = 0; i < pieces; ++i)
        QCOMPARE(monitor->at(i).at(0).value<QRtMidiData>(), expected.at(i));
    if (pieces > 1)
        QVERIFY(elapsed >= pieces * delayMs);
}

// With no server to reach, both directions report the library's complaint instead of a
// client.
void TestQRtMidiOut::unreachableService()
{
    const QByteArray server = qgetenv("JACK_DEFAULT_SERVER");
    qputenv("JACK_DEFAULT_SERVER", "tollmark-no-such-server");
    std::string inError;
    std::string outError;
    std::unique_ptr<RtMidiIn, QRtMidiInDeleter> in(qrtCreateMidiIn("Unreachable", 1, &inError));
    std::unique_ptr<RtMidiOut, QRtMidiOutDeleter> out(qrtCreateMidiOut("Unreachable", &outError));
    qputenv("JACK_DEFAULT_SERVER", server);
    QVERIFY(!in && !out);
    QVERIFY2(QString::fromStdString(inError).contains("JACK"), inError.c_str());
    QVERIFY2(QString::fromStdString(outError).contains("JACK"), outError.c_str());
}

QTEST_GUILESS_MAIN(TestQRtMidiOut)
#include "tst_qrtmidiout.moc"
