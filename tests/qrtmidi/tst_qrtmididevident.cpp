// SPDX-License-Identifier: MIT
// Taking apart universal identity replies and rendering them as text; the manufacturer name
// table behind them.
#include "qrtmididevident.h"
#include "qrtmidiidshash.h"

#include <QtTest>

class TestQRtMidiDevIdent : public QObject {
    Q_OBJECT

private slots:
    // reply | text (empty: refused) | idPrefix | device ID
    void replies_data()
    {
        QTest::addColumn<QStringList>("row");
        for (const char* row :
            { "F0 7E 10 06 02 41 02 00 03 00 31 32 33 34 F7|Identity: 0200 0300 41 (Roland) "
              "1.2.3.4|F0 41 02 03|10",
                "F0 7E 7F 06 02 00 01 74 03 00 05 00 31 30 30 30 F7|Identity: 0300 0500 000174 "
                "(Fractal Audio) 1.0.0.0|F0 00 01 74 03 05|7F",
                "F0 7E 10 06 02 41 02 00 03 00 31 32 33|||",
                "F0 7E 10 06 02 00 01 74 03 00 05 00 31 30 30|||",
                "F0 7E 10 06 02 00 01 7C 03 00 05 00 31 30 30 39|Identity: 0300 0500 00017C "
                "(unknown 17C) 1.0.0.9|F0 00 01 7C 03 05|10",
                "F0 7E 10 06 02 F7 02 00 03 00 31 32 33 34 F7|Identity: 0200 0300 F7 (unknown) "
                "1.2.3.4|F0 F7 02 03|10",
                "F0 7E 7F 06 01 F7 00 00 00 00 00 00 00 00|||",
                "F0 7E 10 06 02 00 01 55 02 00 02 00 32 30 31 35 F7|Orvane BC, v2.0.1.5|F0 00 01 "
                "55 02 02|10",
                "F0 7E 10 06 02 00 01 55 03 00 02 00 31 32 33 34 F7|Identity: 0300 0200 000155 "
                "(Damage Control Engineering LLC) 1.2.3.4|F0 00 01 55 03 02|10",
                "F0 7E 10 06 02 00 01 55 02 00 02 01 31 32 33 34 F7|Identity: 0200 0201 000155 "
                "(Damage Control Engineering LLC) 1.2.3.4|F0 00 01 55 02 02|10" })
            QTest::newRow(row) << QString(row).split('|');
    }
    void replies()
    {
        QFETCH(QStringList, row);
        const QRtMidiDevIdent ident { QRtMidiData(row[0]) };
        const QByteArray prefix = QByteArray::fromHex(row[2].toLatin1());
        QCOMPARE(ident.isEmpty(), row[1].isEmpty());
        QCOMPARE(ident.toString(), row[1].isEmpty() ? "Identity:    (unknown) " : row[1]);
        QCOMPARE(ident.idPrefix.toByteArray(), prefix);
        QCOMPARE(int(ident.deviceId), row[3].toInt(nullptr, 16));
        QCOMPARE(ident.manufacturerIdLength, prefix.isEmpty() ? 1 : prefix.size() - 3);
    }

    // Family and product codes of a reply; a reply taken over another keeps only its own
    // fields; a cleared or empty identity reads as zeros and "unknown".
    void codesAndClearing()
    {
        QRtMidiDevIdent ident(QRtMidiData("F0 7E 10 06 02 41 01 02 7F 7E 31 32 33 E9 F7"));
        QCOMPARE(ident.getFamilyId() << 16 | ident.getProductId(), 0x201 << 16 | 0x7E7F);
        QCOMPARE(ident.getFamilyByte() << 8 | ident.getProductByte(), 0x017F);
        QCOMPARE(ident.getShortId() + ident.version, QString::fromLatin1("017F1.2.3.\xE9"));
        ident.fromIdentData(QRtMidiData("F0 7E 10 06 02 43 02 00"));
        QCOMPARE(ident.getManufactureName(), QString("Roland"));
        ident.fromIdentData(QRtMidiData("F0 7E 10 06 02 00 01 74 03 00 05 00 31 30 30 30 F7"));
        QCOMPARE(ident.getManufactureName(), QString("Fractal Audio"));
        ident.clear();
        QVERIFY(ident.isEmpty() && ident.idPrefix.isEmpty() && ident.version.isEmpty());
        QCOMPARE(ident.manufacturerIdLength << 8 | ident.deviceId, 1 << 8);
        QCOMPARE(ident.getFamilyId() | ident.getProductByte(), 0);
        QCOMPARE(ident.getShortId() + ident.getManufactureName(), QString("0000unknown"));
    }

    // Names by ID key at both ends of the list, a name listed twice or quoted, and no name for
    // a key without a row.
    void names()
    {
        const QHash<int, QByteArray> rows { { 0x01, "Sequential Circuits" }, { 0x40, "Kawai" },
            { 0x174, "Fractal Audio" }, { 0x207A, "\"MIDI-hardware\" R.Sowa" },
            { 0x4003, "D&M Holdings Inc." }, { 0x30, "" }, { 0x4002, "" } };
        for (auto row = rows.begin(); row != rows.end(); ++row)
            QCOMPARE(MidiNameToIds[row.key()], row.value());
    }
};

QTEST_GUILESS_MAIN(TestQRtMidiDevIdent)
#include "tst_qrtmididevident.moc"
