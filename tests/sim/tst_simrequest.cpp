// The simulated unit's request parser on messages that are no request, down to every cut and
// every changed byte of one (tst_axefxreply reads every request's fields).
#include "simrequest.h"

#include "qrtmididata.h"

#include <QtTest>

Q_DECLARE_METATYPE(SimRequest::Kind)

class TestSimRequest : public QObject {
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
};

QTEST_GUILESS_MAIN(TestSimRequest)
#include "tst_simrequest.moc"
