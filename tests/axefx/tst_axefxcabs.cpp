// The cabinets each preset uses, and the parameter readers under them.
#include "simlink.h"

Q_DECLARE_METATYPE(SimCabBlock)

namespace {

constexpr int kPreset = 7;

SimCabBlock block(SimCabSetting x, SimCabSetting y)
{
    SimCabBlock b;
    b.x = x;
    b.y = y;
    return b;
}

SimCabSetting cab(int number, int mode = 1, int second = 0)
{
    return SimCabSetting { number, mode, second };
}

// Puts the given blocks in preset kPreset's grid, after an amp block, with these settings.
void setPreset(
    AxeFxSim& sim, const QVector<int>& blocks, const SimCabBlock& b1, const SimCabBlock& b2)
{
    sim.editBank([&](SimBank& bank) {
        SimPreset p = bank.presets.at(kPreset);
        p.grid.fill(0);
        p.grid[0] = 106;
        for (int i = 0; i < blocks.size(); ++i)
            p.grid[5 + 12 * i] = quint16(blocks[i]);
        p.cabBlocks[0] = b1;
        p.cabBlocks[1] = b2;
        bank.presets.replace(kPreset, p);
    });
}

} // namespace

class TestAxeFxCabs : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void presetCabs_data();
    void presetCabs();
    void requestSequence_data();
    void requestSequence();
    void firstReadUnanswered();
    void gridUnanswered();
    void cabsPresent();
    void fullScan_data();
    void fullScan();
    void paramInfos();
    void paramInfosUnanswered();
    void paramStrings_data();
    void paramStrings();

private:
    AxeFxSim* sim = nullptr;
    AxeFX* axefx = nullptr;
};

void TestAxeFxCabs::init()
{
    sim = new AxeFxSim;
    axefx = new AxeFX;
    QVERIFY(connectToSim(*sim, *axefx));
    sim->clearRequests();
}

void TestAxeFxCabs::cleanup()
{
    delete axefx;
    delete sim;
    axefx = nullptr;
    sim = nullptr;
}

void TestAxeFxCabs::presetCabs_data()
{
    QTest::addColumn<QVector<int>>("blocks");
    QTest::addColumn<SimCabBlock>("b1");
    QTest::addColumn<SimCabBlock>("b2");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QList<int>>("cabs");
    const SimCabBlock none;
    QTest::newRow("no cabinet block")
        << QVector<int> { 100, 118 } << block(cab(5), cab(5)) << none << false << QList<int> {};
    QTest::newRow("same cabinet in X and Y")
        << QVector<int> { 108 } << block(cab(5), cab(5)) << none << true << QList<int> { 5, 5 };
    QTest::newRow("second cabinet equal to the first")
        << QVector<int> { 108 } << block(cab(5, 2, 5), cab(6)) << none << true
        << QList<int> { 5, 6 };
    QTest::newRow("second cabinets in X and Y")
        << QVector<int> { 108 } << block(cab(5, 2, 8), cab(6, 3, 9)) << none << true
        << QList<int> { 5, 8, 6, 9 };
    QTest::newRow("second cabinet left alone in mode 1")
        << QVector<int> { 108 } << block(cab(5, 1, 8), cab(6, 0, 9)) << none << true
        << QList<int> { 5, 6 };
    QTest::newRow("both blocks, block 2 without repeats")
        << QVector<int> { 108, 109 } << block(cab(5), cab(7)) << block(cab(7), cab(9)) << true
        << QList<int> { 5, 7, 9 };
    QTest::newRow("only block 2, same cabinet in X and Y")
        << QVector<int> { 109 } << none << block(cab(9), cab(9)) << true << QList<int> { 9 };
    QTest::newRow("8000 hex and above kept as negative")
        << QVector<int> { 108 } << block(cab(0x8000), cab(0xFFFF)) << none << true
        << QList<int> { -32768, -1 };
    QTest::newRow("cabinet count left out")
        << QVector<int> { 108, 109 } << block(cab(232), cab(231)) << block(cab(232), cab(3)) << true
        << QList<int> { 231, 3 };
    QTest::newRow("user cabinets") << QVector<int> { 109, 108 } << block(cab(132), cab(231))
                                   << block(cab(0), cab(132)) << true << QList<int> { 132, 231, 0 };
}

void TestAxeFxCabs::presetCabs()
{
    QFETCH(QVector<int>, blocks);
    QFETCH(SimCabBlock, b1);
    QFETCH(SimCabBlock, b2);
    QFETCH(bool, result);
    QFETCH(QList<int>, cabs);
    setPreset(*sim, blocks, b1, b2);

    QList<int> out;
    QCOMPARE(axefx->GetPresetCabs(kPreset, out), result);
    QCOMPARE(out, cabs);
    QCOMPARE(sim->bank().currentPreset, kPreset);
}

void TestAxeFxCabs::requestSequence_data()
{
    QTest::addColumn<SimCabBlock>("b1");
    QTest::addColumn<int>("echoBlockOffset");
    QTest::addColumn<int>("echoParamOffset");
    QTest::addColumn<QList<int>>("cabs");
    QTest::addColumn<QString>("trail");
    QTest::newRow("mode 1 asks no second cabinet") << block(cab(5),
        cab(6)) << 0 << 0 << QList<int> { 5, 6 } << "3C 20 11:X 02:0 02:12 11:Y 02:0 02:12";
    QTest::newRow("mode 2 in X only")
        << block(cab(5, 2, 8), cab(6)) << 0 << 0 << QList<int> { 5, 8, 6 }
        << "3C 20 11:X 02:0 02:12 02:2 11:Y 02:0 02:12";
    QTest::newRow("another block echoed")
        << block(cab(5), cab(6)) << 1 << 0 << QList<int> {} << "3C 20 11:X 02:0";
    QTest::newRow("another parameter echoed")
        << block(cab(5), cab(6)) << 0 << 1 << QList<int> {} << "3C 20 11:X 02:0";
}

// The messages go out in the order the reading needs, and a reply that echoes another block
// or parameter ends the reading at once.
void TestAxeFxCabs::requestSequence()
{
    QFETCH(SimCabBlock, b1);
    QFETCH(int, echoBlockOffset);
    QFETCH(int, echoParamOffset);
    QFETCH(QList<int>, cabs);
    QFETCH(QString, trail);
    setPreset(*sim, { 108 }, b1, SimCabBlock());
    SimFaults faults;
    faults.echoBlockOffset = echoBlockOffset;
    faults.echoParamOffset = echoParamOffset;
    sim->setFaults(faults);

    QList<int> out;
    QVERIFY(axefx->GetPresetCabs(kPreset, out));
    QCOMPARE(out, cabs);
    QCOMPARE(requestTrail(sim->requests()), trail);
}

void TestAxeFxCabs::firstReadUnanswered()
{
    setPreset(*sim, { 108 }, block(cab(5), cab(6)), SimCabBlock());
    SimFaults faults;
    faults.unanswered = { 0x02 };
    sim->setFaults(faults);

    QList<int> out { 42 };
    QVERIFY(axefx->GetPresetCabs(kPreset, out));
    QCOMPARE(out, QList<int> { 42 });
    QCOMPARE(requestTrail(sim->requests()), QStringLiteral("3C 20 11:X 02:0"));
}

void TestAxeFxCabs::gridUnanswered()
{
    setPreset(*sim, { 108 }, block(cab(5), cab(6)), SimCabBlock());
    SimFaults faults;
    faults.unanswered = { 0x20 };
    sim->setFaults(faults);

    QList<int> out { 42 };
    QVERIFY(!axefx->GetPresetCabs(kPreset, out));
    QCOMPARE(out, QList<int> { 42 });
    bool cab1 = true, cab2 = false;
    QVERIFY(!axefx->GetCabsPresent(cab1, cab2));
    QVERIFY(cab1);
    QVERIFY(!cab2);
}

void TestAxeFxCabs::cabsPresent()
{
    setPreset(*sim, { 108 }, block(cab(5), cab(6)), SimCabBlock());
    axefx->PC(kPreset);
    bool cab1 = false, cab2 = true;
    QVERIFY(axefx->GetCabsPresent(cab1, cab2));
    QVERIFY(cab1);
    QVERIFY(!cab2);
}

void TestAxeFxCabs::fullScan_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("step");
    QTest::newRow("smaller layout, every preset") << 3 << 1;
    QTest::newRow("larger layout, every fifth preset") << 6 << 5;
}

// A scan of the built-in bank finds exactly the cabinets its presets use.
void TestAxeFxCabs::fullScan()
{
    QFETCH(int, model);
    QFETCH(int, step);
    sim->setBank(SimBank::builtIn(quint8(model)));
    QVERIFY(axefx->findAxeFx());
    QCOMPARE(int(axefx->model), model);
    const SimBank bank = sim->bank();

    for (int p = 0; p < axefx->PresetCount(); p += step) {
        QList<int> out;
        const SimPreset& preset = bank.presets.at(p);
        const bool holds = preset.holdsBlock(108) || preset.holdsBlock(109);
        QCOMPARE(axefx->GetPresetCabs(p, out), holds);
        QCOMPARE(out, bank.expectedCabs(p));
    }
}

void TestAxeFxCabs::paramInfos()
{
    sim->editBank([](SimBank& bank) {
        SimParam param;
        param.block = 106;
        param.param = 3;
        param.flags = 0x7F0;
        param.words = { 1.0f, -2.5f, 0.0f, 0.5f };
        bank.params = { param };
    });
    param_infos infos;
    QVERIFY(axefx->AskForParameterInfos(106, 3, &infos));
    QCOMPARE(int(infos.flags), 0xEF);
    QCOMPARE(infos.wordAsFloat(0), 1.0f);
    QCOMPARE(infos.wordAsFloat(1), -2.5f);
    QCOMPARE(infos.wordAsFloat(2), 0.0f);
    QCOMPARE(infos.wordAsFloat(3), 0.5f);
}

void TestAxeFxCabs::paramInfosUnanswered()
{
    sim->editBank([](SimBank& bank) { bank.params.clear(); });
    param_infos infos;
    infos.flags = 0x42;
    QVERIFY(!axefx->AskForParameterInfos(106, 3, &infos));
    QCOMPARE(int(infos.flags), 0x42);
}

void TestAxeFxCabs::paramStrings_data()
{
    QTest::addColumn<QStringList>("strings");
    QTest::newRow("several") << QStringList { "MONO", "STEREO", "DUAL MONO" };
    QTest::newRow("one") << QStringList { "Off" };
    QTest::newRow("none") << QStringList();
}

void TestAxeFxCabs::paramStrings()
{
    QFETCH(QStringList, strings);
    sim->editBank([&](SimBank& bank) {
        SimParam param;
        param.block = 106;
        param.param = 1;
        param.strings = strings;
        bank.params = { param };
    });
    QStringList list { "kept" };
    QVERIFY(axefx->AskForParameterStrings(106, 1, list));
    QCOMPARE(list, QStringList { "kept" } + strings);
}

QTEST_GUILESS_MAIN(TestAxeFxCabs)
#include "tst_axefxcabs.moc"
