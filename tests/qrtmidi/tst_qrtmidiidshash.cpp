// The manufacturer rows and the program-wide name table built from them.
#include "qrtmidiidshash.h"

#include <QSet>
#include <QtTest>

class TestQRtMidiIdsHash : public QObject {
    Q_OBJECT

private slots:
    void rowCounts();
    void groups_data();
    void groups();
    void keysAreManufacturerIds();
    void namedRows_data();
    void namedRows();
    void keysListedTwiceKeepTheirNames();
    void keysWithoutRow_data();
    void keysWithoutRow();
};

void TestQRtMidiIdsHash::rowCounts()
{
    QCOMPARE(kMidiIdArraySize, 304);
    QSet<int> keys;
    for (int i = 0; i < kMidiIdArraySize; ++i)
        keys.insert(kMidiIdArray[i].key);
    QCOMPARE(keys.size(), 299);
    QCOMPARE(MidiNameToIds.size(), 299);
}

void TestQRtMidiIdsHash::groups_data()
{
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("distinct");

    QTest::newRow("one-byte") << 0x01 << 0x7F << 76 << 71;
    QTest::newRow("00 01 xx") << 0x100 << 0x17B << 123 << 123;
    QTest::newRow("00 20 xx") << 0x2008 << 0x207F << 88 << 88;
    QTest::newRow("00 21 xx") << 0x2100 << 0x210D << 14 << 14;
    QTest::newRow("00 40 xx") << 0x4000 << 0x4003 << 3 << 3;
}

void TestQRtMidiIdsHash::groups()
{
    QFETCH(int, low);
    QFETCH(int, high);
    QFETCH(int, rows);
    QFETCH(int, distinct);

    int inGroup = 0;
    QSet<int> keys;
    bool sawLow = false, sawHigh = false;
    for (int i = 0; i < kMidiIdArraySize; ++i) {
        const int key = kMidiIdArray[i].key;
        if (key < low || key > high)
            continue;
        ++inGroup;
        keys.insert(key);
        sawLow |= key == low;
        sawHigh |= key == high;
    }
    QCOMPARE(inGroup, rows);
    QCOMPARE(keys.size(), distinct);
    QVERIFY(sawLow);
    QVERIFY(sawHigh);
}

// Every key must be something toInt() can produce from a manufacturer ID: one 7-bit byte,
// or 00 followed by two 7-bit bytes.
void TestQRtMidiIdsHash::keysAreManufacturerIds()
{
    for (int i = 0; i < kMidiIdArraySize; ++i) {
        const int key = kMidiIdArray[i].key;
        const bool oneByte = key >= 0x01 && key <= 0x7F;
        const bool threeBytes = key >= 0x100 && key <= 0x7F7F && (key & 0x80) == 0;
        QVERIFY2(oneByte || threeBytes, qPrintable(QString::number(key, 16)));
        QVERIFY2(qstrlen(kMidiIdArray[i].name) > 0, qPrintable(QString::number(key, 16)));
    }
}

void TestQRtMidiIdsHash::namedRows_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QByteArray>("name");

    QTest::newRow("0x41") << 0x41 << QByteArray("Roland");
    QTest::newRow("0x43") << 0x43 << QByteArray("Yamaha");
    QTest::newRow("00 01 74") << 0x174 << QByteArray("Fractal Audio");
    QTest::newRow("00 20 7A, quoted") << 0x207A << QByteArray("\"MIDI-hardware\" R.Sowa");
}

void TestQRtMidiIdsHash::namedRows()
{
    QFETCH(int, key);
    QFETCH(QByteArray, name);
    QCOMPARE(MidiNameToIds[key], name);
}

void TestQRtMidiIdsHash::keysListedTwiceKeepTheirNames()
{
    QCOMPARE(kMidiIdArray[0].key, 0x01);
    QCOMPARE(QByteArray(kMidiIdArray[0].name), QByteArray("Sequential Circuits"));
    const QRtMidiIdRow& last = kMidiIdArray[kMidiIdArraySize - 1];
    QCOMPARE(last.key, 0x4003);
    QCOMPARE(QByteArray(last.name), QByteArray("D&M Holdings Inc."));

    QHash<int, QByteArray> firstName;
    int repeated = 0;
    for (int i = 0; i < kMidiIdArraySize; ++i) {
        const QRtMidiIdRow& row = kMidiIdArray[i];
        if (!firstName.contains(row.key)) {
            firstName.insert(row.key, row.name);
            continue;
        }
        ++repeated;
        QVERIFY2(row.key >= 0x40 && row.key <= 0x44, qPrintable(QString::number(row.key, 16)));
        QCOMPARE(QByteArray(row.name), firstName.value(row.key));
    }
    QCOMPARE(repeated, 5);
    QCOMPARE(MidiNameToIds[0x40], QByteArray("Kawai"));
}

void TestQRtMidiIdsHash::keysWithoutRow_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("0x30") << 0x30;
    QTest::newRow("00 01 07") << 0x107;
    QTest::newRow("00 01 7C") << 0x17C;
    QTest::newRow("00 40 02") << 0x4002;
    QTest::newRow("negative") << -1;
}

void TestQRtMidiIdsHash::keysWithoutRow()
{
    QFETCH(int, key);
    QVERIFY(MidiNameToIds[key].isEmpty());
    QCOMPARE(MidiNameToIds.size(), 299);
}

QTEST_GUILESS_MAIN(TestQRtMidiIdsHash)
#include "tst_qrtmidiidshash.moc"
