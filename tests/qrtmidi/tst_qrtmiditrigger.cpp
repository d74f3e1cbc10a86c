// SPDX-License-Identifier: MIT
// The input port's inbox and its pattern triggers, fed through the port's own callback as the
// MIDI library's thread feeds them; and the lifetimes of a deferred call's receiver and
// trigger while calls are on their way.
#include "qrtmidiin.h"
#include "qrtmiditrigger.h"

#include <QThread>
#include <QtTest>

#include <atomic>
#include <thread>

using Messages = QList<QRtMidiData>;

static void deliver(QRtMidiIn& port, const QRtMidiData& message)
{
    std::vector<unsigned char> bytes = message.toStdVector();
    QRtMidiIn_midiInCallback(0, &bytes, &port);
}

// A bounded wait that looks at its condition without pausing or handling events.
template <typename Condition> static bool spinUntil(Condition condition)
{
    QDeadlineTimer deadline(5000);
    while (!condition() && !deadline.hasExpired())
        std::this_thread::yield();
    return condition();
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

// Records the deferred calls it gets (when it lives on the test's thread) and the thread they
// ran on, and empties the trigger handed to it; deletes itself on kDelete, which overtakes
// the calls queued before.
class Receiver : public QObject {
    Q_OBJECT
public:
    static const QEvent::Type kDelete = QEvent::User;
    QList<void*> calls;
    std::atomic<QThread*> thread { nullptr };
    bool event(QEvent* e) override
    {
        if (e->type() != kDelete)
            return QObject::event(e);
        delete this;
        return true;
    }

public slots:
    void onMatch(void* argument)
    {
        calls << argument;
        thread = QThread::currentThread();
        takeAll(*static_cast<QRtMidiTrigger*>(argument), &QRtMidiTrigger::dequeue);
    }
};

class TestQRtMidiTrigger : public QObject {
    Q_OBJECT

private slots:
    // init() is called without a server here, and must not start one.
    void initTestCase() { qputenv("JACK_NO_START_SERVER", "1"); }

    // Oldest first; beyond capacity the oldest are dropped, and once there was room again the
    // next overflow is reported anew. The newest message survives clearInbox() and init().
    void inbox()
    {
        QRtMidiIn port;
        const QRegularExpression overflowLine("^QRtMidiIn inbox overflow");
        QTest::ignoreMessage(QtDebugMsg, overflowLine);
        Messages kept;
        for (int i = 0; i < QRtMidiIn::kInboxCapacity + 3; ++i)
            deliver(port, numbered(i));
        for (int i = 3; i < QRtMidiIn::kInboxCapacity + 3; ++i)
            kept << numbered(i);
        QCOMPARE(takeAll(port, &QRtMidiIn::takeMessage), kept);
        for (int i = 0; i < QRtMidiIn::kInboxCapacity; ++i)
            deliver(port, QRtMidiData("F8"));
        QTest::ignoreMessage(QtDebugMsg, overflowLine);
        deliver(port, QRtMidiData("FE"));
        port.clearInbox();
        QCOMPARE(port.pendingCount(), 0);
        port.init();
        QCOMPARE(port.getLastData(), QRtMidiData("FE"));
        QVERIFY(port.getLastData().timeStamp > 0);
    }

    // pattern|message|matches
    void patterns_data()
    {
        QTest::addColumn<QStringList>("row");
        for (const char* row : { "0xF0 0x00 0x01 0x74|F0 00 01 74 03 F7|1",
                 "01 74|F0 00 01 74 F7|1", "f0|F0 F7|0", "^F0.*F7$|F0 41 F7|1", "^7E|F0 7E F7|0" })
            QTest::newRow(row) << QString(row).split('|');
    }

    void patterns()
    {
        QFETCH(QStringList, row);
        QRtMidiTrigger trigger(row[0]);
        QCOMPARE(trigger.offer(QRtMidiData(row[1])), row[2] == "1");
        // handler() serves whatever it is given, without looking at the pattern.
        trigger.handler(QRtMidiData("F8"));
        QVERIFY(takeAll(trigger, &QRtMidiTrigger::dequeue).endsWith(QRtMidiData("F8")));
    }

    // A message is queued in every matching trigger, in list order, before dataIn(); adding a
    // trigger again moves it to the end; removed or after init() it gets nothing.
    void attachment()
    {
        QRtMidiIn port;
        Receiver receiver;
        QRtMidiTrigger a("F0", &receiver, SLOT(onMatch(void*)));
        QRtMidiTrigger b("F0", &receiver, SLOT(onMatch(void*)));
        port.addTrigger(a);
        port.addTrigger(b);
        port.addTrigger(a);
        // Triggers whose member is no slot never call.
        QTest::ignoreMessage(QtWarningMsg, "WynSignal - Invalid member specification");
        QTest::ignoreMessage(QtWarningMsg, "WynSignal - Invalid member specification");
        QRtMidiTrigger aSignal("F0", &receiver, SIGNAL(destroyed(QObject*)));
        QRtMidiTrigger noParameters("F0", &receiver, "1onMatch");
        port.addTrigger(aSignal);
        port.addTrigger(noParameters);
        bool queuedBeforeDataIn = false;
        QRtMidiData m;
        connect(&port, &QRtMidiIn::dataIn, this,
            [&] { queuedBeforeDataIn = a.dequeue(m) && b.dequeue(m); });
        deliver(port, QRtMidiData("F0 F7"));
        QVERIFY(queuedBeforeDataIn);
        QCoreApplication::processEvents();
        QCOMPARE(receiver.calls, (QList<void*> { &b, &a }));
        port.removeTrigger(b);
        deliver(port, QRtMidiData("F0 F7"));
        QVERIFY(!queuedBeforeDataIn);
        port.init();
        QVERIFY(!a.dequeue(m));
        deliver(port, QRtMidiData("F0 F7"));
        QVERIFY(!a.dequeue(m) && !b.dequeue(m));
    }

    // Beyond the limit the newest is dropped with the debug line, yet a waiter is still woken
    // (though messages were queued before it waited) and the call still requested.
    void queueLimit()
    {
        QRtMidiIn port;
        Receiver receiver;
        QRtMidiTrigger trigger("^B0", &receiver, SLOT(onMatch(void*)));
        port.addTrigger(trigger);
        for (int i = 0; i < QRtMidiTrigger::kQueueLimit; ++i)
            deliver(port, numbered(i));
        std::atomic<int> woken { -1 };
        std::thread waiter([&] { woken = trigger.wait(5000); });
        QVERIFY(spinUntil([&] { return trigger.isWaiting(); }));
        QCOMPARE(woken.load(), -1);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^QRtTriggerChannel Overflow: "));
        deliver(port, numbered(QRtMidiTrigger::kQueueLimit));
        waiter.join();
        QCOMPARE(woken.load(), 1);
        const Messages kept = takeAll(trigger, &QRtMidiTrigger::dequeue);
        QCOMPARE(kept.size(), QRtMidiTrigger::kQueueLimit);
        QCOMPARE(kept.last(), numbered(QRtMidiTrigger::kQueueLimit - 1));
        QCoreApplication::processEvents();
        QCOMPARE(receiver.calls.size(), QRtMidiTrigger::kQueueLimit + 1);
        // After a wait that ran out, the next match wakes nobody and clears the mark; so does
        // reset().
        QVERIFY(!trigger.wait(1));
        QVERIFY(trigger.isWaiting());
        deliver(port, numbered(0));
        QVERIFY(!trigger.isWaiting());
        QVERIFY(!trigger.wait(1));
        trigger.reset();
        QVERIFY(!trigger.isWaiting());
        port.removeTrigger(trigger);
    }

    // The receiver is called on its own thread with the trigger, and is deleted there while
    // matches stream in on two ports at once; no call may reach it once it is gone
    // (AddressSanitizer sees one that does).
    void receiverDeletedWhileCalled()
    {
        for (int round = 0; round < 100; ++round) {
            QThread worker;
            auto* receiver = new Receiver;
            std::atomic<bool> gone { false }, stop { false };
            std::atomic<int> delivered { 0 };
            connect(receiver, &QObject::destroyed, [&] { gone = true; });
            receiver->moveToThread(&worker);
            worker.start();
            QRtMidiIn ports[2];
            QRtMidiTrigger triggers[2] { { "F8", receiver, SLOT(onMatch(void*)) },
                { "F8", receiver, SLOT(onMatch(void*)) } };
            auto feed = [&](int i) {
                ports[i].addTrigger(triggers[i]);
                for (QRtMidiData m; !stop;
                     ++delivered, triggers[i].dequeue(m), ports[i].clearInbox())
                    deliver(ports[i], QRtMidiData("F8"));
                ports[i].removeAllTriggers();
            };
            std::thread feeders[2] { std::thread(feed, 0), std::thread(feed, 1) };
            QVERIFY(spinUntil([&] { return receiver->thread.load(); }));
            QCOMPARE(receiver->thread.load(), &worker);
            QCoreApplication::postEvent(
                receiver, new QEvent(Receiver::kDelete), Qt::HighEventPriority);
            QVERIFY(spinUntil([&] { return gone.load(); }));
            const int deliveredAtDeletion = delivered;
            QVERIFY(spinUntil([&] { return delivered > deliveredAtDeletion + 100; }));
            stop = true;
            for (std::thread& feeder : feeders)
                feeder.join();
            worker.quit();
            worker.wait();
        }
    }

    // Calls still queued when their trigger is destroyed never run with its address.
    void triggerDeletedWithCallsQueued()
    {
        QRtMidiIn port;
        Receiver receiver;
        auto* trigger = new QRtMidiTrigger("F0", &receiver, SLOT(onMatch(void*)));
        port.addTrigger(*trigger);
        deliver(port, QRtMidiData("F0 F7"));
        deliver(port, QRtMidiData("F0 F7"));
        port.removeTrigger(*trigger);
        delete trigger;
        QCoreApplication::processEvents();
        QVERIFY(receiver.calls.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestQRtMidiTrigger)
#include "tst_qrtmiditrigger.moc"
