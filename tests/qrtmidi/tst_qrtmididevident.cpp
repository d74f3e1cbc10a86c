// Taking apart universal identity replies and rendering them as text.
#include "qrtmididevident.h"

#include <QtTest>

class TestQRtMidiDevIdent : public QObject {
    Q_OBJECT

private slots:
    void oneByteReply();
    void threeByteReply();
    void lengthBoundaries_data();
    void lengthBoundaries();
    void deviceIds_data();
    void deviceIds();
    void headerFurtherInIsReadFromStart();
    void refusedReplyKeepsFields();
    void manufacturerNames_data();
    void manufacturerNames();
    void familyAndProductCodes();
    void emptyIdentity();
    void controllerText_data();
    void controllerText();
    void versionBytesAreCharacters();
};

void TestQRtMidiDevIdent::oneByteReply()
{
    const QRtMidiDevIdent ident(QRtMidiData("F0 7E 10 06 02 41 02 00 03 00 31 32 33 34 F7"));
    QVERIFY(!ident.isEmpty());
    QCOMPARE(ident.manufacturerId, QRtMidiData("41"));
    QCOMPARE(ident.manufacturerIdLength, 1);
    QCOMPARE(ident.deviceId, quint8(0x10));
    QCOMPARE(ident.familyCode, QRtMidiData("02 00"));
    QCOMPARE(ident.productCode, QRtMidiData("03 00"));
    QCOMPARE(ident.idPrefix, QRtMidiData("F0 41 02 03"));
    QCOMPARE(ident.version, QString("1.2.3.4"));
    QCOMPARE(ident.getManufactureName(), QString("Roland"));
    QCOMPARE(ident.toString(), QString("Identity: 0200 0300 41 (Roland) 1.2.3.4"));
    QCOMPARE(ident.getFamilyId(), quint16(2));
    QCOMPARE(ident.getProductId(), quint16(3));
    QCOMPARE(ident.getShortId(), QString("0203"));
}

void TestQRtMidiDevIdent::threeByteReply()
{
    const QRtMidiDevIdent ident(QRtMidiData("F0 7E 7F 06 02 00 01 74 03 00 05 00 31 30 30 30 F7"));
    QCOMPARE(ident.manufacturerId, QRtMidiData("00 01 74"));
    QCOMPARE(ident.manufacturerIdLength, 3);
    QCOMPARE(ident.deviceId, quint8(0x7F));
    QCOMPARE(ident.familyCode, QRtMidiData("03 00"));
    QCOMPARE(ident.productCode, QRtMidiData("05 00"));
    QCOMPARE(ident.idPrefix, QRtMidiData("F0 00 01 74 03 05"));
    QCOMPARE(ident.version, QString("1.0.0.0"));
    QCOMPARE(ident.toString(), QString("Identity: 0300 0500 000174 (Fractal Audio) 1.0.0.0"));
}

void TestQRtMidiDevIdent::lengthBoundaries_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("version");

    QTest::newRow("one-byte ID, 14 bytes, no F7")
        << "F0 7E 10 06 02 41 02 00 03 00 31 32 33 34" << true << "1.2.3.4";
    QTest::newRow("one-byte ID, 13 bytes")
        << "F0 7E 10 06 02 41 02 00 03 00 31 32 33" << false << "";
    QTest::newRow("three-byte ID, 16 bytes, no F7")
        << "F0 7E 10 06 02 00 01 74 03 00 05 00 31 30 30 39" << true << "1.0.0.9";
    QTest::newRow("three-byte ID, 15 bytes")
        << "F0 7E 10 06 02 00 01 74 03 00 05 00 31 30 30" << false << "";
    QTest::newRow("header only") << "F0 7E 10 06 02" << false << "";
    QTest::newRow("identity request") << "F0 7E 7F 06 01 F7" << false << "";
    QTest::newRow("other universal message")
        << "F0 7E 10 06 03 41 02 00 03 00 31 32 33 34 F7" << false << "";
}

void TestQRtMidiDevIdent::lengthBoundaries()
{
    QFETCH(QString, reply);
    QFETCH(bool, taken);
    QFETCH(QString, version);

    const QRtMidiDevIdent ident { QRtMidiData(reply) };
    QCOMPARE(!ident.isEmpty(), taken);
    QCOMPARE(ident.version, version);
}

void TestQRtMidiDevIdent::deviceIds_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("deviceId");

    QTest::newRow("all call 7F") << "F0 7E 7F 06 02 43 00 41 02 00 31 32 33 34 F7" << 0x7F;
    QTest::newRow("device 00") << "F0 7E 00 06 02 43 00 41 02 00 31 32 33 34 F7" << 0x00;
}

void TestQRtMidiDevIdent::deviceIds()
{
    QFETCH(QString, reply);
    QFETCH(int, deviceId);

    const QRtMidiDevIdent ident { QRtMidiData(reply) };
    QVERIFY(!ident.isEmpty());
    QCOMPARE(int(ident.deviceId), deviceId);
    QCOMPARE(ident.getManufactureName(), QString("Yamaha"));
}

// The header test searches the whole message, but the fields sit at fixed positions from
// byte 0, so a header one byte in shifts every field.
void TestQRtMidiDevIdent::headerFurtherInIsReadFromStart()
{
    const QRtMidiDevIdent ident(QRtMidiData("00 F0 7E 10 06 02 41 02 00 03 00 31 32 33 34 F7"));
    QVERIFY(!ident.isEmpty());
    QCOMPARE(ident.deviceId, quint8(0x7E));
    QCOMPARE(ident.manufacturerId, QRtMidiData("02"));
    QCOMPARE(ident.familyCode, QRtMidiData("41 02"));
    QCOMPARE(ident.productCode, QRtMidiData("00 03"));
    QCOMPARE(ident.version, QString(QLatin1String("\0.1.2.3", 7)));
}

void TestQRtMidiDevIdent::refusedReplyKeepsFields()
{
    QRtMidiDevIdent ident(QRtMidiData("F0 7E 10 06 02 41 02 00 03 00 31 32 33 34 F7"));
    ident.fromIdentData(QRtMidiData("F0 7E 10 06 02 43 02 00"));
    QCOMPARE(ident.toString(), QString("Identity: 0200 0300 41 (Roland) 1.2.3.4"));

    // Taking a reply overwrites without clearing: the length follows the new ID.
    ident.fromIdentData(QRtMidiData("F0 7E 10 06 02 00 01 74 03 00 05 00 31 30 30 30 F7"));
    QCOMPARE(ident.manufacturerIdLength, 3);
    QCOMPARE(ident.getManufactureName(), QString("Fractal Audio"));

    ident.clear();
    QVERIFY(ident.isEmpty());
    QCOMPARE(ident.manufacturerIdLength, 1);
    QCOMPARE(ident.deviceId, quint8(0));
    QVERIFY(ident.idPrefix.isEmpty());
    QVERIFY(ident.version.isEmpty());
}

void TestQRtMidiDevIdent::manufacturerNames_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("name");

    QTest::newRow("0x43") << "F0 7E 10 06 02 43 00 41 02 00 31 32 33 34 F7"
                          << "Yamaha";
    QTest::newRow("0x30, no row") << "F0 7E 10 06 02 30 00 41 02 00 31 32 33 34 F7"
                                  << "unknown 30";
    QTest::newRow("00 01 7C, no row") << "F0 7E 10 06 02 00 01 7C 03 00 05 00 31 30 30 30 F7"
                                      << "unknown 17C";
    QTest::newRow("00 01 74") << "F0 7E 10 06 02 00 01 74 03 00 05 00 31 30 30 30 F7"
                              << "Fractal Audio";
    QTest::newRow("0x40, listed twice") << "F0 7E 10 06 02 40 00 41 02 00 31 32 33 34 F7"
                                        << "Kawai";
    QTest::newRow("status byte as ID") << "F0 7E 10 06 02 F7 00 41 02 00 31 32 33 34 F7"
                                       << "unknown";
}

void TestQRtMidiDevIdent::manufacturerNames()
{
    QFETCH(QString, reply);
    QFETCH(QString, name);
    QCOMPARE(QRtMidiDevIdent(QRtMidiData(reply)).getManufactureName(), name);
}

void TestQRtMidiDevIdent::familyAndProductCodes()
{
    const QRtMidiDevIdent ident(QRtMidiData("F0 7E 10 06 02 41 01 02 7F 7F 31 32 33 34 F7"));
    QCOMPARE(ident.getFamilyId(), quint16(0x201));
    QCOMPARE(ident.getFamilyByte(), quint8(1));
    QCOMPARE(ident.getProductId(), quint16(0x7F7F));
    QCOMPARE(ident.getProductByte(), quint8(0x7F));
    QCOMPARE(ident.getShortId(), QString("017F"));
}

void TestQRtMidiDevIdent::emptyIdentity()
{
    const QRtMidiDevIdent ident;
    QVERIFY(ident.isEmpty());
    QCOMPARE(ident.manufacturerIdLength, 1);
    QCOMPARE(ident.getManufactureName(), QString("unknown"));
    QCOMPARE(ident.getFamilyId(), quint16(0));
    QCOMPARE(ident.getProductByte(), quint8(0));
    QCOMPARE(ident.getShortId(), QString("0000"));
    QCOMPARE(ident.toString(), QString("Identity:    (unknown) "));
}

void TestQRtMidiDevIdent::controllerText_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("text");

    QTest::newRow("controller") << "F0 7E 10 06 02 00 01 55 02 00 02 00 32 30 31 35 F7"
                                << "Orvane BC, v2.0.1.5";
    QTest::newRow("other family")
        << "F0 7E 10 06 02 00 01 55 03 00 02 00 31 32 33 34 F7"
        << "Identity: 0300 0200 000155 (Damage Control Engineering LLC) 1.2.3.4";
    QTest::newRow("other model")
        << "F0 7E 10 06 02 00 01 55 02 00 02 01 31 32 33 34 F7"
        << "Identity: 0200 0201 000155 (Damage Control Engineering LLC) 1.2.3.4";
}

void TestQRtMidiDevIdent::controllerText()
{
    QFETCH(QString, reply);
    QFETCH(QString, text);
    QCOMPARE(QRtMidiDevIdent(QRtMidiData(reply)).toString(), text);
}

// Revision bytes outside 7 bits still come out as one Latin-1 character each.
void TestQRtMidiDevIdent::versionBytesAreCharacters()
{
    const QRtMidiDevIdent ident(QRtMidiData("F0 7E 10 06 02 41 02 00 03 00 41 7A E9 30 F7"));
    QCOMPARE(ident.version, QString::fromUtf8("A.z.\xC3\xA9.0"));
}

QTEST_GUILESS_MAIN(TestQRtMidiDevIdent)
#include "tst_qrtmididevident.moc"
