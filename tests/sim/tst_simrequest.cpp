// The simulated unit's request parser: every request of the protocol with its fields, and
// messages that are no request, down to every cut and every changed byte of one.
#include "simrequest.h"

#include "qrtmididata.h"
#include "requests.h"

Q_DECLARE_METATYPE(SimRequest::Kind)

class TestSimRequest : public QObject {
    Q_OBJECT

private slots:
    void requests_data() { addRequestRows(); }
    void requests()
    {
        QFETCH(int, row);
        const RequestRow& expected = kRequests[row];
        const SimRequest r = SimRequest::parse(requestBytes(expected));
        QVERIFY2(r.isRequest(), qPrintable(r.describe()));
        QCOMPARE(int(r.function), int(expected.function));
        QCOMPARE(int(r.model), int(expected.model));
        QCOMPARE(r.number, expected.number);
        QCOMPARE(r.block, expected.block);
        QCOMPARE(r.param, expected.param);
        QCOMPARE(r.y, expected.y);
    }

    void others_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<SimRequest::Kind>("kind");
        auto row = [](const char* name, const char* hex, SimRequest::Kind kind) {
            QTest::newRow(name) << QByteArray::fromHex(hex) << kind;
        };
        row("empty", "", SimRequest::NotSysEx);
        row("no F7", "F0 00 01 74 03 20 26", SimRequest::NotSysEx);
        row("identity request", "F0 7E 7F 06 01 F7", SimRequest::Foreign);
        row("one byte too long", "F0 00 01 74 03 12 48 01 00 5D F7", SimRequest::Malformed);
        row("display offset without 7E 05", "F0 00 01 74 03 35 7E 06 4B F7", SimRequest::Malformed);
        row("selector 02", "F0 00 01 74 03 11 6C 00 02 01 78 F7", SimRequest::Malformed);
        row("value query padded with 01", "F0 00 01 74 03 02 6C 00 0C 00 01 00 00 00 65 F7",
            SimRequest::Malformed);
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
        const QByteArray request
            = QByteArray::fromHex("F0 00 01 74 03 02 6C 00 0C 00 00 00 00 00 64 F7");
        for (int len = 0; len < request.size(); ++len)
            QVERIFY(!SimRequest::parse(request.left(len)).isRequest());
        for (int i = 0; i < request.size(); ++i) {
            for (quint8 b : { 0x00, 0x01, 0x7F, 0x80, 0xF0, 0xF7, 0xFF }) {
                QByteArray changed = request;
                changed[i] = char(b);
                if (changed != request)
                    QVERIFY2(!SimRequest::parse(changed).isRequest(),
                        qPrintable(QRtMidiData(changed).toString(' ')));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestSimRequest)
#include "tst_simrequest.moc"
