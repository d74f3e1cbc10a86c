// The simulator's bank files: a good one read field by field and written back, and a bad one
// refused with the place of the fault.
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
                  "cab2": { "x": { "cab": -3 } } } ],
            "cabinets": ["F one", "F two"],
            "parameters": [ { "block": 108, "param": 12, "range": [0, 3, 1, 0.5],
                              "strings": ["MONO", "DUAL"] } ] })";
        SimBank bank, copy;
        QString error;
        QVERIFY2(SimBank::fromJson(json, &bank, &error), qPrintable(error));
        QCOMPARE(bank.presets.size() + bank.cabNames.size(), 768 + 1203);
        QCOMPARE(int(bank.displayOffset) + bank.currentPreset, 3);
        const SimPreset& p = bank.presets[700];
        QCOMPARE(
            bank.presets[0].name + p.name + bank.cabNames[1], QStringLiteral("First Two F two"));
        QCOMPARE(p.grid[3], quint16(109));
        QCOMPARE(p.cabBlocks[0].y, (SimCabSetting { 5, 2, 1200 }));
        QVERIFY(p.cabBlocks[0].ySelected);
        QCOMPARE(p.cabBlocks[1].x, (SimCabSetting { -3, 1, 0 }));
        QCOMPARE(bank.params.value(0).words[3], 0.5f);
        QCOMPARE(bank.params.value(0).strings, (QStringList { "MONO", "DUAL" }));
        QVERIFY(SimBank::fromJson(bank.toJson(), &copy, &error) && copy == bank);
        QVERIFY(!SimBank::fromJson(R"({"presets": [{"grid": [16384]}]})", &bank, &error));
        QCOMPARE(error, QString("presets[0].grid[0]: expected a whole number from 0 to 16383"));
    }
};

QTEST_GUILESS_MAIN(TestSimBank)
#include "tst_simbank.moc"
