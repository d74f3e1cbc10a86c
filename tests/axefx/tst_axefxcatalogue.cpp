// The preset and cabinet name catalogues: the fills with their progress, stopping them, and
// the names and counts they give.
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

QVector<QString> simplified(const QVector<QString>& names)
{
    QVector<QString> out;
    for (const QString& n : names)
        out << n.simplified();
    return out;
}

QVector<QString> presetNamesOf(const SimBank& bank)
{
    QVector<QString> names;
    for (const SimPreset& p : bank.presets)
        names << p.name.simplified();
    return names;
}

} // namespace

class TestAxeFxCatalogue : public QObject {
    Q_OBJECT

private slots:
    void fills_data();
    void fills();
    void replyNamesAnotherCab();
    void unansweredQueries();
    void damagedReplies();
    void stopBeforeFill();
    void stopDuringFill();
    void deviceVanishesMidFill();
    void cabName_data();
    void cabName();
    void presetNameBounds();
    void counts_data();
    void counts();
};

void TestAxeFxCatalogue::fills_data()
{
    QTest::addColumn<int>("model");
    QTest::newRow("smaller layout") << 3;
    QTest::newRow("larger layout") << 6;
}

void TestAxeFxCatalogue::fills()
{
    QFETCH(int, model);
    AxeFxSim sim(SimBank::builtIn(quint8(model)));
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    const SimBank bank = sim.bank();

    QSignalSpy cabSpy(&axefx, SIGNAL(CabNamePercent(int)));
    QVERIFY(axefx.FillCabNames());
    QCOMPARE(axefx.cabNames, simplified(bank.cabNames));
    const QList<int> cabPercents = percents(cabSpy);
    QCOMPARE(cabPercents.size(), bank.cabCount());
    if (model == 3)
        QCOMPARE(cabPercents.mid(0, 3), (QList<int> { 0, 0, 1 }));
    QCOMPARE(cabPercents.last(), 100);

    QSignalSpy presetSpy(&axefx, SIGNAL(PresetNamePercent(int)));
    QVERIFY(axefx.FillPresetNames());
    QCOMPARE(axefx.presetNames, presetNamesOf(bank));
    const QList<int> presetPercents = percents(presetSpy);
    QCOMPARE(presetPercents.size(), bank.presetCount());
    QCOMPARE(presetPercents.first(), 0);
    QCOMPARE(presetPercents.last(), 100);
    QCOMPARE(cabSpy.size(), bank.cabCount()); // the signals stay apart
}

// The entry is chosen by the number in the reply, not by the number asked for.
void TestAxeFxCatalogue::replyNamesAnotherCab()
{
    AxeFxSim sim;
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    SimFaults faults;
    faults.echoCabOffset = 2;
    sim.setFaults(faults);
    const SimBank bank = sim.bank();

    QSignalSpy spy(&axefx, SIGNAL(CabNamePercent(int)));
    QVERIFY(axefx.FillCabNames());
    QCOMPARE(axefx.cabNames.size(), 232);
    QVERIFY(axefx.cabNames.at(0).isEmpty());
    QVERIFY(axefx.cabNames.at(1).isEmpty());
    for (int j = 2; j < 232; ++j)
        QCOMPARE(axefx.cabNames.at(j), bank.cabNames.at(j - 2).simplified());
    QCOMPARE(spy.size(), 232); // numbers 232 and 233 were answered but not stored
}

// An unanswered query leaves its entry empty and sends no percentage; the result tells
// only whether the last query was answered.
void TestAxeFxCatalogue::unansweredQueries()
{
    AxeFxSim sim;
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    SimFaults faults;
    faults.dropEvery = 192; // presets 191 and 383
    sim.setFaults(faults);
    QVector<QString> expected = presetNamesOf(sim.bank());
    expected[191].clear();
    expected[383].clear();

    QSignalSpy spy(&axefx, SIGNAL(PresetNamePercent(int)));
    QVERIFY(!axefx.FillPresetNames());
    QCOMPARE(axefx.presetNames, expected);
    QCOMPARE(spy.size(), 382);
    QCOMPARE(percents(spy).last(), 99);
}

// A damaged name reply, such as one cut short, holds a wrong name, which must not pass for
// the name. The unit sends no other reply, so each query ends at once, unanswered, instead of
// waiting out its second; the stop request only keeps a regression from hanging the test.
void TestAxeFxCatalogue::damagedReplies()
{
    AxeFxSim sim;
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    SimFaults faults;
    // The name reply of preset 5, "Abc", with its checksum (56) off by one.
    faults.replaceReplies[0x15] = { QByteArray::fromHex("F00001740315000541626300 57F7") };
    sim.setFaults(faults);
    sim.clearRequests();
    QSignalSpy spy(&axefx, SIGNAL(PresetNamePercent(int)));
    QTimer::singleShot(60000, &axefx, &AxeFX::requestStop);

    QVERIFY(!axefx.FillPresetNames());
    QCOMPARE(sim.requestCount(), 384);
    QCOMPARE(axefx.presetNames, QVector<QString>(384));
    QCOMPARE(spy.size(), 0);

    sim.setFaults(SimFaults());
    QVERIFY(axefx.FillPresetNames());
    QCOMPARE(axefx.presetNames, presetNamesOf(sim.bank()));
}

void TestAxeFxCatalogue::stopBeforeFill()
{
    AxeFxSim sim;
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    sim.clearRequests();
    axefx.requestStop();
    QVERIFY(axefx.stopRequested());

    QVERIFY(!axefx.FillPresetNames());
    QVERIFY(!axefx.FillCabNames());
    QCOMPARE(axefx.presetNames, QVector<QString>(384));
    QCOMPARE(axefx.cabNames, QVector<QString>(232));
    QCOMPARE(sim.requestCount(), 0);
}

void TestAxeFxCatalogue::stopDuringFill()
{
    AxeFxSim sim;
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    sim.clearRequests();
    const QVector<QString> names = simplified(sim.bank().cabNames);
    const auto stopAtTen = connect(&axefx, &AxeFX::CabNamePercent, &axefx, [&](int percent) {
        if (percent >= 10)
            axefx.requestStop();
    });

    QVERIFY(!axefx.FillCabNames());
    // 100 * 24 / 232 is the first 10 %: the fill stops before cabinet 24.
    QCOMPARE(sim.requestCount(), 24);
    QCOMPARE(axefx.cabNames.mid(0, 24), names.mid(0, 24));
    QCOMPARE(axefx.cabNames.mid(24), QVector<QString>(232 - 24));

    axefx.clearStop();
    disconnect(stopAtTen);
    QVERIFY(axefx.FillCabNames());
    QCOMPARE(axefx.cabNames, names);
}

// A unit unplugged in the middle of a fill: the names read so far stay, the rest stay empty,
// nothing crashes, and the stop request ends the fill without waiting out every name.
void TestAxeFxCatalogue::deviceVanishesMidFill()
{
    AxeFxSim sim;
    SimFaults faults;
    faults.closeAfterRequests = 2 + 10; // model and display offset queries, then ten names
    sim.setFaults(faults);
    AxeFX axefx;
    QVERIFY(connectToSim(sim, axefx));
    const QVector<QString> names = simplified(sim.bank().cabNames);
    QSignalSpy spy(&axefx, SIGNAL(CabNamePercent(int)));
    QTimer::singleShot(2500, &axefx, &AxeFX::requestStop);

    QVERIFY(!axefx.FillCabNames());
    QVERIFY(!sim.isRunning());
    QCOMPARE(axefx.cabNames.size(), 232);
    QCOMPARE(axefx.cabNames.mid(0, 10), names.mid(0, 10));
    QCOMPARE(axefx.cabNames.mid(10), QVector<QString>(232 - 10));
    QCOMPARE(spy.size(), 10);
}

void TestAxeFxCatalogue::cabName_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("cab");
    QTest::addColumn<QString>("label");
    QTest::newRow("first factory") << 3 << 0 << "F1()";
    QTest::newRow("last factory") << 3 << 131 << "F132()";
    QTest::newRow("first user") << 3 << 132 << "U1()";
    QTest::newRow("last user") << 3 << 231 << "U100()";
    QTest::newRow("larger: last factory") << 6 << 178 << "F179()";
    QTest::newRow("larger: first user") << 6 << 179 << "U1()";
    QTest::newRow("no device yet") << 0 << 132 << "U1()";
    QTest::newRow("beyond the table") << 3 << 65535 << "U65404()";
}

void TestAxeFxCatalogue::cabName()
{
    QFETCH(int, model);
    QFETCH(int, cab);
    QFETCH(QString, label);
    AxeFX axefx;
    axefx.model = quint8(model);
    QCOMPARE(axefx.CabName(quint16(cab)), label);
}

void TestAxeFxCatalogue::presetNameBounds()
{
    AxeFX axefx;
    QCOMPARE(axefx.PresetName(0), QString());
    axefx.presetNames = QVector<QString>(384);
    axefx.presetNames[0] = "Clean";
    axefx.cabNames = { "50%1 Mix" };
    QCOMPARE(axefx.PresetName(0), QStringLiteral("Clean"));
    QCOMPARE(axefx.PresetName(-1), QString());
    QCOMPARE(axefx.PresetName(384), QString());
    QCOMPARE(axefx.CabName(0), QStringLiteral("F1(50%1 Mix)"));
}

void TestAxeFxCatalogue::counts_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("presets");
    QTest::addColumn<int>("cabs");
    QTest::newRow("no device") << 0 << 384 << 232;
    QTest::newRow("model 5") << 5 << 384 << 232;
    QTest::newRow("model 6") << 6 << 768 << 1203;
}

void TestAxeFxCatalogue::counts()
{
    QFETCH(int, model);
    QFETCH(int, presets);
    QFETCH(int, cabs);
    AxeFX axefx;
    axefx.model = quint8(model);
    QCOMPARE(axefx.PresetCount(), presets);
    QCOMPARE(axefx.CabCount(), cabs);
}

QTEST_GUILESS_MAIN(TestAxeFxCatalogue)
#include "tst_axefxcatalogue.moc"
