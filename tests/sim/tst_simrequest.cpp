// The simulator: its request parser on messages that are no request, down to every cut and
// every changed byte of one (tst_axefxreply reads every request's fields), and its bank files,
// a good one read and written back and a bad one refused with the place of the fault.
#include "simbank.h"
#include "simrequest.h"

#include "qrtmididata.h"

#include <QtTest>

Q_DECLARE_METATYPE(SimRequest::Kind)

class TestSim : public QObject {
    Q_OBJECT

private slots:
    void others_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<SimRequest::Kind>("kind");
        auto row = [](const char* name, const char* hex, SimRequest::Kind kind) {
            QTest::newRow(name) << QByteArray::fromHex(hex) << kind;
        };
        row("no F7", "F0 00 01 74 03 20 26", SimRequest::NotSysEx);
        row("identity request", "F0 7E 7F 06 01 F7", SimRequest::Foreign);
        row("one byte too long", "F0 00 01 74 03 12 48 01 00 5D F7", SimRequest::Malformed);
        row("selector 02", "F0 00 01 74 03 11 6C 00 02 01 78 F7", SimRequest::Malformed);
        row("unknown function 7D", "F0 00 01 74 03 7D 7B F7", SimRequest::Unknown);
    }
    void others()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(SimRequest::Kind, kind);
        const SimRequest r = SimRequest::parse(bytes);
        QCOMPARE(r.kind, kind);
        QVERIFY(!r.problem.isEmpty());
    }

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
