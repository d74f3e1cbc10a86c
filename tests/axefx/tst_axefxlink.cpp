// Discovery and the request/reply waits of AxeFX against the simulated unit.
#include "simlink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

class TestAxeFxLink : public QObject {
    Q_OBJECT

private slots:
    void portNames_data();
    void portNames();
    void discoveryReplies_data();
    void discoveryReplies();
    void replyBeforeTheWait();
    void noReplyLost_data();
    void noReplyLost();
    void limits_data();
    void limits();
    void nestedWaits();
    void quittingEndsWaits();
};

void TestAxeFxLink::portNames_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("found");
    QTest::newRow("unit names") << "AXE-FX II MIDI In"
                                << "AXE-FX II MIDI Out" << true;
    QTest::newRow("any letter case") << "my aXe in"
                                     << "Axe Out" << true;
    QTest::newRow("letters apart") << "A X E In"
                                   << "A X E Out" << false;
    QTest::newRow("only the output matches") << "Box In"
                                             << "AXE Out" << false;
    QTest::newRow("only the input matches") << "AXE In"
                                            << "Box Out" << false;
}

// The client's name is in every port name; a neutral one leaves the port names to decide.
void TestAxeFxLink::portNames()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(bool, found);
    AxeFxSim sim;
    sim.setPortNames({ "Rig", input, output });
    AxeFX axefx;
    QCOMPARE(connectToSim(sim, axefx), found);
    QCOMPARE(axefx.midiOut.isOpen(), found);
    QCOMPARE(axefx.midiIn.isOpen(), found);
    QCOMPARE(requestTrail(sim.requests()), found ? QString("00 35") : QString());
}

void TestAxeFxLink::discoveryReplies_data()
{
    QTest::addColumn<quint8>("unanswered");
    QTest::addColumn<QByteArray>("modelReply");
    QTest::addColumn<int>("deviceOffset");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("offset");
    const QByteArray none;
    QTest::newRow("model query unanswered") << quint8(0x00) << none << 1 << false << 0 << 1;
    QTest::newRow("model byte 0") << quint8(0xFF)
                                  << simReply(0x00, 0x64, QByteArray::fromHex("0A03")) << 1 << true
                                  << 0 << 1;
    QTest::newRow("offset 0") << quint8(0xFF) << none << 0 << true << 3 << 0;
    QTest::newRow("offset query unanswered") << quint8(0x35) << none << 0 << true << 3 << 1;
}

// The display offset starts at 1 here, so that each outcome differs from it.
void TestAxeFxLink::discoveryReplies()
{
    QFETCH(quint8, unanswered);
    QFETCH(QByteArray, modelReply);
    QFETCH(int, deviceOffset);
    QFETCH(bool, found);
    QFETCH(int, model);
    QFETCH(int, offset);
    AxeFxSim sim;
    sim.editBank([&](SimBank& bank) { bank.displayOffset = quint8(deviceOffset); });
    SimFaults faults;
    faults.unanswered = { unanswered };
    if (!modelReply.isEmpty())
        faults.replaceReplies[0x00] = { modelReply };
    sim.setFaults(faults);
    AxeFX axefx;
    axefx.displayOffset = 1;
    QCOMPARE(connectToSim(sim, axefx), found);
    QCOMPARE(axefx.isConnected(), model != 0);
    QCOMPARE(int(axefx.model), model);
    QCOMPARE(int(axefx.displayOffset), offset);
}

// The unit falls silent once its reply is in the inbox: only a wait that looks there first
// finds it.
void TestAxeFxLink::replyBeforeTheWait()
{
    AxeFxSim sim;
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    axefx::Message query = axefx::displayOffsetQuery(axefx.model);
    QVERIFY(axefx.SendRAWBuffer(query.bytes, query.size));
    QTRY_VERIFY(axefx.midiIn.pendingCount() > 0);
    QByteArray out;
    QVERIFY(axefx.WaitForInfiniteAnswer(out, 0x35));
    QCOMPARE(out.size(), 13);
}

void TestAxeFxLink::noReplyLost_data()
{
    QTest::addColumn<int>("tempoMs");
    QTest::addColumn<int>("noiseMs");
    QTest::newRow("quiet unit") << 0 << 0;
    QTest::newRow("tempo beat every millisecond") << 1 << 0;
    QTest::newRow("clock and sensing every millisecond") << 0 << 1;
}

// However closely other messages follow a reply, it is found, and none is taken for the
// reply of the next request.
void TestAxeFxLink::noReplyLost()
{
    QFETCH(int, tempoMs);
    QFETCH(int, noiseMs);
    AxeFxSim sim;
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    SimFaults faults;
    faults.tempoMs = tempoMs;
    faults.noiseMs = noiseMs;
    sim.setFaults(faults);
    const SimBank bank = sim.bank();
    for (int p = 0; p < 12; ++p) {
        QList<int> cabs;
        axefx.GetPresetCabs(p, cabs);
        QCOMPARE(cabs, bank.expectedCabs(p));
    }
}

void TestAxeFxLink::limits_data()
{
    QTest::addColumn<int>("tempoMs");
    QTest::addColumn<int>("noiseMs");
    QTest::addColumn<int>("streamMs");
    QTest::addColumn<int>("atLeastMs");
    QTest::addColumn<int>("belowMs");
    QTest::newRow("a stream keeps the wait until a second after it")
        << 0 << 100 << 1500 << 1500 << 4500;
    QTest::newRow("an endless stream ends at the overall limit")
        << 20 << 0 << 60000 << 4500 << 10000;
}

// An unanswered request among other messages: silence, not total time, ends the wait, and
// the overall limit ends it all the same.
void TestAxeFxLink::limits()
{
    QFETCH(int, tempoMs);
    QFETCH(int, noiseMs);
    QFETCH(int, streamMs);
    QFETCH(int, atLeastMs);
    QFETCH(int, belowMs);
    AxeFxSim sim;
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    SimFaults faults;
    faults.unanswered = { 0x35 };
    faults.tempoMs = tempoMs;
    faults.noiseMs = noiseMs;
    sim.setFaults(faults);
    QTimer streamEnd;
    streamEnd.setSingleShot(true);
    connect(&streamEnd, &QTimer::timeout, [&] { sim.setFaults(SimFaults()); });
    streamEnd.start(streamMs);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!axefx.ReadDisplayOffset());
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= atLeastMs && elapsed < belowMs, qPrintable(QString::number(elapsed)));
}

// A request started from an event handled inside another's wait gets its answer, and the
// outer wait, woken again once the inner one has ended, gets its own.
void TestAxeFxLink::nestedWaits()
{
    AxeFxSim sim;
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    SimFaults faults;
    faults.delayMs = 300;
    sim.setFaults(faults);
    QByteArray inner;
    QTimer::singleShot(50, [&] {
        sim.sendRaw(simReply(3, 0x12, QByteArray::fromHex("01")));
        QVERIFY(axefx.WaitForInfiniteAnswer(inner, 0x12));
    });
    axefx.displayOffset = 0;
    sim.editBank([](SimBank& bank) { bank.displayOffset = 1; });
    QVERIFY(axefx.ReadDisplayOffset());
    QCOMPARE(int(axefx.displayOffset), 1);
    QCOMPARE(inner, simReply(3, 0x12, QByteArray::fromHex("01")));
}

// Once the application quits, the running wait and every later one end at once instead of
// looking at the same inbox again and again; an endless stream would otherwise hold each
// for its overall limit.
void TestAxeFxLink::quittingEndsWaits()
{
    AxeFxSim sim;
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    SimFaults faults;
    faults.unanswered = { 0x35 };
    faults.tempoMs = 20;
    sim.setFaults(faults);
    QTimer::singleShot(100, [] { QCoreApplication::exit(0); });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!axefx.ReadDisplayOffset());
    QByteArray out;
    QVERIFY(!axefx.WaitForMessage(out));
    QVERIFY(!axefx.ReadDisplayOffset());
    QVERIFY2(clock.elapsed() < 4000, "a wait went on after the application quit");
    // Later tests need working event loops again.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    qApp->exec();
}

QTEST_GUILESS_MAIN(TestAxeFxLink)
#include "tst_axefxlink.moc"
