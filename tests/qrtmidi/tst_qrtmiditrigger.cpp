// Pattern triggers and their deferred calls, fed through the input port's own callback as the
// MIDI library's thread feeds them; and the lifetimes of a deferred call's receiver and
// trigger while calls are on their way.
#include "qrtmidiin.h"
#include "qrtmiditrigger.h"

#include <QMutex>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <thread>

char* toString(const QRtMidiData& data)
{
    return QTest::toString(data.toString(' '));
}

namespace {

constexpr int kTimeoutMs = 5000;

void deliver(QRtMidiIn& port, const QRtMidiData& message)
{
    std::vector<unsigned char> bytes = message.toStdVector();
    QRtMidiIn_midiInCallback(0, &bytes, &port);
}

// A bounded wait that looks at its condition without pausing or handling events.
template <typename Condition> bool spinUntil(Condition condition)
{
    QDeadlineTimer deadline(kTimeoutMs);
    while (!condition() && !deadline.hasExpired())
        std::this_thread::yield();
    return condition();
}

QRtMidiData numbered(int i)
{
    return QRtMidiData(QByteArray("\xB0") + char(i / 128) + char(i % 128));
}

} // namespace

// Records the deferred calls it gets, on whatever thread it lives in, and empties the
// trigger handed to it.
class Receiver : public QObject {
    Q_OBJECT
public:
    QList<void*> arguments() const
    {
        QMutexLocker lock(&mutex);
        return calls;
    }
    QList<QRtMidiData> taken() const
    {
        QMutexLocker lock(&mutex);
        return messages;
    }
    QThread* thread = nullptr;
    std::atomic<bool>* gone = nullptr;

    ~Receiver() override
    {
        if (gone)
            *gone = true;
    }

    // The deletion below overtakes the calls queued before it.
    static const QEvent::Type kDelete = QEvent::User;
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
        QMutexLocker lock(&mutex);
        calls << argument;
        thread = QThread::currentThread();
        QRtMidiData message;
        while (static_cast<QRtMidiTrigger*>(argument)->dequeue(message))
            messages << message;
    }

private:
    mutable QMutex mutex;
    QList<void*> calls;
    QList<QRtMidiData> messages;
};

class TestQRtMidiTrigger : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void patterns_data();
    void patterns();
    void attachment();
    void queueLimit();
    void deferredCallOnReceiverThread();
    void invalidSlot_data();
    void invalidSlot();
    void receiverDeletedWhileCalled();
    void triggerDeletedWithCallsQueued();
};

// init() is called without a server here, and must not start one.
void TestQRtMidiTrigger::initTestCase()
{
    qputenv("JACK_NO_START_SERVER", "1");
}

void TestQRtMidiTrigger::patterns_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("matches");
    QTest::newRow("spaced") << "F0 00 01 74"
                            << "F0 00 01 74 03 F7" << true;
    QTest::newRow("0x prefixes") << "0xF0 0x00 0x01 0x74"
                                 << "F0 00 01 74 03 F7" << true;
    QTest::newRow("further in") << "01 74"
                                << "F0 00 01 74 F7" << true;
    QTest::newRow("lower case") << "f0"
                                << "F0 F7" << false;
    QTest::newRow("across bytes") << "01"
                                  << "10 1F" << true;
    QTest::newRow("anchored") << "^F0.*F7$"
                              << "F0 41 F7" << true;
    QTest::newRow("anchored elsewhere") << "^7E"
                                        << "F0 7E F7" << false;
}

void TestQRtMidiTrigger::patterns()
{
    QFETCH(QString, pattern);
    QFETCH(QString, message);
    QFETCH(bool, matches);
    QRtMidiIn port;
    QRtMidiTrigger trigger(pattern);
    port.addTrigger(trigger);
    deliver(port, QRtMidiData(message));
    QRtMidiData out;
    QCOMPARE(trigger.dequeue(out), matches);
    port.removeTrigger(trigger);
}

// A message is queued in every matching trigger, in list order, before dataIn(); adding a
// trigger again moves it to the end; removed or after init() it gets nothing.
void TestQRtMidiTrigger::attachment()
{
    QRtMidiIn port;
    Receiver receiver;
    QRtMidiTrigger a("F0", &receiver, SLOT(onMatch(void*)));
    QRtMidiTrigger b("F0", &receiver, SLOT(onMatch(void*)));
    port.addTrigger(a);
    port.addTrigger(b);
    port.addTrigger(a);
    bool queuedBeforeDataIn = false;
    connect(
        &port, &QRtMidiIn::dataIn, this,
        [&] {
            QRtMidiData m;
            queuedBeforeDataIn = a.dequeue(m) && b.dequeue(m);
        },
        Qt::DirectConnection);
    deliver(port, QRtMidiData("F0 F7"));
    QVERIFY(queuedBeforeDataIn);
    QCoreApplication::processEvents();
    QCOMPARE(receiver.arguments(), (QList<void*> { &b, &a }));

    port.removeTrigger(b);
    deliver(port, QRtMidiData("F0 F7"));
    QVERIFY(!queuedBeforeDataIn);
    port.init();
    QRtMidiData m;
    QVERIFY(!a.dequeue(m));
    deliver(port, QRtMidiData("F0 F7"));
    QVERIFY(!a.dequeue(m) && !b.dequeue(m));
}

// Beyond the limit the newest is dropped with the debug line, yet a waiter is still woken
// (though messages were queued before it waited) and the call still requested.
void TestQRtMidiTrigger::queueLimit()
{
    QRtMidiIn port;
    Receiver receiver;
    QRtMidiTrigger trigger("^B0", &receiver, SLOT(onMatch(void*)));
    port.addTrigger(trigger);
    for (int i = 0; i < QRtMidiTrigger::kQueueLimit; ++i)
        deliver(port, numbered(i));
    std::atomic<int> woken { -1 };
    std::thread waiter([&] { woken = trigger.wait(kTimeoutMs); });
    QVERIFY(spinUntil([&] { return trigger.isWaiting(); }));
    QCOMPARE(woken.load(), -1);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^QRtTriggerChannel Overflow: "));
    deliver(port, numbered(QRtMidiTrigger::kQueueLimit));
    waiter.join();
    QCOMPARE(woken.load(), 1);
    QList<QRtMidiData> kept;
    QRtMidiData m;
    while (trigger.dequeue(m))
        kept << m;
    QCOMPARE(kept.size(), QRtMidiTrigger::kQueueLimit);
    QCOMPARE(kept.last(), numbered(QRtMidiTrigger::kQueueLimit - 1));
    QCoreApplication::processEvents();
    QCOMPARE(receiver.arguments().size(), QRtMidiTrigger::kQueueLimit + 1);

    // After a wait that ran out, the next match wakes nobody and clears the mark.
    QVERIFY(!trigger.wait(1));
    QVERIFY(trigger.isWaiting());
    deliver(port, numbered(0));
    QVERIFY(!trigger.isWaiting());
    port.removeTrigger(trigger);
}

void TestQRtMidiTrigger::deferredCallOnReceiverThread()
{
    QThread worker;
    Receiver receiver;
    receiver.moveToThread(&worker);
    worker.start();
    QRtMidiIn port;
    QRtMidiTrigger trigger("F0", &receiver, SLOT(onMatch(void*)));
    port.addTrigger(trigger);
    deliver(port, QRtMidiData("F0 41 F7"));
    QTRY_COMPARE(receiver.taken(), QList<QRtMidiData> { QRtMidiData("F0 41 F7") });
    QCOMPARE(receiver.arguments(), QList<void*> { &trigger });
    QCOMPARE(receiver.thread, &worker);
    port.removeTrigger(trigger);
    worker.quit();
    worker.wait();
}

void TestQRtMidiTrigger::invalidSlot_data()
{
    QTest::addColumn<QByteArray>("member");
    QTest::newRow("signal") << QByteArray(SIGNAL(destroyed(QObject*)));
    QTest::newRow("no parameter list") << QByteArray("1onMatch");
    QTest::newRow("no code character") << QByteArray("onMatch(void*)");
}

void TestQRtMidiTrigger::invalidSlot()
{
    QFETCH(QByteArray, member);
    Receiver receiver;
    QTest::ignoreMessage(QtWarningMsg, "WynSignal - Invalid member specification");
    QRtMidiTrigger trigger("F0", &receiver, member.constData());
    QVERIFY(trigger.offer(QRtMidiData("F0 F7")));
    QCoreApplication::processEvents();
    QVERIFY(receiver.arguments().isEmpty());
}

// The receiver is deleted on its own thread while matches stream in on another; no call may
// reach it once it is gone (AddressSanitizer sees one that does).
void TestQRtMidiTrigger::receiverDeletedWhileCalled()
{
    for (int round = 0; round < 100; ++round) {
        QThread worker;
        auto* receiver = new Receiver;
        std::atomic<bool> gone { false };
        receiver->gone = &gone;
        receiver->moveToThread(&worker);
        worker.start();
        // Two ports, so that two calls can be on their way at once.
        QRtMidiIn ports[2];
        QRtMidiTrigger triggers[2] { { "F8", receiver, SLOT(onMatch(void*)) },
            { "F8", receiver, SLOT(onMatch(void*)) } };
        std::atomic<bool> stop { false };
        std::atomic<int> delivered { 0 };
        auto feed = [&](int i) {
            QRtMidiData m;
            for (; !stop; ++delivered) {
                deliver(ports[i], QRtMidiData("F8"));
                triggers[i].dequeue(m);
                ports[i].clearInbox();
            }
        };
        ports[0].addTrigger(triggers[0]);
        ports[1].addTrigger(triggers[1]);
        std::thread feeders[2] { std::thread(feed, 0), std::thread(feed, 1) };
        QVERIFY(spinUntil([&] { return !receiver->arguments().isEmpty(); }));
        QCoreApplication::postEvent(receiver, new QEvent(Receiver::kDelete), Qt::HighEventPriority);
        QVERIFY(spinUntil([&] { return gone.load(); }));
        const int deliveredAtDeletion = delivered;
        QVERIFY(spinUntil([&] { return delivered > deliveredAtDeletion + 100; }));
        stop = true;
        for (std::thread& feeder : feeders)
            feeder.join();
        ports[0].removeAllTriggers();
        ports[1].removeAllTriggers();
        worker.quit();
        worker.wait();
    }
}

// Calls still queued when their trigger is destroyed never run with its address.
void TestQRtMidiTrigger::triggerDeletedWithCallsQueued()
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
    QVERIFY(receiver.arguments().isEmpty());
}

QTEST_GUILESS_MAIN(TestQRtMidiTrigger)
#include "tst_qrtmiditrigger.moc"
