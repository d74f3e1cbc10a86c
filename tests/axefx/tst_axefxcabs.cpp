// The cabinets a preset uses, read from the simulated unit, and the parameter readers.
#include "simlink.h"

#include <iterator>

namespace {

constexpr int kPreset = 7;

SimCabBlock block(int x, int y, int xMode = 1, int xSecond = 0, int yMode = 1, int ySecond = 0)
{
    return SimCabBlock { { x, xMode, xSecond }, { y, yMode, ySecond }, false };
}

SimFaults faults(int echoBlockOffset, int echoParamOffset, QSet<quint8> unanswered = {})
{
    SimFaults f;
    std::tie(f.echoBlockOffset, f.echoParamOffset, f.unanswered)
        = std::tie(echoBlockOffset, echoParamOffset, unanswered);
    return f;
}

// The grid's blocks, the two cabinet blocks, the faults, the result, the cabinets read and the
// requests after the program change and the grid query.
struct CabRow {
    const char* name;
    QVector<int> blocks;
    SimCabBlock b1, b2;
    SimFaults faults;
    bool result;
    QList<int> cabs;
    const char* trail;
};

const SimCabBlock none;
const SimFaults ok;
const CabRow kCabRows[] = {
    { "no cabinet block", { 100, 118 }, block(5, 5), none, ok, false, {}, "" },
    { "same cabinet in X and Y", { 108 }, block(5, 5), none, ok, true, { 5, 5 },
        "11:X 02:0 02:12 11:Y 02:0 02:12" },
    { "second cabinet in X only", { 108 }, block(5, 6, 2, 8, 1, 9), none, ok, true, { 5, 8, 6 },
        "11:X 02:0 02:12 02:2 11:Y 02:0 02:12" },
    { "second cabinets equal to the first, or in Y", { 108 }, block(5, 6, 2, 5, 3, 9), none, ok,
        true, { 5, 6, 9 }, "11:X 02:0 02:12 02:2 11:Y 02:0 02:12 02:2" },
    { "both blocks, block 2 without repeats", { 108, 109 }, block(5, 7), block(7, 9), ok, true,
        { 5, 7, 9 }, "" },
    { "only block 2, same cabinet in X and Y", { 109 }, none, block(9, 9), ok, true, { 9 },
        "11:X 02:0 02:12 11:Y 02:0 02:12" },
    { "8000 hex and above kept as negative", { 108 }, block(0x8000, 0xFFFF), none, ok, true,
        { -32768, -1 }, "" },
    { "cabinet count left out", { 108, 109 }, block(232, 231), block(232, 3), ok, true, { 231, 3 },
        "" },
    { "another block echoed", { 108 }, block(5, 6), none, faults(1, 0), true, {}, "11:X 02:0" },
    { "another parameter echoed", { 108 }, block(5, 6), none, faults(0, 1), true, {}, "11:X 02:0" },
    { "first read unanswered", { 108 }, block(5, 6), none, faults(0, 0, { 0x02 }), true, {},
        "11:X 02:0" },
    { "grid unanswered", { 108 }, block(5, 6), none, faults(0, 0, { 0x20 }), false, {}, "" },
};

} // namespace

class TestAxeFxCabs : public QObject {
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

    void presetCabs_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(kCabRows)); ++i)
            QTest::newRow(kCabRows[i].name) << i;
    }
    void presetCabs()
    {
        QFETCH(int, row);
        const auto& [name, blocks, b1, b2, faults, result, cabs, trail] = kCabRows[row];
        Q_UNUSED(name)
        sim->editBank([&](SimBank& bank) {
            SimPreset p = bank.presets.at(kPreset);
            p.grid.fill(0);
            p.grid[0] = 106;
            for (int i = 0; i < blocks.size(); ++i)
                p.grid[5 + 12 * i] = quint16(blocks[i]);
            p.cabBlocks[0] = b1;
            p.cabBlocks[1] = b2;
            bank.presets.replace(kPreset, p);
        });
        sim->setFaults(faults);

        QList<int> out { 42 };
        QCOMPARE(axefx->GetPresetCabs(kPreset, out), result);
        QCOMPARE(out, QList<int> { 42 } + cabs);
        QCOMPARE(sim->bank().currentPreset, kPreset);
        if (*trail)
            QCOMPARE(requestTrail(sim->requests()), "3C 20 " + QString(trail));

        // Unanswered, the flags stay as they were.
        const bool answered = !faults.unanswered.contains(0x20);
        bool cab1 = false, cab2 = true;
        QCOMPARE(axefx->GetCabsPresent(cab1, cab2), answered);
        QCOMPARE(cab1, answered && blocks.contains(108));
        QCOMPARE(cab2, !answered || blocks.contains(109));
    }

    // Infos and texts of a parameter the unit knows; an unknown one leaves the infos alone.
    void parameters()
    {
        const QStringList strings { "MONO", "STEREO", "DUAL MONO" };
        sim->editBank([&](SimBank& bank) {
            bank.params = { SimParam { 106, 3, 0x7F0, { 1.0f, -2.5f, 0.0f, 0.5f }, strings },
                SimParam { 106, 1, 0, {}, {} } };
        });
        param_infos infos;
        infos.flags = 0x42;
        QVERIFY(!axefx->AskForParameterInfos(106, 4, &infos));
        QCOMPARE(int(infos.flags), 0x42);
        QVERIFY(axefx->AskForParameterInfos(106, 3, &infos));
        QCOMPARE(int(infos.flags), 0xEF);
        QCOMPARE(infos.wordAsFloat(1), -2.5f);
        QCOMPARE(infos.wordAsFloat(3), 0.5f);
        QStringList list { "kept" };
        QVERIFY(axefx->AskForParameterStrings(106, 1, list));
        QVERIFY(axefx->AskForParameterStrings(106, 3, list));
        QCOMPARE(list, QStringList { "kept" } + strings);
    }

private:
    std::unique_ptr<AxeFxSim> sim;
    std::unique_ptr<AxeFX> axefx;
};

QTEST_GUILESS_MAIN(TestAxeFxCabs)
#include "tst_axefxcabs.moc"
