// SPDX-License-Identifier: MIT
// The simulated unit's I/O: the virtual ports, the worker thread that answers requests, sends
// delayed replies, tempo beats and noise, and the record of requests. The RtMidi callback only
// queues what arrives, so the service's thread is never held up.
#pragma once

#include "axefxsim.h"
#include "qrtmidiapi.h"
#include "simdevice.h"
#include "simreplay.h"

#include <QByteArray>
#include <QList>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class RtMidiIn;
class RtMidiOut;

class AxeFxSimEngine {
public:
    using Clock = std::chrono::steady_clock;

    explicit AxeFxSimEngine(const SimBank& bank);
    ~AxeFxSimEngine();

    std::function<void(const QByteArray&)> onRequest; // set before start()

    void setPortNames(const SimPortNames& names);
    SimPortNames portNames() const;
    bool start(QString* error);
    void stop();
    bool isRunning() const;

    SimBank bank() const;
    void editBank(const std::function<void(SimBank&)>& edit);
    SimFaults faults() const;
    void setFaults(const SimFaults& faults);
    void setRecording(bool on);
    void setReplay(SimReplay* replay);

    QList<QByteArray> requests() const;
    int requestCount() const;
    void clearRequests();
    bool waitForRequests(int n, int timeoutMs) const;
    int sentCount() const;
    void sendRaw(const QByteArray& message);

private:
    struct Outgoing {
        Clock::time_point due;
        QByteArray bytes;
    };

    static void receive(double, std::vector<unsigned char>* message, void* self);
    bool openPorts(QString* error);
    void closePorts();
    void run();
    void handleArrivals(std::unique_lock<std::mutex>& lock);
    void answer(const QByteArray& request, Clock::time_point now);
    bool dropReply();
    void schedule(const QByteArray& bytes, Clock::time_point due);
    void schedulePeriodic(Clock::time_point now);
    void sendDue(std::unique_lock<std::mutex>& lock);
    bool send(const QByteArray& bytes);
    void restartPeriods(Clock::time_point now);
    Clock::time_point nextWake() const;

    mutable std::mutex mutex;
    std::condition_variable wake;
    mutable std::condition_variable requestsChanged;

    SimPortNames names;
    std::unique_ptr<RtMidiIn, QRtMidiInDeleter> in;
    std::unique_ptr<RtMidiOut, QRtMidiOutDeleter> out;
    std::thread worker;
    bool running = false;
    bool stopping = false;
    bool closeWhenSent = false;

    SimDevice device;
    SimReplay* replay = nullptr;
    SimFaults currentFaults;
    quint32 dropState = 1;
    int repliesCounted = 0;
    int requestsSinceStart = 0;

    std::deque<QByteArray> arrivals;
    std::deque<Outgoing> outgoing; // ordered by due time
    Clock::time_point heldUntil; // a stalled unit sends nothing before
    Clock::time_point nextBeat;
    Clock::time_point nextNoise;
    int noiseIndex = 0;

    bool recording = true;
    QList<QByteArray> recorded;
    int receivedCount = 0;
    int sent = 0;
};
