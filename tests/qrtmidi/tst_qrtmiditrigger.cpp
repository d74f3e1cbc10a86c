// Pattern triggers and their deferred calls: served directly, from other threads, and from
// real messages arriving at an input port on the private JACK server.
#include "midipeer.h"
#include "qrtmidiin.h"
#include "qrtmiditrigger.h"
#include "tsanqtlocks.h"
#include "wynsignal.h"

#include <QMutex>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>
#include <utility>

// Lets QCOMPARE show the bytes of messages that differ.
char* toString(const QRtMidiData& data)
{
    return QTest::toString(data.toString(' '));
}

namespace {

constexpr int kTimeoutMs = 5000;
// A wait() that is expected to run out: long enough to show it did not return early.
constexpr unsigned long kShortWaitMs = 50;
constexpr int kProbeIntervalMs = 20;

// A thread that is joined when it goes out of scope, also when a failed check returns early.
// Every thread body here ends within its own bound. Unlike QThread::wait(), joining is seen
// by ThreadSanitizer.
class JoiningThread {
public:
    template <typename Body>
    explicit JoiningThread(Body&& body)
        : thread(std::forward<Body>(body))
    { }
    ~JoiningThread() { join(); }
    void join()
    {
        if (thread.joinable())
            thread.join();
    }

private:
    std::thread thread;
};

} // namespace

// Receives deferred calls on whatever thread it lives in and records what it saw; the test
// thread reads the records through the accessors.
class Receiver : public QObject {
    Q_OBJECT

public:
    // Off: the slot only counts, leaving the queue to the test.
    bool drains = true;

    int callCount() const
    {
        QMutexLocker lock(&mutex);
        return calls.size();
    }
    QList<void*> arguments() const
    {
        QMutexLocker lock(&mutex);
        return calls;
    }
    QThread* lastThread() const
    {
        QMutexLocker lock(&mutex);
        return thread;
    }
    QList<QRtMidiData> dequeued() const
    {
        QMutexLocker lock(&mutex);
        return taken;
    }
    int markerCount() const { return markers; }

public slots:
    void onMatch(void* argument)
    {
        QList<QRtMidiData> drained;
        QRtMidiData message;
        while (drains && static_cast<QRtMidiTrigger*>(argument)->dequeue(message))
            drained.append(message);
        QMutexLocker lock(&mutex);
        calls.append(argument);
        thread = QThread::currentThread();
        taken += drained;
    }
    void marker() { ++markers; }

private:
    mutable QMutex mutex;
    QList<void*> calls;
    QThread* thread = nullptr;
    QList<QRtMidiData> taken;
    std::atomic<int> markers { 0 };
};

class TestQRtMidiTrigger : public QObject {
    Q_OBJECT

private slots:
    void patternNotation_data();
    void patternNotation();
    void triggerOnData();
    void setRegExpEmptiesQueue();
    void dequeueOldestFirst();
    void overflowDropsNewestButStillWakesAndCalls();
    void waitAfterQueuedMatchStillSleeps();
    void timedOutWaitIsClearedByNextMatch();
    void resetForgetsWaiter();
    void consumerThreadTakesEveryMessage();
    void deferredCallRunsOnReceiverThread();
    void invalidSlotSpecification_data();
    void invalidSlotSpecification();
    void destroyedReceiverIsNotCalled();

    void portServesTriggersInOrderBeforeDataIn();
    void addingAgainMovesToEnd();
    void portWakesWaiterAndFeedsConsumer();
    void patternChangedWhileAttached();
    void removeAndInitDetach();

private:
    void flushEvents(Receiver& receiver);
    bool openPort(QRtMidiIn& port, MidiPeer& peer);
    void sendAndAwait(QRtMidiIn& port, MidiPeer& peer, const QRtMidiData& message);
};

// Posts a marker behind everything already queued for the receiver and waits for it, so
// that every deferred call requested before has run by then.
void TestQRtMidiTrigger::flushEvents(Receiver& receiver)
{
    const int before = receiver.markerCount();
    QMetaObject::invokeMethod(&receiver, "marker", Qt::QueuedConnection);
    QTRY_COMPARE_WITH_TIMEOUT(receiver.markerCount(), before + 1, kTimeoutMs);
}

void TestQRtMidiTrigger::patternNotation_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("matches");

    QTest::newRow("spaced") << "F0 00 01 74"
                            << "F0 00 01 74 01 F7" << true;
    QTest::newRow("0x prefixes") << "0xF0 0x00 0x01 0x74"
                                 << "F0 00 01 74 01 F7" << true;
    QTest::newRow("found further in") << "01 74"
                                      << "F0 00 01 74 01 F7" << true;
    QTest::newRow("lower case never matches") << "f0"
                                              << "F0 7E F7" << false;
    QTest::newRow("upper-case 0X stays") << "0X7E"
                                         << "F0 7E F7" << false;
    QTest::newRow("straddles two bytes") << "01"
                                         << "10 1F" << true;
    QTest::newRow("regular expression") << "^F0.*F7$"
                                        << "F0 12 34 F7" << true;
    QTest::newRow("anchored elsewhere") << "^7E"
                                        << "F0 7E F7" << false;
    QTest::newRow("empty pattern") << ""
                                   << "F8" << true;
    QTest::newRow("invalid expression") << "F0("
                                        << "F0 7E F7" << false;
}

void TestQRtMidiTrigger::patternNotation()
{
    QFETCH(QString, pattern);
    QFETCH(QString, message);
    QFETCH(bool, matches);

    QRtMidiTrigger trigger(pattern);
    QCOMPARE(trigger.offer(QRtMidiData(message)), matches);
    QRtMidiData queued;
    QCOMPARE(trigger.dequeue(queued), matches);
    if (matches)
        QCOMPARE(queued, QRtMidiData(message));
}

void TestQRtMidiTrigger::triggerOnData()
{
    QRtMidiTrigger trigger(QRtMidiData("7E 7F 06"));
    QCOMPARE(trigger.regExp().pattern(), QString("7E7F06"));
    QVERIFY(trigger.offer(QRtMidiData("F0 7E 7F 06 01 F7")));
    QVERIFY(!trigger.offer(QRtMidiData("F0 7E 7F 07 01 F7")));
    QCOMPARE(
        QRtMidiTrigger("0xF0 0x00 0x01 0x74").regExp(), QRtMidiTrigger("F0 00 01 74").regExp());
}

void TestQRtMidiTrigger::setRegExpEmptiesQueue()
{
    QRtMidiTrigger trigger("F0");
    QVERIFY(trigger.offer(QRtMidiData("F0 01 F7")));
    trigger.setRegExp("F8");
    QRtMidiData out;
    QVERIFY(!trigger.dequeue(out));
    QVERIFY(!trigger.offer(QRtMidiData("F0 01 F7")));
    QVERIFY(trigger.offer(QRtMidiData("F8")));
}

void TestQRtMidiTrigger::dequeueOldestFirst()
{
    QRtMidiTrigger trigger("B0");
    trigger.handler(QRtMidiData("B0 01 01"));
    trigger.handler(QRtMidiData("B0 01 02"));
    QRtMidiData out("FF");
    QVERIFY(trigger.dequeue(out));
    QCOMPARE(out, QRtMidiData("B0 01 01"));
    QVERIFY(trigger.dequeue(out));
    QCOMPARE(out, QRtMidiData("B0 01 02"));
    QVERIFY(!trigger.dequeue(out));
    QCOMPARE(out, QRtMidiData("B0 01 02"));
}

void TestQRtMidiTrigger::overflowDropsNewestButStillWakesAndCalls()
{
    Receiver receiver;
    receiver.drains = false;
    QRtMidiTrigger trigger("90", &receiver, SLOT(onMatch(void*)));
    for (int i = 0; i < QRtMidiTrigger::kQueueLimit; ++i)
        trigger.handler(QRtMidiData(QString("90 %1 40").arg(i % 128, 2, 16, QChar('0'))));

    std::atomic<bool> woken { false };
    JoiningThread waiter([&] { woken = trigger.wait(kTimeoutMs); });
    QTRY_VERIFY_WITH_TIMEOUT(trigger.isWaiting(), kTimeoutMs);

    const QByteArray line = "QRtTriggerChannel Overflow: " + QByteArray::number(quintptr(&trigger));
    QTest::ignoreMessage(QtDebugMsg, line.constData());
    trigger.handler(QRtMidiData("90 7F 7F"));
    waiter.join();
    QVERIFY(woken);
    QVERIFY(!trigger.isWaiting());

    QTRY_COMPARE_WITH_TIMEOUT(receiver.callCount(), QRtMidiTrigger::kQueueLimit + 1, kTimeoutMs);
    QList<QRtMidiData> taken;
    QRtMidiData message;
    while (trigger.dequeue(message))
        taken.append(message);
    QCOMPARE(taken.size(), QRtMidiTrigger::kQueueLimit);
    QCOMPARE(taken.first(), QRtMidiData("90 00 40"));
    QCOMPARE(taken.last(), QRtMidiData("90 47 40"));
}

void TestQRtMidiTrigger::waitAfterQueuedMatchStillSleeps()
{
    QRtMidiTrigger trigger("F8");
    trigger.handler(QRtMidiData("F8"));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!trigger.wait(kShortWaitMs));
    QVERIFY(timer.elapsed() >= qint64(kShortWaitMs) - 1);
    QRtMidiData out;
    QVERIFY(trigger.dequeue(out));
}

void TestQRtMidiTrigger::timedOutWaitIsClearedByNextMatch()
{
    QRtMidiTrigger trigger("F8");
    QVERIFY(!trigger.wait(kShortWaitMs));
    QVERIFY(trigger.isWaiting());
    trigger.handler(QRtMidiData("F8"));
    QVERIFY(!trigger.isWaiting());

    // A match after the next wait() has started wakes it.
    std::atomic<bool> woken { false };
    JoiningThread waiter([&] { woken = trigger.wait(kTimeoutMs); });
    QTRY_VERIFY_WITH_TIMEOUT(trigger.isWaiting(), kTimeoutMs);
    trigger.handler(QRtMidiData("F8"));
    waiter.join();
    QVERIFY(woken);
}

void TestQRtMidiTrigger::resetForgetsWaiter()
{
    QRtMidiTrigger trigger("F8");
    QVERIFY(!trigger.wait(kShortWaitMs));
    trigger.reset();
    QVERIFY(!trigger.isWaiting());
}

namespace {

// The consumer's loop: dequeue while there is something, otherwise wait with a bound (a
// match between an empty dequeue() and wait() does not end that wait).
QList<QRtMidiData> consume(QRtMidiTrigger& trigger, int count)
{
    constexpr unsigned long kConsumerWaitMs = 20;
    QList<QRtMidiData> taken;
    QElapsedTimer timer;
    timer.start();
    QRtMidiData message;
    while (taken.size() < count && timer.elapsed() < kTimeoutMs) {
        if (trigger.dequeue(message))
            taken.append(message);
        else
            trigger.wait(kConsumerWaitMs);
    }
    return taken;
}

QList<QRtMidiData> numberedMessages(int count)
{
    QList<QRtMidiData> messages;
    for (int i = 0; i < count; ++i)
        messages.append(QRtMidiData(QByteArray("\xB0") + char(i / 128) + char(i % 128)));
    return messages;
}

} // namespace

void TestQRtMidiTrigger::consumerThreadTakesEveryMessage()
{
    const QList<QRtMidiData> sent = numberedMessages(QRtMidiTrigger::kQueueLimit);
    QRtMidiTrigger trigger("^B0");
    QList<QRtMidiData> taken;
    JoiningThread consumer([&] { taken = consume(trigger, sent.size()); });
    JoiningThread producer([&] {
        for (const QRtMidiData& message : sent)
            trigger.offer(message);
    });
    producer.join();
    consumer.join();
    QCOMPARE(taken, sent);
}

void TestQRtMidiTrigger::deferredCallRunsOnReceiverThread()
{
    QThread worker;
    Receiver receiver;
    receiver.moveToThread(&worker);
    worker.start();

    QRtMidiTrigger trigger("F0", &receiver, SLOT(onMatch(void*)));
    trigger.handler(QRtMidiData("F0 41 F7"));
    QTRY_COMPARE_WITH_TIMEOUT(receiver.callCount(), 1, kTimeoutMs);
    QCOMPARE(receiver.lastThread(), &worker);
    QCOMPARE(receiver.arguments().first(), static_cast<void*>(&trigger));
    QCOMPARE(receiver.dequeued(), QList<QRtMidiData>() << QRtMidiData("F0 41 F7"));

    worker.quit();
    QVERIFY(worker.wait(kTimeoutMs));
}

void TestQRtMidiTrigger::invalidSlotSpecification_data()
{
    QTest::addColumn<QByteArray>("member");

    QTest::newRow("signal") << QByteArray(SIGNAL(destroyed(QObject*)));
    QTest::newRow("no parameter list") << QByteArray("1onMatch");
    QTest::newRow("no code character") << QByteArray("onMatch(void*)");
    QTest::newRow("empty") << QByteArray("");
}

void TestQRtMidiTrigger::invalidSlotSpecification()
{
    QFETCH(QByteArray, member);

    Receiver receiver;
    QTest::ignoreMessage(QtWarningMsg, "WynSignal - Invalid member specification");
    QRtMidiTrigger trigger("F0", &receiver, member.constData());
    QVERIFY(trigger.offer(QRtMidiData("F0 F7")));
    flushEvents(receiver);
    QCOMPARE(receiver.callCount(), 0);

    QTest::ignoreMessage(QtWarningMsg, "WynSignal - Invalid member specification");
    const WynSignal call(&receiver, nullptr, nullptr);
    QVERIFY(!call.isValid());
}

void TestQRtMidiTrigger::destroyedReceiverIsNotCalled()
{
    auto receiver = std::make_unique<Receiver>();
    QRtMidiTrigger trigger("F0", receiver.get(), SLOT(onMatch(void*)));
    receiver.reset();
    trigger.handler(QRtMidiData("F0 F7"));
    QRtMidiData out;
    QVERIFY(trigger.dequeue(out));
}

// A new JACK connection carries data only from a later cycle on, so the peer probes it with
// active sensing (which no trigger here matches) until one arrives.
bool TestQRtMidiTrigger::openPort(QRtMidiIn& port, MidiPeer& peer)
{
    if (!peer.isOk()) {
        qWarning() << "peer:" << peer.error();
        return false;
    }
    if (!port.init() || !port.open(peer.outputPortName(), 0))
        return false;
    const QRtMidiData probe("FE");
    QElapsedTimer timer;
    timer.start();
    while (port.pendingCount() == 0 && timer.elapsed() < kTimeoutMs) {
        peer.send(probe);
        QTest::qWait(kProbeIntervalMs);
    }
    port.clearInbox();
    return timer.elapsed() < kTimeoutMs;
}

// Sends one message and returns once the port has raised dataIn() for it, by which time
// every trigger has been served.
void TestQRtMidiTrigger::sendAndAwait(QRtMidiIn& port, MidiPeer& peer, const QRtMidiData& message)
{
    int arrivals = 0;
    const QMetaObject::Connection counting
        = connect(&port, &QRtMidiIn::dataIn, this, [&] { ++arrivals; });
    peer.send(message);
    QTRY_COMPARE_WITH_TIMEOUT(arrivals, 1, kTimeoutMs);
    disconnect(counting);
}

void TestQRtMidiTrigger::portServesTriggersInOrderBeforeDataIn()
{
    Receiver receiver;
    receiver.drains = false;
    QRtMidiTrigger status("^90", &receiver, SLOT(onMatch(void*)));
    QRtMidiTrigger note("40", &receiver, SLOT(onMatch(void*)));
    QRtMidiTrigger other("^B0", &receiver, SLOT(onMatch(void*)));
    // Declared after the triggers, so that it is gone (and they detached) before them.
    MidiPeer peer("Trigger In", "Trigger Out");
    QRtMidiIn port;

    // Runs on the library's thread, right after the triggers were served.
    std::atomic<int> queuedAtDataIn { 0 };
    connect(
        &port, &QRtMidiIn::dataIn, &port,
        [&] {
            QRtMidiData message;
            queuedAtDataIn += int(status.dequeue(message)) + int(note.dequeue(message))
                + int(other.dequeue(message));
        },
        Qt::DirectConnection);
    QVERIFY(openPort(port, peer));
    port.addTrigger(status);
    port.addTrigger(note);
    port.addTrigger(other);

    sendAndAwait(port, peer, QRtMidiData("90 40 7F"));
    QTRY_COMPARE_WITH_TIMEOUT(queuedAtDataIn.load(), 2, kTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(receiver.callCount(), 2, kTimeoutMs);
    QCOMPARE(receiver.arguments(), QList<void*>() << &status << &note);
    QCOMPARE(receiver.lastThread(), QThread::currentThread());
}

void TestQRtMidiTrigger::addingAgainMovesToEnd()
{
    Receiver receiver;
    QRtMidiTrigger first("F8", &receiver, SLOT(onMatch(void*)));
    QRtMidiTrigger second("F8", &receiver, SLOT(onMatch(void*)));
    MidiPeer peer("Trigger In", "Trigger Out");
    QRtMidiIn port;
    QVERIFY(openPort(port, peer));
    port.addTrigger(first);
    port.addTrigger(second);
    port.addTrigger(first);

    sendAndAwait(port, peer, QRtMidiData("F8"));
    QTRY_COMPARE_WITH_TIMEOUT(receiver.callCount(), 2, kTimeoutMs);
    flushEvents(receiver);
    QCOMPARE(receiver.arguments(), QList<void*>() << &second << &first);
}

void TestQRtMidiTrigger::portWakesWaiterAndFeedsConsumer()
{
    QRtMidiTrigger trigger("^B0");
    MidiPeer peer("Trigger In", "Trigger Out");
    QRtMidiIn port;
    QVERIFY(openPort(port, peer));
    port.addTrigger(trigger);

    std::atomic<bool> woken { false };
    JoiningThread waiter([&] { woken = trigger.wait(kTimeoutMs); });
    QTRY_VERIFY_WITH_TIMEOUT(trigger.isWaiting(), kTimeoutMs);
    peer.send(QRtMidiData("B0 07 00"));
    waiter.join();
    QVERIFY(woken);
    QRtMidiData first;
    QVERIFY(trigger.dequeue(first));
    QCOMPARE(first, QRtMidiData("B0 07 00"));

    const QList<QRtMidiData> sent = numberedMessages(100);
    QList<QRtMidiData> taken;
    JoiningThread consumer([&] { taken = consume(trigger, sent.size()); });
    for (const QRtMidiData& message : sent) {
        peer.send(message);
        peer.send(QRtMidiData("F8"));
    }
    consumer.join();
    QCOMPARE(taken, sent);
}

// The port reads the pattern while the test thread replaces it; once the last pattern is in
// place, the queue holds only what that pattern matched.
void TestQRtMidiTrigger::patternChangedWhileAttached()
{
    QRtMidiTrigger trigger("^B0");
    QRtMidiTrigger allSent("^(B0|F8)");
    MidiPeer peer("Trigger In", "Trigger Out");
    QRtMidiIn port;
    QVERIFY(openPort(port, peer));
    port.addTrigger(trigger);
    port.addTrigger(allSent);

    const QList<QRtMidiData> sent = numberedMessages(100);
    for (int i = 0; i < sent.size(); ++i) {
        peer.send(sent.at(i));
        trigger.setRegExp(i % 2 ? "^B0" : "0xB0 0x00");
    }
    trigger.setRegExp("^F8");
    peer.send(QRtMidiData("F8"));
    QCOMPARE(consume(allSent, sent.size() + 1).size(), sent.size() + 1);

    QList<QRtMidiData> queued;
    QRtMidiData message;
    while (trigger.dequeue(message))
        queued.append(message);
    QCOMPARE(queued, QList<QRtMidiData>() << QRtMidiData("F8"));
}

void TestQRtMidiTrigger::removeAndInitDetach()
{
    QRtMidiTrigger kept("F8");
    QRtMidiTrigger removed("F8");
    MidiPeer peer("Trigger In", "Trigger Out");
    QRtMidiIn port;
    QVERIFY(openPort(port, peer));
    port.addTrigger(kept);
    port.addTrigger(removed);
    port.removeTrigger(removed);
    port.removeTrigger(removed);

    QRtMidiData message;
    sendAndAwait(port, peer, QRtMidiData("F8"));
    QVERIFY(kept.dequeue(message));
    QVERIFY(!removed.dequeue(message));

    QVERIFY(openPort(port, peer));
    sendAndAwait(port, peer, QRtMidiData("F8"));
    QVERIFY(!kept.dequeue(message));
}

QTEST_GUILESS_MAIN(TestQRtMidiTrigger)
#include "tst_qrtmiditrigger.moc"
