#include "simbank.h"
#include "simbuiltinbank.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(SimCabBlock)

class TestSimBank : public QObject {
    Q_OBJECT
private slots:
    void builtInLayouts_data();
    void builtInLayouts();
    void builtInHoldsEveryCase();
    void builtInIsDeterministic();
    void expectedCabsFollowsTheScan_data();
    void expectedCabsFollowsTheScan();
    void loadsGoodFile();
    void roundTripsThroughJson();
    void rejectsBadBanks_data();
    void rejectsBadBanks();
    void reportsUnreadableFile();
};

void TestSimBank::builtInLayouts_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("presets");
    QTest::addColumn<int>("cabs");
    QTest::addColumn<int>("factory");
    QTest::newRow("model 3") << 3 << 384 << 232 << 132;
    QTest::newRow("model 6") << 6 << 768 << 1203 << 179;
}

void TestSimBank::builtInLayouts()
{
    QFETCH(int, model);
    QFETCH(int, presets);
    QFETCH(int, cabs);
    QFETCH(int, factory);

    const SimBank bank = SimBank::builtIn(quint8(model));
    QCOMPARE(bank.presets.size(), presets);
    QCOMPARE(bank.cabNames.size(), cabs);
    QCOMPARE(bank.factoryCabCount(), factory);
    for (int i = 0; i < factory; ++i)
        QVERIFY(!bank.cabNames.at(i).isEmpty());
    int emptyUser = 0;
    for (int i = factory; i < cabs; ++i)
        emptyUser += bank.cabNames.at(i).isEmpty() ? 1 : 0;
    QVERIFY(emptyUser > 0 && emptyUser < cabs - factory);
    for (int p = 0; p < presets; ++p) {
        for (int c : bank.expectedCabs(p))
            QVERIFY(c >= 0 && c < cabs);
    }
}

void TestSimBank::builtInHoldsEveryCase()
{
    using B = SimBuiltInBank;
    const SimBank bank = SimBank::builtIn(3);
    const auto preset = [&](int p) { return bank.presets.at(p); };

    QVERIFY(!preset(B::kNoCabPreset).holdsBlock(108) && !preset(B::kNoCabPreset).holdsBlock(109));
    QVERIFY(preset(B::kNoCabPreset).grid[0] != 0);
    QCOMPARE(preset(B::kSameXYPreset).cabBlocks[0].x, preset(B::kSameXYPreset).cabBlocks[0].y);
    QVERIFY(!(
        preset(B::kXDiffersYPreset).cabBlocks[0].x == preset(B::kXDiffersYPreset).cabBlocks[0].y));
    QVERIFY(preset(B::kSecondCabPreset).cabBlocks[0].x.mode >= 2);
    QVERIFY(preset(B::kBothBlocksPreset).holdsBlock(108)
        && preset(B::kBothBlocksPreset).holdsBlock(109));
    QVERIFY(!preset(B::kBlock2OnlyPreset).holdsBlock(108)
        && preset(B::kBlock2OnlyPreset).holdsBlock(109));
    for (int c : bank.expectedCabs(B::kUserCabPreset))
        QVERIFY(c >= bank.factoryCabCount());
    QVERIFY(preset(B::kEmptyPreset).name.isEmpty());
    QVERIFY(preset(B::kEmptyPreset).grid == decltype(SimPreset::grid) {});

    const QString blanks = preset(B::kBlanksNamePreset).name;
    QVERIFY(blanks != blanks.simplified());
    QVERIFY(blanks.simplified().contains(' '));
    QVERIFY(preset(B::kSeparatorsNamePreset).name.contains(';'));
    QVERIFY(preset(B::kSeparatorsNamePreset).name.contains(','));
    QVERIFY(preset(B::kQuoteNamePreset).name.contains('"'));

    QHash<int, int> uses;
    for (int p = 0; p < bank.presetCount(); ++p) {
        for (int c : bank.expectedCabs(p))
            ++uses[c];
    }
    QVERIFY(std::any_of(uses.cbegin(), uses.cend(), [](int n) { return n > 10; }));
    const auto userNames = bank.cabNames.mid(bank.factoryCabCount());
    QVERIFY(std::any_of(userNames.cbegin(), userNames.cend(),
        [](const QString& n) { return n.contains(';') && n.contains(','); }));
    QVERIFY(std::any_of(
        userNames.cbegin(), userNames.cend(), [](const QString& n) { return n.contains('"'); }));
    QVERIFY(std::any_of(userNames.cbegin(), userNames.cend(),
        [](const QString& n) { return !n.isEmpty() && n != n.simplified(); }));
}

void TestSimBank::builtInIsDeterministic()
{
    QVERIFY(SimBank::builtIn(6) == SimBank::builtIn(6));
    QVERIFY(!(SimBank::builtIn(3) == SimBank::builtIn(6)));
}

void TestSimBank::expectedCabsFollowsTheScan_data()
{
    QTest::addColumn<bool>("block1");
    QTest::addColumn<bool>("block2");
    QTest::addColumn<SimCabBlock>("cab1");
    QTest::addColumn<SimCabBlock>("cab2");
    QTest::addColumn<QList<int>>("expected");

    const auto block = [](SimCabSetting x, SimCabSetting y) { return SimCabBlock { x, y, false }; };
    const SimCabBlock none;
    QTest::newRow("no cabinet block")
        << false << false << block({ 5, 1, 0 }, { 5, 1, 0 }) << none << QList<int>();
    QTest::newRow("X and Y the same, listed twice")
        << true << false << block({ 5, 1, 0 }, { 5, 1, 0 }) << none << QList<int> { 5, 5 };
    QTest::newRow("second cabinet equal to first")
        << true << false << block({ 5, 2, 5 }, { 6, 1, 8 }) << none << QList<int> { 5, 6 };
    QTest::newRow("mode 1 ignores second cabinet")
        << true << false << block({ 5, 1, 8 }, { 6, 3, 9 }) << none << QList<int> { 5, 6, 9 };
    QTest::newRow("block 2 only new numbers")
        << true << true << block({ 5, 1, 0 }, { 7, 1, 0 }) << block({ 7, 1, 0 }, { 9, 1, 0 })
        << QList<int> { 5, 7, 9 };
    QTest::newRow("block 2 alone, 9 and 9")
        << false << true << none << block({ 9, 1, 0 }, { 9, 1, 0 }) << QList<int> { 9 };
    QTest::newRow("negative kept, count left out")
        << true << false << block({ -2, 1, 0 }, { 232, 1, 0 }) << none << QList<int> { -2 };
}

void TestSimBank::expectedCabsFollowsTheScan()
{
    QFETCH(bool, block1);
    QFETCH(bool, block2);
    QFETCH(SimCabBlock, cab1);
    QFETCH(SimCabBlock, cab2);
    QFETCH(QList<int>, expected);

    SimPreset p;
    p.grid[3] = block1 ? SimBank::kCabBlock1 : 0;
    p.grid[9] = block2 ? SimBank::kCabBlock2 : 0;
    p.cabBlocks[0] = cab1;
    p.cabBlocks[1] = cab2;
    SimBank bank = SimBank::empty(3);
    bank.presets.replace(0, p);
    QCOMPARE(bank.expectedCabs(0), expected);
}

static const char kGoodBank[] = R"({
    "model": 6,
    "displayOffset": 1,
    "currentPreset": 2,
    "presets": [
        { "name": "First" },
        { "number": 700, "name": "  Two  Words ", "grid": [106, 108, 0, 109],
          "cab1": { "x": { "cab": 5, "mode": 2, "second": 1200 }, "selected": "y" },
          "cab2": { "x": { "cab": -3 }, "y": { "cab": 9 } } }
    ],
    "cabinets": ["F one", "F two", ""],
    "parameters": [ { "block": 108, "param": 12, "flags": 272, "range": [0, 3, 1, 0.5],
                      "strings": ["MONO", "DUAL"] } ]
})";

void TestSimBank::loadsGoodFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("bank.json");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kGoodBank);
    file.close();

    SimBank bank;
    QString error;
    QVERIFY2(SimBank::load(path, &bank, &error), qPrintable(error));
    QCOMPARE(int(bank.model), 6);
    QCOMPARE(bank.presets.size(), 768);
    QCOMPARE(bank.cabNames.size(), 1203);
    QCOMPARE(int(bank.displayOffset), 1);
    QCOMPARE(bank.currentPreset, 2);
    QCOMPARE(bank.presets[0].name, QStringLiteral("First"));
    QCOMPARE(bank.presets[1].name, QString());
    const SimPreset& p = bank.presets[700];
    QCOMPARE(p.name, QStringLiteral("  Two  Words "));
    QCOMPARE(p.grid[1], quint16(108));
    QCOMPARE(p.grid[4], quint16(0));
    QCOMPARE(p.cabBlocks[0].x, (SimCabSetting { 5, 2, 1200 }));
    QCOMPARE(p.cabBlocks[0].y, p.cabBlocks[0].x);
    QVERIFY(p.cabBlocks[0].ySelected);
    QCOMPARE(p.cabBlocks[1].x, (SimCabSetting { -3, 1, 0 }));
    QCOMPARE(p.cabBlocks[1].y, (SimCabSetting { 9, 1, 0 }));
    QCOMPARE(bank.expectedCabs(700), (QList<int> { 5, 1200, 5, 1200, -3, 9 }));
    QCOMPARE(bank.cabNames[1], QStringLiteral("F two"));
    QCOMPARE(bank.cabNames[1202], QString());
    QCOMPARE(bank.params.size(), 1);
    QCOMPARE(bank.params[0].flags, quint16(272));
    QCOMPARE(bank.params[0].words[3], 0.5f);
    QCOMPARE(bank.params[0].strings, (QStringList { "MONO", "DUAL" }));
}

void TestSimBank::roundTripsThroughJson()
{
    for (quint8 model : { 3, 6 }) {
        SimBank original = SimBank::builtIn(model);
        original.currentPreset = 11;
        original.presets[4].cabBlocks[1].ySelected = true;
        SimBank copy;
        QString error;
        QVERIFY2(SimBank::fromJson(original.toJson(), &copy, &error), qPrintable(error));
        QVERIFY(copy == original);
    }
}

void TestSimBank::rejectsBadBanks_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("error");

    QTest::newRow("not JSON") << QByteArray("{ \"model\": 3, ") << "not valid JSON at offset";
    QTest::newRow("empty file") << QByteArray() << "not valid JSON";
    QTest::newRow("array") << QByteArray("[]") << "a bank is a JSON object";
    QTest::newRow("unknown key") << QByteArray(R"({"preset": []})") << "preset: unknown entry";
    QTest::newRow("model 0") << QByteArray(R"({"model": 0})")
                             << "bank.model: expected a whole number from 1 to 126";
    QTest::newRow("model as text") << QByteArray(R"({"model": "3"})") << "bank.model: expected";
    QTest::newRow("fractional offset")
        << QByteArray(R"({"displayOffset": 0.5})") << "bank.displayOffset";
    QTest::newRow("current preset beyond layout")
        << QByteArray(R"({"currentPreset": 384})") << "bank.currentPreset";
    QTest::newRow("preset number beyond layout")
        << QByteArray(R"({"presets": [{"number": 384}]})")
        << "presets[0].number: expected a whole number from 0 to 383";
    QTest::newRow("preset given twice") << QByteArray(R"({"presets": [{"number": 1}, {}]})")
                                        << "presets[1].number: preset 1 given twice";
    QTest::newRow("8-bit name") << QByteArray(R"({"presets": [{"name": "Caf\u00e9"}]})")
                                << "presets[0].name: character U+00e9";
    QTest::newRow("NUL in name") << QByteArray(R"({"cabinets": ["a\u0000b"]})")
                                 << "cabinets[0]: character U+0000";
    QTest::newRow("name as number")
        << QByteArray(R"({"cabinets": [7]})") << "cabinets[0]: expected a string";
    QTest::newRow("too many cabinets")
        << QByteArray("{\"cabinets\": [" + QByteArray("\"\",").repeated(232) + "\"\"]}")
        << "cabinets: at most 232 entries, found 233";
    QTest::newRow("grid of 49 cells")
        << QByteArray("{\"presets\": [{\"grid\": [" + QByteArray("0,").repeated(48) + "0]}]}")
        << "presets[0].grid: at most 48";
    QTest::newRow("block ID beyond 14 bits")
        << QByteArray(R"({"presets": [{"grid": [16384]}]})")
        << "presets[0].grid[0]: expected a whole number from 0 to 16383";
    QTest::newRow("cabinet beyond 16 bits")
        << QByteArray(R"({"presets": [{"cab1": {"x": {"cab": 40000}}}]})")
        << "presets[0].cab1.x.cab";
    QTest::newRow("bad selection") << QByteArray(R"({"presets": [{"cab2": {"selected": "z"}}]})")
                                   << "presets[0].cab2.selected: expected \"x\" or \"y\"";
    QTest::newRow("parameter without block")
        << QByteArray(R"({"parameters": [{"param": 1}]})") << "parameters[0].block";
    QTest::newRow("parameter given twice")
        << QByteArray(R"({"parameters": [{"block": 1, "param": 1}, {"block": 1, "param": 1}]})")
        << "parameters[1]: block 1 parameter 1 given twice";
    QTest::newRow("range of five words")
        << QByteArray(R"({"parameters": [{"block": 1, "param": 1, "range": [1,2,3,4,5]}]})")
        << "parameters[0].range: at most 4";
}

void TestSimBank::rejectsBadBanks()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, error);

    SimBank bank = SimBank::builtIn(3);
    const SimBank before = bank;
    QString reason;
    QVERIFY(!SimBank::fromJson(json, &bank, &reason));
    QVERIFY2(reason.startsWith(error), qPrintable(reason));
    QVERIFY(bank == before);
}

void TestSimBank::reportsUnreadableFile()
{
    QTemporaryDir dir;
    SimBank bank;
    QString error;
    QVERIFY(!SimBank::load(dir.filePath("missing.json"), &bank, &error));
    QVERIFY2(error.startsWith(dir.filePath("missing.json") + ": "), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestSimBank)
#include "tst_simbank.moc"
