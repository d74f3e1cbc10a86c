// SPDX-License-Identifier: MIT
// The simulator's replay of a MIDI trace: which recorded messages each request gets, with and
// without the recorded delays, which requests go unanswered, and the damaged traces refused
// with the line named.
#include "simreplay.h"

#include <QtTest>

class TestSimReplay : public QObject {
    Q_OBJECT

private slots:
    void replay_data();
    void replay();
};

// trace: the file, "|" between its lines. heard: each request in turn, ">", and what it got as
// "delay:bytes", "-" for a request the trace does not hold; or the reason a damaged trace is
// refused for.
void TestSimReplay::replay_data()
{
    QTest::addColumn<QString>("trace");
    QTest::addColumn<bool>("timing");
    QTest::addColumn<QString>("heard");
    QTest::newRow("same request, recorded order")
        << "# Tollmark MIDI trace|0.000 out 01|1.000 in 0A|2.000 out 02||3.000 in 0B 0C|"
           "4.000 out 01|5.000 in 0D"
        << false << "01>0:0A 02>0:0B0C 01>0:0D 03>- 01>-";
    // The reply to 01 came after 02 was sent: the program heard it there.
    const QString late = "0.000 in FE|10.000 out 01|1010.000 out 02|1300.000 in 0A|1300.500 in 0B";
    QTest::newRow("unasked and late") << late << false << "01>0:FE 02>0:0A,0:0B";
    QTest::newRow("unasked and late, timing kept") << late << true << "01>0:FE 02>290:0A,291:0B";
    QTest::newRow("garbage") << "0.000 out 01|garbage in the trace" << false
                             << "line 2: \"garbage\" is not a time in ms";
    QTest::newRow("not a byte") << "1.5 in F0 1FF F7" << false
                                << "line 1: \"1FF\" is not a byte in hex";
}

void TestSimReplay::replay()
{
    QFETCH(QString, trace);
    QFETCH(bool, timing);
    QFETCH(QString, heard);
    QTemporaryFile file;
    QVERIFY(file.open() && file.write(trace.replace('|', '\n').toUtf8()) > 0 && file.flush());
    QString reason;
    const std::unique_ptr<SimReplay> replay = SimReplay::load(file.fileName(), timing, &reason);
    QCOMPARE(reason,
        replay ? QString() : "cannot replay " + file.fileName() + ": not a MIDI trace, " + heard);
    if (!replay)
        return;
    QStringList got, unmatched;
    for (const QString& request : heard.split(' ')) {
        QStringList messages;
        for (const SimReplay::Message& m :
            replay->answer(QByteArray::fromHex(request.section('>', 0, 0).toLatin1())))
            messages << QString("%1:%2").arg(m.delayMs).arg(QString(m.bytes.toHex().toUpper()));
        got << request.section('>', 0, 0) + '>' + (messages.isEmpty() ? "-" : messages.join(','));
    }
    QCOMPARE(got.join(' '), heard);
    for (const QByteArray& request : replay->unmatched())
        unmatched << request.toHex().toUpper() + ">-";
    QCOMPARE(unmatched, got.filter(">-"));
}

QTEST_GUILESS_MAIN(TestSimReplay)
#include "tst_simreplay.moc"
