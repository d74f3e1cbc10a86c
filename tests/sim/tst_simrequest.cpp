// SPDX-License-Identifier: MIT
// The simulator: its request parser refuses every cut and every changed byte of a request
// (tst_axefxreply reads every request's fields), and its bank files, a good one read and
// written back and a bad one refused with the place of the fault.
#include "simbank.h"
#include "simrequest.h"

#include "qrtmididata.h"

#include <QtTest>

class TestSim : public QObject {
    Q_OBJECT

private slots:
    // The checksum or the 7-bit rule catches every cut and every changed byte of a request.
    void damagedRequests()
    {
        const QByteArray request = QByteArray::fromHex("F000017403026C000C000000000064F7");
        for (int i = 0; i < request.size(); ++i) {
            QVERIFY(!SimRequest::parse(request.left(i)).isRequest());
            for (quint8 b : { 0x00, 0x01, 0x7F, 0x80, 0xF7 }) {
                QByteArray changed = request;
                changed[i] = char(b);
                QVERIFY2(changed == request || !SimRequest::parse(changed).isRequest(),
                    qPrintable(QRtMidiData(changed).toString(' ')));
            }
        }
    }

    // A bank file read into its fields and written back; the fuzz target reads any text.
    void bankFile()
    {
        const QByteArray json = R"({ "model": 6, "currentPreset": 2,
            "presets": [ { "number": 700, "name": " Two ", "grid": [106, 108, 0, 109],
                  "cab1": { "x": { "cab": 5, "mode": 2, "second": 1200 }, "selected": "y" } } ],
            "cabinets": ["F one", "F two"], "parameters": [ { "block": 108, "param": 12,
                "range": [0, 3, 1, 0.5], "strings": ["MONO", "DUAL"] } ] })";
        SimBank bank, copy;
        QString error;
        QVERIFY2(SimBank::fromJson(json, &bank, &error), qPrintable(error));
        QCOMPARE(bank.presets.size() + bank.cabNames.size() + bank.currentPreset, 768 + 1203 + 2);
        const SimPreset& p = bank.presets[700];
        QCOMPARE(p.name + bank.cabNames[1], QStringLiteral(" Two F two"));
        QCOMPARE(p.cabBlocks[0].y, (SimCabSetting { 5, 2, 1200 }));
        QVERIFY(p.cabBlocks[0].ySelected && p.grid[3] == 109);
        QCOMPARE(bank.params.value(0).strings, (QStringList { "MONO", "DUAL" }));
        QVERIFY(SimBank::fromJson(bank.toJson(), &copy, &error) && copy == bank);
        QVERIFY(!SimBank::fromJson(R"({"presets": [{"grid": [16384]}]})", &bank, &error));
        QCOMPARE(error, QString("presets[0].grid[0]: expected a whole number from 0 to 16383"));
    }
};

QTEST_GUILESS_MAIN(TestSim)
#include "tst_simrequest.moc"
