// SPDX-License-Identifier: MIT
// The input port's inbox and its pattern triggers, fed through the port's own callback as the
// MIDI library's thread feeds them.
#include "qrtmidiin.h"
#include "qrtmiditrigger.h"

#include <QtTest>

#include <atomic>
#include <thread>

using Messages = QList<QRtMidiData>;

static void deliver(QRtMidiIn& port, const QRtMidiData& message)
{
    std::vector<unsigned char> bytes = message.toStdVector();
    QRtMidiIn_midiInCallback(0, &bytes, &port);
}

static QRtMidiData numbered(int i)
{
    return QRtMidiData(QByteArray("\xB0") + char(i % 128) + char(i / 128));
}

template <typename Source> Messages takeAll(Source& source, bool (Source::*take)(QRtMidiData&))
{
    Messages taken;
    QRtMidiData m;
    while ((source.*take)(m))
        taken << m;
    return taken;
}

// The test is the receiver of the triggers' deferred calls, which it records.
class TestQRtMidiTrigger : public QObject {
    Q_OBJECT

public slots:
    void onMatch(void* argument) { calls << argument; }

private slots:
    // init() is called without a server here, and must not start one.
    void initTestCase() { qputenv("JACK_NO_START_SERVER", "1"); }
    void init() { calls.clear(); }

    // Oldest first; beyond capacity the oldest are dropped; clearInbox() empties it.
    void inbox()
    {
        QRtMidiIn port;
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^QRtMidiIn inbox overflow"));
        Messages kept;
        for (int i = 0; i < QRtMidiIn::kInboxCapacity + 3; ++i)
            deliver(port, numbered(i));
        for (int i = 3; i < QRtMidiIn::kInboxCapacity + 3; ++i)
            kept << numbered(i);
        QCOMPARE(takeAll(port, &QRtMidiIn::takeMessage), kept);
        deliver(port, QRtMidiData("FE"));
        port.clearInbox();
        QCOMPARE(port.pendingCount(), 0);
    }

    // pattern|message|matches
    void patterns_data()
    {
        QTest::addColumn<QStringList>("row");
        for (const char* row :
            { "0xF0 0x00 0x01 0x74|F0 00 01 74 03 F7|1", "01|10 1F|1", "f0|F0 F7|0" })
            QTest::newRow(row) << QString(row).split('|');
    }

    void patterns()
    {
        QFETCH(QStringList, row);
        QRtMidiTrigger trigger(row[0]);
        QCOMPARE(trigger.offer(QRtMidiData(row[1])), row[2] == "1");
    }

    // A message is queued in every matching trigger, in list order, before dataIn(); adding a
    // trigger again moves it to the end; removed or after init() it gets nothing; destroyed,
    // its calls still queued are dropped.
    void attachment()
    {
        QRtMidiIn port;
        QRtMidiTrigger a("F0", this, SLOT(onMatch(void*))), b("F0", this, SLOT(onMatch(void*)));
        for (QRtMidiTrigger* trigger : { &a, &b, &a })
            port.addTrigger(*trigger);
        bool queuedBeforeDataIn = false;
        QRtMidiData m;
        connect(&port, &QRtMidiIn::dataIn, this,
            [&] { queuedBeforeDataIn = a.dequeue(m) && b.dequeue(m); });
        deliver(port, QRtMidiData("F0 F7"));
        QVERIFY(queuedBeforeDataIn);
        QCoreApplication::processEvents();
        QCOMPARE(calls, (QList<void*> { &b, &a }));
        port.removeTrigger(b);
        deliver(port, QRtMidiData("F0 F7"));
        QVERIFY(!queuedBeforeDataIn);
        port.init();
        QVERIFY(!a.dequeue(m));
        deliver(port, QRtMidiData("F0 F7"));
        QVERIFY(!a.dequeue(m) && !b.dequeue(m));
        // Calls still queued when their trigger is destroyed never run with its address.
        auto* gone = new QRtMidiTrigger("F0", this, SLOT(onMatch(void*)));
        port.addTrigger(*gone);
        deliver(port, QRtMidiData("F0 F7"));
        port.removeTrigger(*gone);
        delete gone;
        QCoreApplication::processEvents();
        QCOMPARE(calls, (QList<void*> { &b, &a, &a }));
    }

    // Beyond the limit the newest is dropped with the debug line, yet a waiter is still woken
    // (though messages were queued before it waited) and the call still requested.
    void queueLimit()
    {
        QRtMidiIn port;
        QRtMidiTrigger trigger("^B0", this, SLOT(onMatch(void*)));
        port.addTrigger(trigger);
        for (int i = 0; i < QRtMidiTrigger::kQueueLimit; ++i)
            deliver(port, numbered(i));
        std::atomic<int> woken { -1 };
        std::thread waiter([&] { woken = trigger.wait(5000); });
        QVERIFY(QTest::qWaitFor([&] { return trigger.isWaiting(); }, 5000));
        QCOMPARE(woken.load(), -1);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^QRtTriggerChannel Overflow: "));
        deliver(port, numbered(QRtMidiTrigger::kQueueLimit));
        waiter.join();
        QCOMPARE(woken.load(), 1);
        const Messages kept = takeAll(trigger, &QRtMidiTrigger::dequeue);
        QCOMPARE(kept.size(), QRtMidiTrigger::kQueueLimit);
        QCOMPARE(kept.last(), numbered(QRtMidiTrigger::kQueueLimit - 1));
        QCoreApplication::processEvents();
        QCOMPARE(calls.size(), QRtMidiTrigger::kQueueLimit + 1);
        port.removeTrigger(trigger);
    }

private:
    QList<void*> calls;
};

QTEST_GUILESS_MAIN(TestQRtMidiTrigger)
#include "tst_qrtmiditrigger.moc"
