// SPDX-License-Identifier: MIT
// Discovery and the request/reply waits of AxeFX against the simulated unit.
#include "simlink.h"

#include <QCoreApplication>
#include <QTimer>

#include <optional>

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
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::addColumn<quint8>("unanswered");
        QTest::addColumn<QByteArray>("modelReply");
        QTest::addColumn<int>("deviceOffset");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("offset");
        QTest::addColumn<bool>("searchedBefore");
        QTest::addColumn<int>("stallMs");
        QTest::addColumn<int>("modelQueries");
        const auto row = [](const char* name, QString in, QString out, quint8 unanswered,
                             QByteArray reply, int deviceOffset, bool found, int model, int offset,
                             bool searchedBefore = false, int stallMs = 0) {
            const int queries = unanswered == 0x00 || stallMs ? 2 : found ? 1 : 0;
            QTest::newRow(name) << in << out << unanswered << reply << deviceOffset << found
                                << model << offset << searchedBefore << stallMs << queries;
        };
        const QByteArray none, model0 = SimFrame::build(0x00, 0x64, QByteArray::fromHex("0A03"));
        const QString in = "AXE-FX II MIDI In", out = "AXE-FX II MIDI Out";
        row("any letter case, offset 0", "my aXe in", "Axe Out", 0xFF, none, 0, true, 3, 0);
        row("only the output matches", "Box In", "AXE Out", 0xFF, none, 1, false, 0, 1);
        row("only the input matches", "AXE In", "Box Out", 0xFF, none, 1, false, 0, 1);
        row("model query unanswered, asked twice", in, out, 0x00, none, 1, false, 0, 1);
        // The first reply comes after its second, during the wait for the second query's.
        row("model reply late once", in, out, 0xFF, none, 0, true, 3, 0, false, 1200);
        row("model byte 0", in, out, 0xFF, model0, 1, true, 0, 1);
        // The offset kept is marked as not read.
        row("offset query unanswered", in, out, 0x35, none, 0, true, 3, 1);
        // The link's clients, made again by the next search, may then come before the unit's.
        row("unit started after a search", in, out, 0xFF, none, 0, true, 3, 0, true);
    }

    // The client's name is in every port name; a neutral one leaves the port names to decide.
    // The display offset starts at 1 here, so that each outcome differs from it. A search may
    // have found nothing before the unit started.
    void discovery()
    {
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(quint8, unanswered);
        QFETCH(QByteArray, modelReply);
        QFETCH(int, deviceOffset);
        QFETCH(int, model);
        sim->setPortNames({ "Rig", input, output });
        sim->editBank([&](SimBank& bank) { bank.displayOffset = quint8(deviceOffset); });
        SimFaults faults;
        faults.unanswered = { unanswered };
        if (!modelReply.isEmpty())
            faults.replaceReplies[0x00] = { modelReply };
        QFETCH(int, stallMs);
        faults.stallMs = stallMs;
        faults.stallAtRequest = 1;
        sim->setFaults(faults);
        axefx->displayOffset = 1;
        QFETCH(bool, searchedBefore);
        QVERIFY(!searchedBefore || !axefx->findAxeFx());
        QFETCH(bool, found);
        QCOMPARE(connectToSim(*sim, *axefx), found);
        QCOMPARE(axefx->isConnected(), model != 0);
        QCOMPARE(int(axefx->model), model);
        QTEST(int(axefx->displayOffset), "offset");
        QCOMPARE(axefx->displayOffsetRead, model != 0 && unanswered != 0x35);
        // Ports that answer nothing are told from no ports at all.
        QFETCH(int, modelQueries);
        QCOMPARE(requestTrail(sim->requests()).count("00"), modelQueries);
        QCOMPARE(axefx->lastSearch(),
            QTest::currentDataTag() == QByteArray("model query unanswered, asked twice")
                ? AxeFX::Search::Unanswered
                : found ? AxeFX::Search::Found
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
