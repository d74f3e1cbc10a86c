// The simulated unit's answers byte for byte, what a program change and an X/Y select change,
// and the faults it shows on demand.
#include "simdevice.h"

#include "qrtmididata.h"

#include <QtTest>

Q_DECLARE_METATYPE(SimFaults)

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

QList<QByteArray> hexList(const char* texts)
{
    QList<QByteArray> list;
    for (const QByteArray& t : QByteArray(texts).split('|'))
        if (!t.isEmpty())
            list << QByteArray::fromHex(t);
    return list;
}

// A small hand-made state, so that each reply below can be written out by hand.
SimBank testBank()
{
    SimBank bank = SimBank::empty(3);
    bank.displayOffset = 1;
    bank.currentPreset = 5;
    SimPreset& p = bank.presets[5];
    p.name = QStringLiteral("Lead");
    p.grid[0] = 106;
    p.grid[1] = SimBank::kCabBlock1;
    p.grid[47] = SimBank::kCabBlock2;
    p.cabBlocks[0].x = { 5, 2, 7 };
    p.cabBlocks[0].y = { 9, 1, 0 };
    p.cabBlocks[1].x = p.cabBlocks[1].y = { -1, 1, 0 };
    bank.cabNames[200] = QStringLiteral("4x12 V30");
    bank.cabNames[5] = QStringLiteral("Five");
    bank.params.append(SimParam { 108, 12, 0x110, { 0, 3, 1, 1 }, { "MONO", "DUAL" } });
    return bank;
}

const char kCabValueX[] = "F0 00 01 74 03 02 6C 00 00 00 00 00 00 00 68 F7";

} // namespace

class TestSimDevice : public QObject {
    Q_OBJECT

private slots:
    void answers_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<SimFaults>("faults");
        QTest::addColumn<QList<QByteArray>>("replies");
        auto row = [](const char* name, const char* request, const char* replies,
                       const SimFaults& f = {}) {
            QTest::newRow(name) << hex(request) << f << hexList(replies);
        };
        row("model query", "F0 00 01 74 7F 00 7A F7", "F0 00 01 74 03 64 0A 03 6B F7");
        row("display offset 1", "F0 00 01 74 03 35 7E 05 48 F7",
            "F0 00 01 74 03 35 7E 05 01 00 00 49 F7");
        row("cabinet in X", kCabValueX, "F0 00 01 74 03 02 6C 00 00 00 05 00 00 00 00 6D F7");
        row("negative cabinet, three value bytes",
            "F0 00 01 74 03 02 6D 00 00 00 00 00 00 00 69 F7",
            "F0 00 01 74 03 02 6D 00 00 00 7F 7F 03 00 00 6A F7");
        row("cabinet 200 name", "F0 00 01 74 03 12 48 01 5D F7",
            "F0 00 01 74 03 12 48 01 34 78 31 32 20 56 33 30 00 67 F7");
        row("cabinet 232 is beyond the layout", "F0 00 01 74 03 12 68 01 7D F7", "");
        row("preset 5 name", "F0 00 01 74 03 15 00 05 16 F7",
            "F0 00 01 74 03 15 00 05 4C 65 61 64 00 3A F7");
        row("parameter info", "F0 00 01 74 03 16 6C 00 0C 00 70 F7",
            "F0 00 01 74 03 16 10 02 0C 00 00 00 00 00 00 00 00 00 00 02 04 00 00 00 7C 03 00 00 "
            "00 7C 03 08 F7");
        row("parameter strings", "F0 00 01 74 03 28 6C 00 0C 00 4E F7",
            "F0 00 01 74 03 28 4D 4F 4E 4F 00 44 55 41 4C 00 31 F7");
        row("parameter without strings", "F0 00 01 74 03 28 6A 00 02 00 46 F7",
            "F0 00 01 74 03 28 2E F7");
        row("request for another model", "F0 00 01 74 04 20 21 F7", "");
        SimFaults f;
        f.unanswered = { 0x02 };
        row("unanswered function", kCabValueX, "", f);
        f = {};
        f.echoBlockOffset = 1;
        row("another block echoed", kCabValueX,
            "F0 00 01 74 03 02 6D 00 00 00 05 00 00 00 00 6C F7", f);
        f = {};
        f.echoParamOffset = 12;
        row("another parameter echoed", kCabValueX,
            "F0 00 01 74 03 02 6C 00 0C 00 05 00 00 00 00 61 F7", f);
        f = {};
        f.echoCabOffset = 2;
        row("cabinet 5 answered as 7", "F0 00 01 74 03 12 05 00 11 F7",
            "F0 00 01 74 03 12 07 00 46 69 76 65 00 2F F7", f);
        f = {};
        f.truncated = { 0x02 };
        row("cut, still closed by F7", kCabValueX, "F0 00 01 74 03 02 6C 00 F7", f);
        f = {};
        f.replaceReplies.insert(0x00, hexList("F8|F0 00 01 74 00 64 0A 03 68 F7"));
        row("reply replaced", "F0 00 01 74 7F 00 7A F7", "F8|F0 00 01 74 00 64 0A 03 68 F7", f);
    }
    void answers()
    {
        QFETCH(QByteArray, request);
        QFETCH(SimFaults, faults);
        QFETCH(QList<QByteArray>, replies);
        SimDevice device(testBank());
        const SimAnswer answer = device.answer(SimRequest::parse(request), faults);
        QCOMPARE(answer.replies, replies);
        QVERIFY(answer.notices.isEmpty());
    }

    void stateChanges()
    {
        SimDevice device(testBank());
        device.bank().currentPreset = 0;
        const SimAnswer toFive = device.answer(SimRequest::parse(hex("F0000174033C00053FF7")));
        QVERIFY(toFive.replies.isEmpty());
        QCOMPARE(toFive.notices, hexList("F0 00 01 74 03 14 00 05 17 F7"));
        QCOMPARE(device.bank().currentPreset, 5);
        QVERIFY(device.answer(SimRequest::parse(hex("F0000174033C031029F7"))).notices.isEmpty());
        QCOMPARE(device.bank().currentPreset, 5); // preset 400 is beyond the layout

        device.answer(SimRequest::parse(hex("F0 00 01 74 03 11 6C 00 01 01 7B F7")));
        QCOMPARE(device.answer(SimRequest::parse(hex(kCabValueX))).replies,
            hexList("F0 00 01 74 03 02 6C 00 00 00 09 00 00 00 00 61 F7"));

        const QByteArray grid
            = device.answer(SimRequest::parse(hex("F0 00 01 74 03 20 26 F7"))).replies.value(0);
        QCOMPARE(grid.size(), 200);
        QCOMPARE(grid.mid(6, 8), hex("6A 00 02 00 6C 00 02 00"));
        QCOMPARE(grid.mid(194), hex("6D 00 02 00 4F F7"));
    }
};

QTEST_GUILESS_MAIN(TestSimDevice)
#include "tst_simdevice.moc"
