// The two cross-reference views: what the scan enters in the usage vectors, the rows shown
// with either display offset, and the whole device's rows when the vectors are short.
#include "crossreference.h"
#include "fakecatalogue.h"

#include <QtTest>

class TestCrossReference : public QObject {
    Q_OBJECT

private slots:
    void rows_data();
    void rows();
};

namespace {
enum Usage { Scanned, NothingYet, OnlyNames };
}

void TestCrossReference::rows_data()
{
    QTest::addColumn<int>("usage");
    QTest::addColumn<int>("view");
    QTest::addColumn<int>("extent");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QStringList>("rows");
    const int presets = CrossReference::PresetCabs, cabs = CrossReference::CabPresets;
    const int scanned = CrossReference::Scanned, full = CrossReference::Full;

    // Preset 0 uses cabinets 1 and 0, preset 2 uses 4 twice and -1, which is no cabinet.
    QTest::newRow("presets") << int(Scanned) << presets << scanned << 0
                             << QStringList { "0 Plexi|C1(2x12), C0(4x12)", "1 Clean|",
                                    "2 Lead|C4(IR), C4(IR), C65535()", "3 Empty|" };
    QTest::newRow("presets from 1") << int(Scanned) << presets << full << 1
                                    << QStringList { "1 Plexi|C1(2x12), C0(4x12)", "2 Clean|",
                                           "3 Lead|C4(IR), C4(IR), C65535()", "4 Empty|" };
    QTest::newRow("cabinets from 1") << int(Scanned) << cabs << scanned << 1
                                     << QStringList { "C0(4x12)|1(Plexi)", "C1(2x12)|1(Plexi)",
                                            "C2()|", "C3()|", "C4(IR)|3(Lead), 3(Lead)" };
    QTest::newRow("nothing scanned") << int(NothingYet) << cabs << scanned << 0 << QStringList();
    QTest::newRow("nothing scanned, whole device")
        << int(NothingYet) << presets << full << 0
        << QStringList { "0 Plexi|", "1 Clean|", "2 Lead|", "3 Empty|" };
    // An export from inside the name phases of a first scan: vectors shorter than the device.
    QTest::newRow("short vectors")
        << int(OnlyNames) << cabs << full << 0
        << QStringList { "C0(4x12)|", "C1(2x12)|0(Plexi)", "C2()|", "C3()|", "C4(IR)|" };
}

void TestCrossReference::rows()
{
    QFETCH(int, usage);
    QFETCH(int, view);
    QFETCH(int, extent);
    QFETCH(int, offset);
    QFETCH(QStringList, rows);
    FakeCatalogue names;
    names.offset = offset;
    names.presetNames = QStringList { "Plexi", "Clean", "Lead", "Empty" };
    names.cabNames = QStringList { "4x12", "2x12", QString(), QString(), "IR" };
    UsageLists presetCabs, cabPresets;
    if (usage == Scanned) {
        CrossReference::startScan(presetCabs, cabPresets, names.presets, names.cabs);
        CrossReference::addPreset(presetCabs, cabPresets, 0, { 1, 0 });
        CrossReference::addPreset(presetCabs, cabPresets, 2, { 4, 4, -1 });
        // Presets outside the vector are left out.
        CrossReference::addPreset(presetCabs, cabPresets, -1, { 2 });
        CrossReference::addPreset(presetCabs, cabPresets, names.presets, { 2 });
    } else if (usage == OnlyNames) {
        presetCabs = { { 1 } };
        cabPresets = { {}, { 0 } };
    }
    QStringList shown;
    const CrossReference tables(names, presetCabs, cabPresets);
    for (const CrossReference::Row& row :
        tables.rows(CrossReference::View(view), CrossReference::Extent(extent)))
        shown << row.key + '|' + row.entries.join(", ");
    QCOMPARE(shown, rows);
}

QTEST_GUILESS_MAIN(TestCrossReference)
#include "tst_crossreference.moc"
