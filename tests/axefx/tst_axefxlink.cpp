// SPDX-License-Identifier: MIT
// Discovery and the request/reply waits of AxeFX against the simulated unit.
#include "simlink.h"

#include <QCoreApplication>
#include <QTimer>

#include <iterator>
#include <optional>

namespace {

// The port names, the request left unanswered, whether the model reply says model 0, the unit's
// display offset, whether a search found nothing before the unit started, and the stall before
// the first reply; then what the search gives.
struct DiscoveryRow {
    const char* name;
    const char *input, *output;
    quint8 unanswered;
    bool modelZero;
    int deviceOffset;
    bool found;
    int model, offset;
    bool searchedBefore = false;
    int stallMs = 0;
};

const char kIn[] = "AXE-FX II MIDI In", kOut[] = "AXE-FX II MIDI Out";
const DiscoveryRow kDiscoveryRows[] = {
    { "any letter case, offset 0", "my aXe in", "Axe Out", 0xFF, false, 0, true, 3, 0 },
    { "only the output matches", "Box In", "AXE Out", 0xFF, false, 1, false, 0, 1 },
    { "only the input matches", "AXE In", "Box Out", 0xFF, false, 1, false, 0, 1 },
    { "model query unanswered, asked twice", kIn, kOut, 0x00, false, 1, false, 0, 1 },
    // The first reply comes after its second, during the wait for the second query's.
    { "model reply late once", kIn, kOut, 0xFF, false, 0, true, 3, 0, false, 1200 },
    { "model byte 0", kIn, kOut, 0xFF, true, 1, true, 0, 1 },
    // The offset kept is marked as not read.
    { "offset query unanswered", kIn, kOut, 0x35, false, 0, true, 3, 1 },
    // The link's clients, made again by the next search, may then come before the unit's.
    { "unit started after a search", kIn, kOut, 0xFF, false, 0, true, 3, 0, true },
};

} // namespace

class TestAxeFxLink : public QObject {
    Q_OBJECT

private slots:
    // The link of the test before goes before the unit it talks to.
    void init()
    {
        axefx.reset();
        sim.emplace();
        axefx.emplace();
    }

    void discovery_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(kDiscoveryRows)); ++i)
            QTest::newRow(kDiscoveryRows[i].name) << i;
    }

    // The client's name is in every port name; a neutral one leaves the port names to decide.
    // The display offset starts at 1 here, so that each outcome differs from it. A search may
    // have found nothing before the unit started.
    void discovery()
    {
        QFETCH(int, row);
        const DiscoveryRow& r = kDiscoveryRows[row];
        sim->setPortNames({ "Rig", r.input, r.output });
        sim->editBank([&](SimBank& bank) { bank.displayOffset = quint8(r.deviceOffset); });
        SimFaults faults;
        faults.unanswered = { r.unanswered };
        if (r.modelZero)
            faults.replaceReplies[0x00]
                = { SimFrame::build(0x00, 0x64, QByteArray::fromHex("0A03")) };
        faults.stallMs = r.stallMs;
        faults.stallAtRequest = 1;
        sim->setFaults(faults);
        axefx->displayOffset = 1;
        QVERIFY(!r.searchedBefore || !axefx->findAxeFx());
        QCOMPARE(connectToSim(*sim, *axefx), r.found);
        QCOMPARE(axefx->isConnected(), r.model != 0);
        QCOMPARE(int(axefx->model), r.model);
        QCOMPARE(int(axefx->displayOffset), r.offset);
        QCOMPARE(axefx->displayOffsetRead, r.model != 0 && r.unanswered != 0x35);
        // Ports that answer nothing are told from no ports at all.
        const bool askedTwice = r.unanswered == 0x00 || r.stallMs;
        QCOMPARE(requestTrail(sim->requests()).count("00"), askedTwice ? 2 : r.found ? 1 : 0);
        QCOMPARE(axefx->lastSearch(),
            r.unanswered == 0x00 ? AxeFX::Search::Unanswered
                : r.found        ? AxeFX::Search::Found
                                 : AxeFX::Search::NoPorts);
    }

    void limits_data()
    {
        QTest::addColumn<int>("noiseMs");
        QTest::addColumn<int>("streamMs");
        QTest::addColumn<bool>("endsFirst"); // the wait ends while the stream goes on
        QTest::newRow("a stream keeps the wait until it ends") << 100 << 1500 << false;
        QTest::newRow("a longer stream ends at the overall limit") << 20 << 7000 << true;
    }

    // An unanswered request among other messages: silence, not total time, ends the wait, and
    // the overall limit ends it all the same.
    void limits()
    {
        QFETCH(int, noiseMs);
        QFETCH(int, streamMs);
        QVERIFY(connectWith({ 0x35 }, noiseMs));
        bool streaming = true;
        QTimer::singleShot(streamMs, &*sim, [&] {
            sim->setFaults(SimFaults());
            streaming = false;
        });
        QVERIFY(!axefx->ReadDisplayOffset());
        QTEST(streaming, "endsFirst");
    }

    // A request started from an event handled inside another's wait gets its answer, and the
    // outer wait gets its own, which comes once the inner one has ended.
    void nestedWaits()
    {
        const QByteArray reply = SimFrame::build(3, 0x12, QByteArray::fromHex("01"));
        QVERIFY(connectWith({ 0x35 }, 0));
        QByteArray inner;
        connect(
            &*sim, &AxeFxSim::requestReceived, &*axefx,
            [&] {
                sim->sendRaw(reply);
                QVERIFY(axefx->WaitForInfiniteAnswer(inner, 0x12));
                sim->sendRaw(SimFrame::build(3, 0x35, QByteArray::fromHex("7E05010000")));
            },
            Qt::QueuedConnection);
        axefx->displayOffset = 0;
        QVERIFY(axefx->ReadDisplayOffset());
        QCOMPARE(int(axefx->displayOffset), 1);
        QCOMPARE(inner, reply);
    }

    // Once the application quits, the running wait and every later one end at once instead of
    // looking at the same inbox again and again. The clock messages keep a second of silence
    // from ending a wait, so one that went on would find the reply that comes three seconds late.
    void quittingEndsWaits()
    {
        QVERIFY(connectWith({}, 20, 3000));
        const auto quit = [] { QCoreApplication::exit(0); };
        connect(&*sim, &AxeFxSim::requestReceived, qApp, quit, Qt::QueuedConnection);
        QVERIFY(!axefx->ReadDisplayOffset());
        sim->disconnect(qApp);
        QVERIFY(!axefx->ReadDisplayOffset());
        // Later tests need working event loops again.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        qApp->exec();
    }

private:
    // Finds the unit, then makes it leave `unanswered` unanswered, late by delayMs, amid clock
    // and sensing messages every noiseMs.
    bool connectWith(QSet<quint8> unanswered, int noiseMs, int delayMs = 0)
    {
        SimFaults faults;
        faults.unanswered = unanswered;
        faults.noiseMs = noiseMs;
        faults.delayMs = delayMs;
        const bool found = connectToSim(*sim, *axefx);
        sim->setFaults(faults);
        return found;
    }

    std::optional<AxeFxSim> sim;
    std::optional<AxeFX> axefx;
};

QTEST_GUILESS_MAIN(TestAxeFxLink)
#include "tst_axefxlink.moc"
