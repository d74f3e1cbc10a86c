// The simulator's bank files: a good one read field by field, a bank written and read back,
// and a bad one refused with the place of the fault.
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

    // Refusals leave the bank alone and give a reason (the fuzz target checks that for any
    // text); the reason names the place of the fault.
    void refusalNamesThePlace()
    {
        SimBank bank;
        QString error;
        QVERIFY(!SimBank::fromJson(R"({"presets": [{"grid": [16384]}]})", &bank, &error));
        QCOMPARE(
            error, QStringLiteral("presets[0].grid[0]: expected a whole number from 0 to 16383"));
    }
};

QTEST_GUILESS_MAIN(TestSimBank)
#include "tst_simbank.moc"
