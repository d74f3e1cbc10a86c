// The manufacturer name table: names by ID key, and no name for a key without a row.
#include "qrtmidiidshash.h"

#include <QtTest>

class TestQRtMidiIdsHash : public QObject {
    Q_OBJECT

private slots:
    void names_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("first row") << 0x01 << QByteArray("Sequential Circuits");
        QTest::newRow("41") << 0x41 << QByteArray("Roland");
        QTest::newRow("40, listed twice") << 0x40 << QByteArray("Kawai");
        QTest::newRow("00 01 74") << 0x174 << QByteArray("Fractal Audio");
        QTest::newRow("00 20 7A, quoted") << 0x207A << QByteArray("\"MIDI-hardware\" R.Sowa");
        QTest::newRow("last row") << 0x4003 << QByteArray("D&M Holdings Inc.");
        QTest::newRow("30, no row") << 0x30 << QByteArray();
        QTest::newRow("00 40 02, no row") << 0x4002 << QByteArray();
    }
    void names()
    {
        QFETCH(int, key);
        QFETCH(QByteArray, name);
        QCOMPARE(MidiNameToIds[key], name);
    }
};

QTEST_GUILESS_MAIN(TestQRtMidiIdsHash)
#include "tst_qrtmidiidshash.moc"
