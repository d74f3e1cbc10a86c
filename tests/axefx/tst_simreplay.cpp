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

// trace: the file, "|" between its lines; requests: each answered with "delay:bytes ...";
// error: the end of the reason a damaged trace is refused with.
void TestSimReplay::replay_data()
{
    QTest::addColumn<QString>("trace");
    QTest::addColumn<bool>("timing");
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("unmatched");
    QTest::addColumn<QString>("error");
    const QString orders = "# Tollmark MIDI trace|0.000 out 01|1.000 in 0A|2.000 out 02||"
                           "3.000 in 0B 0C|4.000 out 01|5.000 in 0D";
    QTest::newRow("same request, recorded order")
        << orders << false << QStringList { "01", "02", "01", "03", "01" }
        << QStringList { "0:0A", "0:0B0C", "0:0D", "", "" } << QStringList { "03", "01" } << "";
    // The reply to 01 came after 02 was sent: the program heard it there.
    const QString late = "0.000 in FE|10.000 out 01|1010.000 out 02|1300.000 in 0A|1300.500 in 0B";
    QTest::newRow("unasked and late, no timing")
        << late << false << QStringList { "01", "02" } << QStringList { "0:FE", "0:0A 0:0B" }
        << QStringList() << "";
    QTest::newRow("unasked and late, timing kept")
        << late << true << QStringList { "01", "02" } << QStringList { "0:FE", "290:0A 291:0B" }
        << QStringList() << "";
    QTest::newRow("garbage") << "0.000 out 01|garbage in the trace" << false << QStringList()
                             << QStringList() << QStringList()
                             << "line 2: \"garbage\" is not a time in ms";
    QTest::newRow("negative time") << "-1 out 01" << false << QStringList() << QStringList()
                                   << QStringList() << "line 1: \"-1\" is not a time in ms";
    QTest::newRow("no direction") << "#|1.5 sideways 01" << false << QStringList()
                                  << QStringList() << QStringList()
                                  << "line 2: \"sideways\" is neither \"out\" nor \"in\"";
    QTest::newRow("not a byte") << "1.5 in F0 1FF F7" << false << QStringList() << QStringList()
                                << QStringList() << "line 1: \"1FF\" is not a byte in hex";
    QTest::newRow("no bytes") << "1.5 in" << false << QStringList() << QStringList()
                              << QStringList()
                              << "line 1: expected a time in ms, \"out\" or \"in\", and the "
                                 "bytes in hex";
}

void TestSimReplay::replay()
{
    QFETCH(QString, trace);
    QFETCH(bool, timing);
    QFETCH(QStringList, requests);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, unmatched);
    QFETCH(QString, error);
    QTemporaryDir dir;
    QFile file(dir.filePath("unit.trace"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(trace.replace('|', '\n').toUtf8());
    file.close();
    QString reason;
    const std::unique_ptr<SimReplay> replay = SimReplay::load(file.fileName(), timing, &reason);
    QCOMPARE(reason,
        error.isEmpty() ? QString()
                        : "cannot replay " + file.fileName() + ": not a MIDI trace, " + error);
    if (!replay)
        return;
    QStringList heard;
    for (const QString& request : requests) {
        QStringList messages;
        for (const SimReplay::Message& m : replay->answer(QByteArray::fromHex(request.toLatin1())))
            messages << QString("%1:%2").arg(m.delayMs).arg(QString(m.bytes.toHex().toUpper()));
        heard << messages.join(' ');
    }
    QCOMPARE(heard, answers);
    QStringList missing;
    for (const QByteArray& request : replay->unmatched())
        missing << request.toHex().toUpper();
    QCOMPARE(missing, unmatched);
}

QTEST_GUILESS_MAIN(TestSimReplay)
#include "tst_simreplay.moc"
