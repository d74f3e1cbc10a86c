// SPDX-License-Identifier: MIT
// The simulated unit's I/O: the virtual ports, the worker thread that answers requests, sends
// delayed replies, tempo beats and noise, and the record of requests. The RtMidi callback only
// queues what arrives, so the service's thread is never held up.
#pragma once

#include "qrtmidiapi.h"
#include "simdevice.h"
#include "simreplay.h"

#include <QByteArray>
#include <QList>
#include <QString>

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

struct SimPortNames {
    QString client = QStringLiteral("AXE-FX II");
    QString input = QStringLiteral("AXE-FX II MIDI In"); // empty: no input port
    QString output = QStringLiteral("AXE-FX II MIDI Out"); // empty: no output port
};

class AxeFxSimEngine {
public:
    using Clock = std::chrono::steady_clock;

    explicit AxeFxSimEngine(const SimBank& bank);
    ~AxeFxSimEngine();

    /// Called on the worker thread for each message received; set before start().
    std::function<void(const QByteArray&)> onRequest;

    /// Port names used by the next start().
    void setPortNames(const SimPortNames& names);
    SimPortNames portNames() const;
    /// Opens the virtual ports and starts answering; false with a reason in `error`.
    bool start(QString* error = nullptr);
    /// Closes the ports and stops all sending; replies still pending are dropped.
    void stop();
    /// True while the ports are open.
    bool isRunning() const;

    /// A copy of the device state as it is now (the simulator changes the current preset and
    /// the X/Y selections as requests arrive).
    SimBank bank() const;
    /// Changes the state in place under the simulator's lock.
    void editBank(const std::function<void(SimBank&)>& edit);
    SimFaults faults() const;
    /// Takes effect for the next request; periodic sending restarts with the new periods.
    void setFaults(const SimFaults& faults);
    /// Whether requests() keeps the messages (on by default; a long-running unit turns it off,
    /// the count goes on).
    void setRecording(bool on);
    void setReplay(SimReplay* replay);

    /// Every message received, in order of arrival; each is in the record only once the unit
    /// has acted on it, so its reply is on its way and the state shows its effect.
    QList<QByteArray> requests() const;
    int requestCount() const;
    void clearRequests();
    /// Waits until at least n messages have been received since the last clearRequests();
    /// false after timeoutMs without them.
    bool waitForRequests(int n, int timeoutMs = 5000) const;
    /// Sends bytes as one message from the output port, as they are.
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
    Clock::time_point nextUnasked;
    int unaskedIndex = 0;

    bool recording = true;
    QList<QByteArray> recorded;
    int receivedCount = 0;
};
