// The simulator's bank files: a good one read field by field, a bank written and read back,
// and bad ones refused with the place of the fault, leaving the bank as it was.
#include "simbank.h"

#include <QtTest>

class TestSimBank : public QObject {
    Q_OBJECT

private slots:
    void readsGoodBank()
    {
        const QByteArray json = R"({ "model": 6, "displayOffset": 1, "currentPreset": 2,
            "presets": [ { "name": "First" },
                { "number": 700, "name": " Two ", "grid": [106, 108, 0, 109],
                  "cab1": { "x": { "cab": 5, "mode": 2, "second": 1200 }, "selected": "y" },
                  "cab2": { "x": { "cab": -3 }, "y": { "cab": 9 } } } ],
            "cabinets": ["F one", "F two"],
            "parameters": [ { "block": 108, "param": 12, "flags": 272, "range": [0, 3, 1, 0.5],
                              "strings": ["MONO", "DUAL"] } ] })";
        SimBank bank;
        QString error;
        QVERIFY2(SimBank::fromJson(json, &bank, &error), qPrintable(error));
        QCOMPARE(bank.presets.size(), 768);
        QCOMPARE(bank.cabNames.size(), 1203);
        QCOMPARE(int(bank.displayOffset), 1);
        QCOMPARE(bank.currentPreset, 2);
        QCOMPARE(bank.presets[0].name, QStringLiteral("First"));
        const SimPreset& p = bank.presets[700];
        QCOMPARE(p.name, QStringLiteral(" Two "));
        QCOMPARE(p.grid[3], quint16(109));
        QCOMPARE(p.cabBlocks[0].y, (SimCabSetting { 5, 2, 1200 }));
        QVERIFY(p.cabBlocks[0].ySelected);
        QCOMPARE(p.cabBlocks[1].x, (SimCabSetting { -3, 1, 0 }));
        QCOMPARE(bank.cabNames[1], QStringLiteral("F two"));
        QCOMPARE(bank.params.value(0).words[3], 0.5f);
        QCOMPARE(bank.params.value(0).strings, (QStringList { "MONO", "DUAL" }));

        SimBank copy;
        QVERIFY(SimBank::fromJson(bank.toJson(), &copy, &error));
        QVERIFY(copy == bank);
    }

    void refusesBadBanks_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");
        auto row = [](const char* name, const QByteArray& json, const char* error) {
            QTest::newRow(name) << json << QString(error);
        };
        row("not JSON", "{ \"model\": 3, ", "not valid JSON at offset");
        row("unknown key", R"({"preset": []})", "preset: unknown entry");
        row("preset beyond the layout", R"({"presets": [{"number": 384}]})",
            "presets[0].number: expected a whole number from 0 to 383");
        row("preset given twice", R"({"presets": [{"number": 1}, {}]})",
            "presets[1].number: preset 1 given twice");
        row("8-bit name", R"({"presets": [{"name": "Caf\u00e9"}]})",
            "presets[0].name: character U+00e9");
        row("too many cabinets", "{\"cabinets\": [" + QByteArray("\"\",").repeated(232) + "\"\"]}",
            "cabinets: at most 232 entries, found 233");
        row("block ID beyond 14 bits", R"({"presets": [{"grid": [16384]}]})",
            "presets[0].grid[0]: expected a whole number from 0 to 16383");
        row("bad selection", R"({"presets": [{"cab2": {"selected": "z"}}]})",
            "presets[0].cab2.selected: expected \"x\" or \"y\"");
        row("parameter given twice",
            R"({"parameters": [{"block": 1, "param": 1}, {"block": 1, "param": 1}]})",
            "parameters[1]: block 1 parameter 1 given twice");
    }
    void refusesBadBanks()
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
};

QTEST_GUILESS_MAIN(TestSimBank)
#include "tst_simbank.moc"
