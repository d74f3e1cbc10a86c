#include "crossreference.h"
#include "fakecatalogue.h"

#include <QtTest>

using Rows = QVector<CrossReference::Row>;

class TestCrossReference : public QObject {
    Q_OBJECT

private slots:
    void init();
    void addPresetFillsBothVectors();
    void addPresetKeepsOutOfRangeNumbersOnlyWithThePreset();
    void viewsBeforeTheFirstScanAreEmpty();
    void presetView_data();
    void presetView();
    void cabView_data();
    void cabView();
    void fullExtentCoversTheWholeDevice();
    void headers();

private:
    FakeCatalogue names;
    UsageLists presetCabs;
    UsageLists cabPresets;
};

void TestCrossReference::init()
{
    names = FakeCatalogue();
    names.presetNames = { QStringLiteral("Plexi"), QStringLiteral("Clean"), QStringLiteral("Lead"),
        QStringLiteral("Empty") };
    names.cabNames = { QStringLiteral("4x12 Green"), QStringLiteral("2x12 Blue"),
        QStringLiteral("1x12 Open"), QString(), QStringLiteral("User IR") };
    presetCabs.clear();
    cabPresets.clear();
}

void TestCrossReference::addPresetFillsBothVectors()
{
    CrossReference::startScan(presetCabs, cabPresets, names.presets, names.cabs);
    CrossReference::addPreset(presetCabs, cabPresets, 0, { 0, 2 });
    CrossReference::addPreset(presetCabs, cabPresets, 2, { 2, 2, 4 });

    QCOMPARE(presetCabs, UsageLists({ { 0, 2 }, {}, { 2, 2, 4 }, {} }));
    // A preset naming the same cabinet twice is entered twice.
    QCOMPARE(cabPresets, UsageLists({ { 0 }, {}, { 0, 2, 2 }, {}, { 2 } }));
}

void TestCrossReference::addPresetKeepsOutOfRangeNumbersOnlyWithThePreset()
{
    CrossReference::startScan(presetCabs, cabPresets, names.presets, names.cabs);
    CrossReference::addPreset(presetCabs, cabPresets, 1, { -1, 5, 3 });
    CrossReference::addPreset(presetCabs, cabPresets, 4, { 1 });

    QCOMPARE(presetCabs.at(1), QList<int>({ -1, 5, 3 }));
    QCOMPARE(cabPresets, UsageLists({ {}, {}, {}, { 1 }, {} }));

    const Rows rows = CrossReference(names, presetCabs, cabPresets)
                          .rows(CrossReference::PresetCabs, CrossReference::Scanned);
    QCOMPARE(rows.at(1).entries, QStringList({ "C65535()", "C5()", "C3()" }));
}

void TestCrossReference::viewsBeforeTheFirstScanAreEmpty()
{
    const CrossReference table(names, presetCabs, cabPresets);
    QVERIFY(table.rows(CrossReference::PresetCabs, CrossReference::Scanned).isEmpty());
    QVERIFY(table.rows(CrossReference::CabPresets, CrossReference::Scanned).isEmpty());
}

void TestCrossReference::presetView_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QStringList>("keys");

    QTest::newRow("offset 0") << 0 << QStringList({ "0 Plexi", "1 Clean", "2 Lead", "3 Empty" });
    QTest::newRow("offset 1") << 1 << QStringList({ "1 Plexi", "2 Clean", "3 Lead", "4 Empty" });
}

void TestCrossReference::presetView()
{
    QFETCH(int, offset);
    QFETCH(QStringList, keys);
    names.offset = offset;
    CrossReference::startScan(presetCabs, cabPresets, names.presets, names.cabs);
    CrossReference::addPreset(presetCabs, cabPresets, 0, { 1, 0 });
    CrossReference::addPreset(presetCabs, cabPresets, 2, { 4 });

    const Rows rows = CrossReference(names, presetCabs, cabPresets)
                          .rows(CrossReference::PresetCabs, CrossReference::Scanned);
    QCOMPARE(rows.size(), 4);
    for (int i = 0; i < rows.size(); ++i)
        QCOMPARE(rows.at(i).key, keys.at(i));
    QCOMPARE(rows.at(0).entries, QStringList({ "C1(2x12 Blue)", "C0(4x12 Green)" }));
    QCOMPARE(rows.at(1).entries, QStringList());
    QCOMPARE(rows.at(2).entries, QStringList({ "C4(User IR)" }));
}

void TestCrossReference::cabView_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QStringList>("firstCabEntries");

    QTest::newRow("offset 0") << 0 << QStringList({ "0(Plexi)", "2(Lead)" });
    QTest::newRow("offset 1") << 1 << QStringList({ "1(Plexi)", "3(Lead)" });
}

void TestCrossReference::cabView()
{
    QFETCH(int, offset);
    QFETCH(QStringList, firstCabEntries);
    names.offset = offset;
    CrossReference::startScan(presetCabs, cabPresets, names.presets, names.cabs);
    CrossReference::addPreset(presetCabs, cabPresets, 0, { 0, 3 });
    CrossReference::addPreset(presetCabs, cabPresets, 2, { 0 });

    const Rows rows = CrossReference(names, presetCabs, cabPresets)
                          .rows(CrossReference::CabPresets, CrossReference::Scanned);
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows.at(0).key, QStringLiteral("C0(4x12 Green)"));
    QCOMPARE(rows.at(0).entries, firstCabEntries);
    // A cabinet that no preset uses still has its row; one without a name keeps its label.
    QCOMPARE(rows.at(1).key, QStringLiteral("C1(2x12 Blue)"));
    QCOMPARE(rows.at(1).entries, QStringList());
    QCOMPARE(rows.at(3).key, QStringLiteral("C3()"));
    QCOMPARE(rows.at(3).entries.size(), 1);
}

void TestCrossReference::fullExtentCoversTheWholeDevice()
{
    // As after an export started before the usage phase: names known, vectors short.
    presetCabs = { { 2 } };
    cabPresets = { {}, {}, { 0 } };
    const CrossReference table(names, presetCabs, cabPresets);

    const Rows presets = table.rows(CrossReference::PresetCabs, CrossReference::Full);
    QCOMPARE(presets.size(), names.presets);
    QCOMPARE(presets.at(0).entries, QStringList({ "C2(1x12 Open)" }));
    QCOMPARE(presets.at(3).key, QStringLiteral("3 Empty"));
    QVERIFY(presets.at(3).entries.isEmpty());

    const Rows cabs = table.rows(CrossReference::CabPresets, CrossReference::Full);
    QCOMPARE(cabs.size(), names.cabs);
    QCOMPARE(cabs.at(2).entries, QStringList({ "0(Plexi)" }));
    QCOMPARE(cabs.at(4).key, QStringLiteral("C4(User IR)"));
    QVERIFY(cabs.at(4).entries.isEmpty());
}

void TestCrossReference::headers()
{
    QCOMPARE(
        CrossReference::headers(CrossReference::PresetCabs), QStringList({ "Preset", "Cabs" }));
    QCOMPARE(
        CrossReference::headers(CrossReference::CabPresets), QStringList({ "Cab", "Presets" }));
}

QTEST_GUILESS_MAIN(TestCrossReference)
#include "tst_crossreference.moc"
