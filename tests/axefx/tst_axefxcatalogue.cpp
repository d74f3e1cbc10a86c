// SPDX-License-Identifier: MIT
// Against the simulated unit: the cabinets a preset uses and the failures a reading counts, the
// parameter readers, and the preset and cabinet name fills (names, progress, replies that name
// another cabinet, unanswered replies, stopping).
#include "simlink.h"

#include <QSignalSpy>

#include <iterator>

Q_DECLARE_METATYPE(SimFaults)

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

constexpr int kPreset = 7;

SimCabBlock block(int x, int y, int xMode = 1, int xSecond = 0, int yMode = 1, int ySecond = 0)
{
    return SimCabBlock { { x, xMode, xSecond }, { y, yMode, ySecond }, false };
}

SimFaults faults(int echoBlockOffset, int echoParamOffset, QSet<quint8> unanswered = {},
    QSet<quint8> damaged = {}, QSet<quint8> truncated = {})
{
    SimFaults f;
    std::tie(f.echoBlockOffset, f.echoParamOffset, f.unanswered, f.damaged, f.truncated)
        = std::tie(echoBlockOffset, echoParamOffset, unanswered, damaged, truncated);
    return f;
}

// The grid's blocks, the two cabinet blocks, the faults, the result, the cabinets read, the
// requests after the program change and the grid query, and the readings that failed.
struct CabRow {
    const char* name;
    QVector<int> blocks;
    SimCabBlock b1, b2;
    SimFaults faults;
    bool result;
    QList<int> cabs;
    const char* trail;
    int failures = 0;
};

template <typename Set> SimFaults with(Set set)
{
    SimFaults f;
    set(f);
    return f;
}

// The grid reply of a preset with this amp block and cabinet block 1, as the unit sends it.
QByteArray gridReply(int amp)
{
    QByteArray payload;
    for (int cell = 0; cell < SimPreset::kGridCells; ++cell) {
        const int block = cell == 0 ? amp : cell == 5 ? 108 : 0;
        SimFrame::append14(payload, block);
        payload.append(char(block ? 2 : 0)).append(char(0));
    }
    return SimFrame::build(3, 0x20, payload);
}

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
    // A damaged reply, or one about something else, counts as no answer at all.
    { "another block echoed", { 108 }, block(5, 6), none, faults(1, 0), true, {}, "11:X 02:0", 1 },
    { "another parameter echoed", { 108 }, block(5, 6), none, faults(0, 1), true, {}, "11:X 02:0",
        1 },
    { "first read unanswered", { 108 }, block(5, 6), none, faults(0, 0, { 0x02 }), true, {},
        "11:X 02:0", 1 },
    { "grid damaged", { 108 }, block(5, 6), none, faults(0, 0, {}, { 0x20 }), false, {}, "", 1 },
    { "value replies cut", { 108 }, block(5, 6), none, faults(0, 0, {}, {}, { 0x02 }), true, {},
        "11:X 02:0", 1 },
    // A 16-byte reply of the value 0 is the very bytes of its query.
    { "value replies of 16 bytes", { 108 }, block(0, 6, 2, 0), none,
        with([](SimFaults& f) { f.valueReplyLength = 16; }), true, { 0, 6 },
        "11:X 02:0 02:12 02:2 11:Y 02:0 02:12" },
    { "every reply sent twice", { 108, 109 }, block(5, 7, 2, 8), block(7, 9),
        with([](SimFaults& f) { f.twice << 0x20 << 0x02; }), true, { 5, 8, 7, 9 }, "" },
    { "unasked messages, tempo beats, clock", { 108 }, block(5, 6), none, with([](SimFaults& f) {
         f.unaskedMs = 2;
         f.tempoMs = 1;
         f.noiseMs = 1;
     }),
        true, { 5, 6 }, "" },
    { "replies late within the limit", { 108 }, block(5, 6), none, with([](SimFaults& f) {
         f.lateMs = 800;
         f.lateEvery = kPreset;
     }),
        true, { 5, 6 }, "" },
    // From a unit that never announces its preset, a grid reply may be the preset before's
    // until a later one shows otherwise.
    { "another grid first, from a unit that does not announce", { 108 }, block(5, 6), none,
        with([](SimFaults& f) {
            f.presetNotices = false;
            f.replaceReplies[0x20] = { gridReply(100), gridReply(106) };
        }),
        true, { 5, 6 }, "", 1 },
};

} // namespace

class TestAxeFxUnit : public QObject {
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

    // The preset fill loses replies 192 and 384, whichever queries they answer. An unanswered
    // query leaves its entry empty and sends no percentage; the result tells only whether the
    // last query was answered.
    void fills()
    {
        QSignalSpy cabSpy(axefx.get(), SIGNAL(CabNamePercent(int)));
        QSignalSpy presetSpy(axefx.get(), SIGNAL(PresetNamePercent(int)));
        QVERIFY(axefx->FillCabNames());
        QCOMPARE(axefx->cabNames, namesOf(sim->bank()));
        QCOMPARE(presetSpy.size(), 0);
        SimFaults faults;
        faults.dropEvery = 192;
        sim->setFaults(faults);
        sim->clearRequests();
        QVERIFY(axefx->FillPresetNames());
        QVector<QString> expected = namesOf(sim->bank(), false);
        int lost = 0;
        for (const QByteArray& request : { sim->requests().at(191), sim->requests().at(383) }) {
            if (quint8(request.at(5)) == 0x15) {
                expected[quint8(request.at(6)) << 7 | quint8(request.at(7))].clear();
                ++lost;
            }
        }
        QCOMPARE(axefx->presetNames, expected);
        const QList<int> cab = percents(cabSpy), preset = percents(presetSpy);
        QCOMPARE(cab.mid(0, 3) << cab.size() << cab.last(), (QList<int> { 0, 0, 1, 232, 100 }));
        QCOMPARE(preset.mid(0, 1) << preset.size() << preset.last(),
            (QList<int> { 0, 384 - lost, 100 }));
    }

    // Names in replies sent twice are read, and damaged replies (a cut one fails the same
    // checksum) are not, though the unit is not silent: an empty cab slot and the names around
    // it, and the first presets with the first empty one. The other forms of reply the scanner's
    // tests read.
    void nameForms_data()
    {
        QTest::addColumn<SimFaults>("faults");
        QTest::addColumn<bool>("cabsRead");
        QTest::addColumn<bool>("presetsRead");
        QTest::newRow("cab name replies sent twice")
            << with([](SimFaults& f) { f.twice = { 0x12 }; }) << true << true;
        // Stored neither where it was asked for nor where the reply says; the link, which gets
        // back in step by a cab name, can then read nothing more.
        QTest::newRow("cab name replies naming another cab")
            << with([](SimFaults& f) { f.echoCabOffset = 2; }) << false << false;
        QTest::newRow("name replies damaged")
            << with([](SimFaults& f) { f.damaged << 0x12 << 0x15; }) << false << false;
    }
    void nameForms()
    {
        QFETCH(SimFaults, faults);
        QFETCH(bool, cabsRead);
        QFETCH(bool, presetsRead);
        sim->setFaults(faults);
        const SimBank bank = sim->bank();
        const int emptyCab = bank.cabNames.indexOf(QString());
        QVERIFY(emptyCab > 0);
        QList<int> presets { 0, 1 };
        for (int p = 0; p < bank.presets.size() && presets.size() < 3; ++p) {
            if (bank.presets.at(p).name.isEmpty())
                presets << p;
        }
        const QVector<QString> cabNames = namesOf(bank), presetNames = namesOf(bank, false);
        for (int cab : { emptyCab - 1, emptyCab, emptyCab + 1 }) {
            QCOMPARE(axefx->ReadCabName(cab), cabsRead);
            QCOMPARE(axefx->cabNames.at(cab), cabsRead ? cabNames.at(cab) : QString());
        }
        if (!cabsRead)
            QCOMPARE(axefx->cabNames, QVector<QString>(232));
        for (int p : presets) {
            QCOMPARE(axefx->ReadPresetName(p), presetsRead);
            QCOMPARE(axefx->presetNames.at(p), presetsRead ? presetNames.at(p) : QString());
        }
        // A unit whose replies come damaged is not silent.
        QCOMPARE(axefx->lastFailureDamaged(), !presetsRead && !faults.echoCabOffset);
    }

    void stop()
    {
        axefx->requestStop();
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
        QCOMPARE(axefx->cabNames, namesOf(sim->bank()).mid(0, 24) + QVector<QString>(232 - 24));
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
        const auto& [name, blocks, b1, b2, faults, result, cabs, trail, failures] = kCabRows[row];
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
        // A preset read before, so that the link knows how the unit confirms a change.
        sim->setFaults(with([&](SimFaults& f) { f.presetNotices = faults.presetNotices; }));
        QList<int> out;
        axefx->GetPresetCabs(4, out);
        sim->clearRequests();
        sim->setFaults(faults);

        out = { 42 };
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(axefx->GetPresetCabs(kPreset, out), result);
        QVERIFY(clock.elapsed() >= faults.lateMs);
        QCOMPARE(out, QList<int> { 42 } + cabs);
        QCOMPARE(sim->bank().currentPreset, kPreset);
        if (*trail)
            QCOMPARE(requestTrail(sim->requests()), "3C 20 " + QString(trail));
        // What the scan learns beside the answer, which is the same for a preset without
        // cabinet blocks and for one that went unanswered; and that preset 4, with the unit well
        // again, reads as the bank has it.
        QCOMPARE(axefx->readFailures(), failures);
        // A reading withdrawn was answered all the same, and the link is back in step.
        const int unanswered = faults.presetNotices ? failures : 0;
        QCOMPARE(axefx->unansweredInARow(), unanswered);
        // A reply left owed: the next reading first brings the link in step.
        sim->setFaults(ok);
        sim->clearRequests();
        out.clear();
        axefx->GetPresetCabs(4, out);
        QCOMPARE(out, sim->bank().expectedCabs(4));
        QCOMPARE(axefx->readFailures(), failures);
        QCOMPARE(requestTrail(sim->requests()).startsWith("3C 12 20"), unanswered > 0);
    }

    // A request that never left cannot be answered; only the grid query awaited a reply.
    void noClientToSendWith()
    {
        axefx->midiOut.destroy();
        QList<int> out;
        QVERIFY(!axefx->GetPresetCabs(kPreset, out));
        QCOMPARE(axefx->readFailures(), 2);
        QCOMPARE(axefx->unansweredInARow(), 1);
    }

    // Infos and texts of a parameter the unit knows.
    void parameters()
    {
        const QStringList strings { "MONO", "STEREO", "DUAL MONO" };
        sim->editBank([&](SimBank& bank) {
            bank.params = { SimParam { 106, 3, 0x7F0, { 1.0f, -2.5f, 0.0f, 0.5f }, strings } };
        });
        param_infos infos;
        QVERIFY(axefx->AskForParameterInfos(106, 3, &infos));
        QCOMPARE(QVector<float>({ float(infos.flags), infos.wordAsFloat(1), infos.wordAsFloat(3) }),
            QVector<float>({ 0xEF, -2.5f, 0.5f }));
        QStringList list { "kept" };
        QVERIFY(axefx->AskForParameterStrings(106, 3, list));
        QCOMPARE(list, QStringList { "kept" } + strings);
    }

private:
    std::unique_ptr<AxeFxSim> sim;
    std::unique_ptr<AxeFX> axefx;
};

QTEST_GUILESS_MAIN(TestAxeFxUnit)
#include "tst_axefxcatalogue.moc"
