// The preset and cabinet name fills against the simulated unit: names, progress, replies that
// name another cabinet, unanswered and damaged replies, stopping, and a unit that vanishes.
#include "simlink.h"

#include <QSignalSpy>
#include <QTimer>

namespace {

QList<int> percents(const QSignalSpy& spy)
{
    QList<int> values;
    for (const QList<QVariant>& args : spy)
        values << args.at(0).toInt();
    return values;
}

// The names of the unit's cabinets, or of its presets, as the fills store them.
QVector<QString> namesOf(const SimBank& bank, bool cabs = true)
{
    QVector<QString> names;
    for (int i = 0; i < (cabs ? bank.cabNames.size() : bank.presets.size()); ++i)
        names << (cabs ? bank.cabNames.at(i) : bank.presets.at(i).name).simplified();
    return names;
}

} // namespace

class TestAxeFxCatalogue : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        axefx.reset(); // before the unit it is connected to
        sim.reset(new AxeFxSim);
        axefx.reset(new AxeFX);
        QVERIFY(connectToSim(*sim, *axefx));
        sim->clearRequests();
    }

    void fills()
    {
        QSignalSpy cabSpy(axefx.get(), SIGNAL(CabNamePercent(int)));
        QSignalSpy presetSpy(axefx.get(), SIGNAL(PresetNamePercent(int)));
        QVERIFY(axefx->FillCabNames());
        QCOMPARE(axefx->cabNames, namesOf(sim->bank()));
        QCOMPARE(presetSpy.size(), 0);
        QVERIFY(axefx->FillPresetNames());
        QCOMPARE(axefx->presetNames, namesOf(sim->bank(), false));
        const QList<int> cab = percents(cabSpy), preset = percents(presetSpy);
        QCOMPARE(cab.size(), 232);
        QCOMPARE(cab.mid(0, 3), (QList<int> { 0, 0, 1 }));
        QCOMPARE(cab.last(), 100);
        QCOMPARE(preset.size(), 384);
        QCOMPARE(preset.first(), 0);
        QCOMPARE(preset.last(), 100);
    }

    // The entry is chosen by the number in the reply, not by the number asked for; numbers
    // 232 and 233 are answered but not stored.
    void replyNamesAnotherCab()
    {
        SimFaults faults;
        faults.echoCabOffset = 2;
        sim->setFaults(faults);
        QSignalSpy spy(axefx.get(), SIGNAL(CabNamePercent(int)));
        QVERIFY(axefx->FillCabNames());
        const QVector<QString> names = namesOf(sim->bank());
        QCOMPARE(axefx->cabNames, QVector<QString>(2) + names.mid(0, 230));
        QCOMPARE(spy.size(), 232);
    }

    // An unanswered query leaves its entry empty and sends no percentage; the result tells
    // only whether the last query was answered.
    void unansweredQueries()
    {
        SimFaults faults;
        faults.dropEvery = 192; // presets 191 and 383
        sim->setFaults(faults);
        QVector<QString> expected = namesOf(sim->bank(), false);
        expected[191].clear();
        expected[383].clear();
        QSignalSpy spy(axefx.get(), SIGNAL(PresetNamePercent(int)));
        QVERIFY(!axefx->FillPresetNames());
        QCOMPARE(axefx->presetNames, expected);
        QCOMPARE(spy.size(), 382);
        QCOMPARE(percents(spy).mid(190, 2), (QList<int> { 49, 50 }));
    }

    // A damaged name reply is no answer, and it ends its query at once; the stop only keeps
    // a regression from hanging the test.
    void damagedReplies()
    {
        SimFaults faults;
        // The name reply of preset 5, "Abc", with its checksum (56) off by one.
        faults.replaceReplies[0x15] = { QByteArray::fromHex("F00001740315000541626300 57F7") };
        sim->setFaults(faults);
        QSignalSpy spy(axefx.get(), SIGNAL(PresetNamePercent(int)));
        QTimer::singleShot(60000, axefx.get(), &AxeFX::requestStop);
        QVERIFY(!axefx->FillPresetNames());
        QVERIFY(!axefx->stopRequested());
        QCOMPARE(sim->requestCount(), 384);
        QCOMPARE(axefx->presetNames, QVector<QString>(384));
        QCOMPARE(spy.size(), 0);
    }

    void stop()
    {
        axefx->requestStop();
        QVERIFY(!axefx->FillPresetNames());
        QVERIFY(!axefx->FillCabNames());
        QCOMPARE(axefx->cabNames, QVector<QString>(232));
        QCOMPARE(sim->requestCount(), 0);

        axefx->clearStop();
        connect(axefx.get(), &AxeFX::CabNamePercent, axefx.get(), [this](int percent) {
            if (percent >= 10)
                axefx->requestStop();
        });
        QVERIFY(!axefx->FillCabNames());
        // 100 * 24 / 232 is the first 10 %: the fill stops before cabinet 24.
        QCOMPARE(sim->requestCount(), 24);
        const QVector<QString> names = namesOf(sim->bank());
        QCOMPARE(axefx->cabNames, names.mid(0, 24) + QVector<QString>(232 - 24));
    }

    // A unit unplugged during a fill: the names read so far stay and the queries after it go
    // unanswered. The fill is stopped two queries after the unit left.
    void unitVanishes()
    {
        SimFaults faults;
        faults.closeAfterRequests = 2 + 10; // counted from the model query on
        sim->setFaults(faults);
        int sent = 0;
        connect(&axefx->midiOut, &QRtMidiOut::dataOutMonitor, axefx.get(), [&] {
            if (++sent == 12)
                axefx->requestStop();
        });
        QSignalSpy spy(axefx.get(), SIGNAL(CabNamePercent(int)));
        QVERIFY(!axefx->FillCabNames());
        QVERIFY(!sim->isRunning());
        QCOMPARE(sent, 12);
        QCOMPARE(axefx->cabNames, namesOf(sim->bank()).mid(0, 10) + QVector<QString>(222));
        QCOMPARE(spy.size(), 10);
    }

private:
    std::unique_ptr<AxeFxSim> sim;
    std::unique_ptr<AxeFX> axefx;
};

QTEST_GUILESS_MAIN(TestAxeFxCatalogue)
#include "tst_axefxcatalogue.moc"
