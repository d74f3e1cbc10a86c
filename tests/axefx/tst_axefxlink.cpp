// Discovery and the request/reply waits of AxeFX against the simulated unit.
#include "simlink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

class TestAxeFxLink : public QObject {
    Q_OBJECT

private slots:
    void discovery_data();
    void discovery();
    void firstOfTwoMatches();
    void modelQueryUnanswered();
    void modelByteZero();
    void displayOffset_data();
    void displayOffset();
    void headerAtPosition2();
    void infiniteAnswerKeepsWholeMessage();
    void replyBeforeTheWait();
    void noReplyLost_data();
    void noReplyLost();
    void traffic_data();
    void traffic();
    void streamKeepsWaitAlive();
    void streamCannotHoldWaitForever();
    void quittingEndsWaits();
    void pcWithoutDevice();
};

void TestAxeFxLink::discovery_data()
{
    QTest::addColumn<QString>("client");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("found");
    QTest::newRow("unit names") << "AXE-FX II"
                                << "AXE-FX II MIDI In"
                                << "AXE-FX II MIDI Out" << true;
    QTest::newRow("any letter case") << "Rig"
                                     << "my aXe in"
                                     << "Axe Out" << true;
    QTest::newRow("letters apart") << "A X E"
                                   << "A X E In"
                                   << "A X E Out" << false;
    QTest::newRow("only the output port matches") << "Box"
                                                  << "AXE In"
                                                  << "Box Out" << false;
    QTest::newRow("only the input port matches") << "Box"
                                                 << "Box In"
                                                 << "AXE Out" << false;
}

void TestAxeFxLink::discovery()
{
    QFETCH(QString, client);
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(bool, found);
    AxeFxSim sim;
    SimPortNames names;
    names.client = client;
    names.input = input;
    names.output = output;
    sim.setPortNames(names);
    AxeFX axefx;

    QCOMPARE(connectToSim(sim, axefx), found);
    QCOMPARE(axefx.isConnected(), found);
    QCOMPARE(axefx.midiOut.isOpen(), found);
    QCOMPARE(axefx.midiIn.isOpen(), found);
    if (found) {
        QCOMPARE(int(axefx.model), 3);
        QCOMPARE(requestTrail(sim.requests()), QStringLiteral("00 35"));
    } else {
        QCOMPARE(sim.requestCount(), 0);
    }
}

// The first matching name in the port layer's order is taken for each direction; only when
// both name the same unit does it answer.
void TestAxeFxLink::firstOfTwoMatches()
{
    AxeFxSim a(SimBank::empty(3));
    AxeFxSim b(SimBank::empty(6));
    SimPortNames names;
    names.client = "AXE A";
    names.input = "AXE A In";
    names.output = "AXE A Out";
    a.setPortNames(names);
    names.client = "AXE B";
    names.input = "AXE B In";
    names.output = "AXE B Out";
    b.setPortNames(names);
    QVERIFY(a.start());
    QVERIFY(b.start());

    AxeFX axefx;
    const bool found = axefx.findAxeFx();

    auto firstMatch = [](const QStringList& list) {
        for (const QString& n : list) {
            if (n.toUpper().contains("AXE"))
                return n;
        }
        return QString();
    };
    const bool toA = firstMatch(axefx.midiOut.getPortNames()).contains("AXE A");
    const bool fromA = firstMatch(axefx.midiIn.getPortNames()).contains("AXE A");
    AxeFxSim& askedSim = toA ? a : b;
    AxeFxSim& otherSim = toA ? b : a;
    QVERIFY(askedSim.requestCount() >= 1);
    QCOMPARE(otherSim.requestCount(), 0);
    QCOMPARE(found, toA == fromA);
    if (found)
        QCOMPARE(int(axefx.model), toA ? 3 : 6);
}

void TestAxeFxLink::modelQueryUnanswered()
{
    AxeFxSim sim;
    SimFaults faults;
    faults.unanswered = { 0x00 };
    sim.setFaults(faults);
    AxeFX axefx;
    QVERIFY(!connectToSim(sim, axefx));
    QVERIFY(!axefx.isConnected());
    QCOMPARE(requestTrail(sim.requests()), QStringLiteral("00"));
}

void TestAxeFxLink::modelByteZero()
{
    AxeFxSim sim;
    SimFaults faults;
    faults.replaceReplies[0x00] = { simReply(0x00, 0x64, QByteArray::fromHex("0A03")) };
    sim.setFaults(faults);
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    QVERIFY(!axefx.isConnected());
    QCOMPARE(int(axefx.model), 0);
}

void TestAxeFxLink::displayOffset_data()
{
    QTest::addColumn<int>("deviceOffset");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::newRow("offset 1") << 1 << true << 0 << 1;
    QTest::newRow("offset 0") << 0 << true << 1 << 0;
    QTest::newRow("unanswered keeps the value") << 0 << false << 1 << 1;
}

void TestAxeFxLink::displayOffset()
{
    QFETCH(int, deviceOffset);
    QFETCH(bool, answered);
    QFETCH(int, before);
    QFETCH(int, after);
    AxeFxSim sim;
    sim.editBank([&](SimBank& bank) { bank.displayOffset = quint8(deviceOffset); });
    if (!answered) {
        SimFaults faults;
        faults.unanswered = { 0x35 };
        sim.setFaults(faults);
    }
    AxeFX axefx;
    axefx.displayOffset = quint8(before);
    QVERIFY(connectToSim(sim, axefx));
    QVERIFY(axefx.isConnected());
    QCOMPARE(int(axefx.displayOffset), after);
}

void TestAxeFxLink::headerAtPosition2()
{
    AxeFxSim sim;
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    QCOMPARE(int(axefx.displayOffset), 0);
    SimFaults faults;
    const QByteArray reply = simReply(3, 0x35, QByteArray::fromHex("7E05 01 0000"));
    faults.replaceReplies[0x35] = { QByteArray::fromHex("F8F8") + reply };
    sim.setFaults(faults);

    axefx.ReadDisplayOffset();
    QCOMPARE(int(axefx.displayOffset), 1);
}

void TestAxeFxLink::infiniteAnswerKeepsWholeMessage()
{
    AxeFxSim sim;
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    const QByteArray message
        = QByteArray::fromHex("FEFE") + simReply(3, 0x12, QByteArray::fromHex("0500 41 00"));
    sim.sendRaw(message);
    QByteArray out("ab");
    QVERIFY(axefx.WaitForInfiniteAnswer(out, 0x12));
    QCOMPARE(out, QByteArray("ab") + message);
}

void TestAxeFxLink::replyBeforeTheWait()
{
    AxeFxSim sim;
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    axefx::Message query = axefx::displayOffsetQuery(axefx.model);
    QVERIFY(axefx.SendRAWBuffer(query.bytes, query.size));
    QTRY_VERIFY(axefx.midiIn.pendingCount() > 0);

    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(axefx.WaitForInfiniteAnswer(out, 0x35));
    QCOMPARE(out.size(), 13);
    QVERIFY2(clock.elapsed() < 500, "a reply already received waited for the silence time-out");
}

void TestAxeFxLink::noReplyLost_data()
{
    QTest::addColumn<int>("tempoMs");
    QTest::addColumn<int>("noiseMs");
    QTest::newRow("zero-delay unit") << 0 << 0;
    QTest::newRow("tempo beat every millisecond") << 1 << 0;
    QTest::newRow("clock and sensing every millisecond") << 0 << 1;
}

// Every reply is found however closely other messages follow it, and none is taken for
// the reply of the next request.
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

    QVERIFY(axefx.FillCabNames());
    for (int i = 0; i < bank.cabCount(); ++i)
        QCOMPARE(axefx.cabNames.at(i), bank.cabNames.at(i).simplified());
    for (int p = 0; p < 24; ++p) {
        QList<int> cabs;
        axefx.GetPresetCabs(p, cabs);
        QCOMPARE(cabs, bank.expectedCabs(p));
    }
}

void TestAxeFxLink::traffic_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("trail");
    QTest::newRow("PC") << "PC"
                        << "3C";
    QTest::newRow("SetXY") << "SetXY"
                           << "11:Y";
    QTest::newRow("GetCabsPresent") << "GetCabsPresent"
                                    << "20";
}

void TestAxeFxLink::traffic()
{
    QFETCH(QString, call);
    QFETCH(QString, trail);
    AxeFxSim sim;
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    sim.clearRequests();
    bool cab1 = false, cab2 = false;
    if (call == "PC")
        QVERIFY(axefx.PC(5));
    else if (call == "SetXY")
        axefx.SetXY(108, true);
    else
        QVERIFY(axefx.GetCabsPresent(cab1, cab2));
    QVERIFY(sim.waitForRequests(1));
    QCOMPARE(requestTrail(sim.requests()), trail);
}

// Messages that are not the reply, each within a second of the last, keep the wait going;
// a second after the last one it ends with no answer.
void TestAxeFxLink::streamKeepsWaitAlive()
{
    AxeFxSim sim;
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    SimFaults faults;
    faults.unanswered = { 0x35 };
    faults.noiseMs = 500;
    sim.setFaults(faults);
    QTimer::singleShot(2000, [&] { sim.setFaults(SimFaults()); });
    axefx.displayOffset = 1;

    QElapsedTimer clock;
    clock.start();
    axefx.ReadDisplayOffset();
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(int(axefx.displayOffset), 1);
    QVERIFY2(elapsed >= 2000 && elapsed < 4500, qPrintable(QString::number(elapsed)));
}

void TestAxeFxLink::streamCannotHoldWaitForever()
{
    AxeFxSim sim;
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    SimFaults faults;
    faults.unanswered = { 0x35 };
    faults.tempoMs = 20;
    sim.setFaults(faults);

    QElapsedTimer clock;
    clock.start();
    axefx.ReadDisplayOffset();
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= 4500 && elapsed < 8000, qPrintable(QString::number(elapsed)));
}

// Once the application quits, local loops return at once; waits report no answer instead
// of looking at the same inbox again and again.
void TestAxeFxLink::quittingEndsWaits()
{
    AxeFxSim sim;
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    SimFaults faults;
    faults.unanswered = { 0x35 };
    sim.setFaults(faults);

    QTimer::singleShot(100, [] { QCoreApplication::exit(0); });
    QElapsedTimer clock;
    clock.start();
    axefx.ReadDisplayOffset();
    QVERIFY2(clock.elapsed() < 900, "the wait running when the application quit went on");

    QByteArray out;
    QVERIFY(!axefx.WaitForMessage(out));
    clock.restart();
    QVERIFY(!axefx.FillPresetNames());
    QVERIFY2(clock.elapsed() < 60000, "a fill while quitting waited for its replies");

    // Let later tests have working event loops again.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    qApp->exec();
}

void TestAxeFxLink::pcWithoutDevice()
{
    AxeFX axefx;
    QVERIFY(axefx.PC(0));
    QVERIFY(!axefx.isConnected());
}

QTEST_GUILESS_MAIN(TestAxeFxLink)
#include "tst_axefxlink.moc"
