#include "simrequest.h"

#include "qrtmididata.h"

#include <QtTest>

Q_DECLARE_METATYPE(SimRequest::Kind)

class TestSimRequest : public QObject {
    Q_OBJECT
private slots:
    void parsesRequests_data();
    void parsesRequests();
    void rejectsMessages_data();
    void rejectsMessages();
    void describesWhatIsWrong();
    void survivesEveryPrefixAndByte();
};

static QByteArray hex(const char* text)
{
    return QRtMidiData(text).toByteArray();
}

void TestSimRequest::parsesRequests_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<SimRequest::Kind>("kind");
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("block");
    QTest::addColumn<int>("param");
    QTest::addColumn<bool>("y");

    QTest::newRow("model query") << hex("F0 00 01 74 7F 00 7A F7") << SimRequest::ModelQuery << 0x7F
                                 << 0 << 0 << 0 << false;
    QTest::newRow("display offset") << hex("F0 00 01 74 03 35 7E 05 48 F7")
                                    << SimRequest::DisplayOffsetQuery << 3 << 0 << 0 << 0 << false;
    QTest::newRow("program change 300, high first")
        << hex("F0 00 01 74 03 3C 02 2C 14 F7") << SimRequest::ProgramChange << 3 << 300 << 0 << 0
        << false;
    QTest::newRow("block grid") << hex("F0 00 01 74 03 20 26 F7") << SimRequest::BlockGridQuery << 3
                                << 0 << 0 << 0 << false;
    QTest::newRow("select X of 108") << hex("F0 00 01 74 03 11 6C 00 00 01 7A F7")
                                     << SimRequest::SelectXY << 3 << 0 << 108 << 0 << false;
    QTest::newRow("select Y of 108") << hex("F0 00 01 74 03 11 6C 00 01 01 7B F7")
                                     << SimRequest::SelectXY << 3 << 0 << 108 << 0 << true;
    QTest::newRow("value of 108/12") << hex("F0 00 01 74 03 02 6C 00 0C 00 00 00 00 00 64 F7")
                                     << SimRequest::ParamValueQuery << 3 << 0 << 108 << 12 << false;
    QTest::newRow("cabinet 200, low first")
        << hex("F0 00 01 74 03 12 48 01 5D F7") << SimRequest::CabNameQuery << 3 << 200 << 0 << 0
        << false;
    QTest::newRow("preset name 300") << hex("F0 00 01 74 03 15 02 2C 3D F7")
                                     << SimRequest::PresetNameQuery << 3 << 300 << 0 << 0 << false;
    QTest::newRow("info of 109/2, model 6")
        << hex("F0 00 01 74 06 16 6D 00 02 00 7A F7") << SimRequest::ParamInfoQuery << 6 << 0 << 109
        << 2 << false;
    QTest::newRow("strings of 300/129")
        << hex("F0 00 01 74 03 28 2C 02 01 01 00 F7") << SimRequest::ParamStringsQuery << 3 << 0
        << 300 << 129 << false;
}

void TestSimRequest::parsesRequests()
{
    QFETCH(QByteArray, bytes);
    QFETCH(SimRequest::Kind, kind);
    QFETCH(int, model);
    QFETCH(int, number);
    QFETCH(int, block);
    QFETCH(int, param);
    QFETCH(bool, y);

    const SimRequest r = SimRequest::parse(bytes);
    QCOMPARE(r.kind, kind);
    QVERIFY(r.isRequest());
    QCOMPARE(int(r.model), model);
    QCOMPARE(r.number, number);
    QCOMPARE(int(r.block), block);
    QCOMPARE(int(r.param), param);
    QCOMPARE(r.y, y);
}

void TestSimRequest::rejectsMessages_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<SimRequest::Kind>("kind");

    QTest::newRow("empty") << QByteArray() << SimRequest::NotSysEx;
    QTest::newRow("clock") << hex("F8") << SimRequest::NotSysEx;
    QTest::newRow("note on") << hex("90 40 7F") << SimRequest::NotSysEx;
    QTest::newRow("no F7") << hex("F0 00 01 74 03 20 26") << SimRequest::NotSysEx;
    QTest::newRow("F0 F7 only") << hex("F0 F7") << SimRequest::Foreign;
    QTest::newRow("identity request") << hex("F0 7E 7F 06 01 F7") << SimRequest::Foreign;
    QTest::newRow("header only") << hex("F0 00 01 74 03 F7") << SimRequest::Malformed;
    QTest::newRow("bad checksum") << hex("F0 00 01 74 03 20 27 F7") << SimRequest::Malformed;
    QTest::newRow("byte above 7F") << hex("F0 00 01 74 03 12 C8 01 5D F7") << SimRequest::Malformed;
    QTest::newRow("cabinet query one byte long")
        << hex("F0 00 01 74 03 12 48 01 00 5D F7") << SimRequest::Malformed;
    QTest::newRow("display offset without 7E 05")
        << hex("F0 00 01 74 03 35 7E 06 4B F7") << SimRequest::Malformed;
    QTest::newRow("select with selector 02")
        << hex("F0 00 01 74 03 11 6C 00 02 01 78 F7") << SimRequest::Malformed;
    QTest::newRow("select without trailing 01")
        << hex("F0 00 01 74 03 11 6C 00 00 00 7B F7") << SimRequest::Malformed;
    QTest::newRow("value query with padding 01")
        << hex("F0 00 01 74 03 02 6C 00 0C 00 01 00 00 00 65 F7") << SimRequest::Malformed;
    QTest::newRow("unknown function 7D") << hex("F0 00 01 74 03 7D 7B F7") << SimRequest::Unknown;
    QTest::newRow("tempo beat echoed back, no checksum")
        << hex("F0 00 01 74 03 10 F7") << SimRequest::Malformed;
}

void TestSimRequest::rejectsMessages()
{
    QFETCH(QByteArray, bytes);
    QFETCH(SimRequest::Kind, kind);

    const SimRequest r = SimRequest::parse(bytes);
    QCOMPARE(r.kind, kind);
    QVERIFY(!r.isRequest());
    QVERIFY(!r.problem.isEmpty());
}

void TestSimRequest::describesWhatIsWrong()
{
    QCOMPARE(SimRequest::parse(hex("F0 00 01 74 03 20 27 F7")).describe(),
        QStringLiteral("checksum 27, expected 26"));
    QCOMPARE(SimRequest::parse(hex("F0 00 01 74 03 12 48 01 00 5D F7")).describe(),
        QStringLiteral("function 12 takes 10 bytes, got 11"));
    QCOMPARE(SimRequest::parse(hex("F0 00 01 74 03 12 48 01 5D F7")).describe(),
        QStringLiteral("name of cabinet 200"));
}

// Every cut of a valid request and every single-byte change of it must parse without reading
// outside the message, and none may pass for a request: the checksum or the 7-bit rule catches
// each change.
void TestSimRequest::survivesEveryPrefixAndByte()
{
    const QByteArray request = hex("F0 00 01 74 03 02 6C 00 0C 00 00 00 00 00 64 F7");
    QVERIFY(SimRequest::parse(request).isRequest());
    for (int len = 0; len < request.size(); ++len)
        QVERIFY(!SimRequest::parse(request.left(len)).isRequest());
    const quint8 probes[] = { 0x00, 0x01, 0x7F, 0x80, 0x8C, 0xF0, 0xF7, 0xFF };
    for (int i = 0; i < request.size(); ++i) {
        for (quint8 b : probes) {
            QByteArray changed = request;
            if (quint8(changed.at(i)) == b)
                continue;
            changed[i] = char(b);
            QVERIFY2(!SimRequest::parse(changed).isRequest(),
                qPrintable(QRtMidiData(changed).toString(' ')));
        }
    }
}

QTEST_GUILESS_MAIN(TestSimRequest)
#include "tst_simrequest.moc"
