// SPDX-License-Identifier: MIT
#include "axefxsimengine.h"

#include "qrtmidiapi.h"
#include "qrtmidijack.h"

#include <RtMidi.h>

#include <algorithm>

namespace {

constexpr unsigned int kInputQueueLimit = 1024; // unused while the callback is installed
// A message that finds no room in the service's buffer for this long is dropped, so that a
// server that stopped its cycles cannot hold the unit's worker, and its stop(), for good.
constexpr int kRoomTimeoutMs = 1000;

quint32 nextRandom(quint32& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// The generator's first outputs from a small state are small too, and a small seed would drop
// the first reply at any rate: the seed is spread over all 32 bits first.
quint32 seedState(quint32 seed)
{
    quint32 state = (seed + 0x9E3779B9u) * 0x85EBCA6Bu;
    state ^= state >> 13;
    state *= 0xC2B2AE35u;
    state ^= state >> 16;
    return state ? state : 1;
}

} // namespace

AxeFxSimEngine::AxeFxSimEngine(const SimBank& bank)
    : device(bank)
{ }

AxeFxSimEngine::~AxeFxSimEngine()
{
    stop();
}

void AxeFxSimEngine::setPortNames(const SimPortNames& newNames)
{
    std::lock_guard<std::mutex> lock(mutex);
    names = newNames;
}

SimPortNames AxeFxSimEngine::portNames() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return names;
}

bool AxeFxSimEngine::start(QString* error)
{
    if (isRunning())
        return true;
    if (worker.joinable())
        worker.join();
    closePorts();
    if (!openPorts(error)) {
        closePorts();
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex);
    running = true;
    stopping = false;
    closeWhenSent = false;
    requestsSinceStart = 0;
    heldUntil = Clock::time_point();
    arrivals.clear();
    outgoing.clear();
    restartPeriods(Clock::now());
    worker = std::thread(&AxeFxSimEngine::run, this);
    return true;
}

bool AxeFxSimEngine::openPorts(QString* error)
{
    const SimPortNames wanted = portNames();
    const std::string client = wanted.client.toStdString();
    std::string reason;
    bool opened = true;
    try {
        if (opened && !wanted.input.isEmpty()) {
            in.reset(qrtCreateMidiIn(client, kInputQueueLimit, &reason));
            opened = in != nullptr;
            if (opened) {
                in->ignoreTypes(false, false, false);
                in->setCallback(&AxeFxSimEngine::receive, this);
                in->openVirtualPort(wanted.input.toStdString());
            }
        }
        if (opened && !wanted.output.isEmpty()) {
            out.reset(qrtCreateMidiOut(client, &reason));
            opened = out != nullptr;
            if (opened)
                out->openVirtualPort(wanted.output.toStdString());
        }
    } catch (const RtMidiError& e) {
        opened = false;
        reason = e.getMessage();
    }
    if (!opened && error)
        *error = QString::fromStdString(reason);
    return opened;
}

// Deleting the clients waits for the service's thread to leave the callback, which takes the
// lock, so this runs without it.
void AxeFxSimEngine::closePorts()
{
    in.reset();
    out.reset();
}

void AxeFxSimEngine::stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    if (worker.joinable())
        worker.join();
    closePorts();
    std::lock_guard<std::mutex> lock(mutex);
    running = false;
    arrivals.clear();
    outgoing.clear();
}

bool AxeFxSimEngine::isRunning() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return running;
}

void AxeFxSimEngine::receive(double, std::vector<unsigned char>* message, void* self)
{
    auto* engine = static_cast<AxeFxSimEngine*>(self);
    QByteArray bytes(reinterpret_cast<const char*>(message->data()), int(message->size()));
    {
        std::lock_guard<std::mutex> lock(engine->mutex);
        engine->arrivals.push_back(std::move(bytes));
    }
    engine->wake.notify_one();
}

void AxeFxSimEngine::run()
{
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
        handleArrivals(lock);
        schedulePeriodic(Clock::now());
        sendDue(lock);
        if (closeWhenSent && outgoing.empty())
            break;
        if (!arrivals.empty() || stopping)
            continue;
        const Clock::time_point next = nextWake();
        if (next == Clock::time_point::max())
            wake.wait(lock);
        else
            wake.wait_until(lock, next);
    }
    const bool vanishing = !stopping;
    running = false;
    lock.unlock();
    if (vanishing)
        closePorts();
}

void AxeFxSimEngine::handleArrivals(std::unique_lock<std::mutex>& lock)
{
    while (!arrivals.empty() && !stopping) {
        const QByteArray request = std::move(arrivals.front());
        arrivals.pop_front();
        if (closeWhenSent)
            continue;
        answer(request, Clock::now());
        if (recording)
            recorded.append(request);
        ++receivedCount;
        ++requestsSinceStart;
        if (currentFaults.closeAfterRequests > 0
            && requestsSinceStart >= currentFaults.closeAfterRequests)
            closeWhenSent = true;
        requestsChanged.notify_all();
        if (onRequest) {
            lock.unlock();
            onRequest(request);
            lock.lock();
        }
    }
}

void AxeFxSimEngine::answer(const QByteArray& request, Clock::time_point now)
{
    if (replay) {
        for (const SimReplay::Message& message : replay->answer(request))
            schedule(message.bytes, now + std::chrono::milliseconds(message.delayMs));
        return;
    }
    if (currentFaults.echoRequests)
        schedule(request, now);
    const SimAnswer result = device.answer(SimRequest::parse(request), currentFaults);
    if (result.stallMs > 0)
        heldUntil = std::max(heldUntil, now + std::chrono::milliseconds(result.stallMs));
    const Clock::time_point due = now + std::chrono::milliseconds(currentFaults.delayMs);
    const Clock::time_point replyDue = due + std::chrono::milliseconds(result.lateMs);
    for (const QByteArray& reply : result.replies) {
        if (!dropReply())
            schedule(reply, replyDue);
    }
    for (const QByteArray& notice : result.notices)
        schedule(notice, due);
}

bool AxeFxSimEngine::dropReply()
{
    ++repliesCounted;
    if (currentFaults.dropEvery > 0 && repliesCounted % currentFaults.dropEvery == 0)
        return true;
    if (currentFaults.dropRate <= 0.0)
        return false;
    return nextRandom(dropState) < currentFaults.dropRate * 4294967296.0;
}

void AxeFxSimEngine::schedule(const QByteArray& bytes, Clock::time_point due)
{
    const auto later = [](Clock::time_point t, const Outgoing& o) { return t < o.due; };
    outgoing.insert(
        std::upper_bound(outgoing.begin(), outgoing.end(), due, later), Outgoing { due, bytes });
}

void AxeFxSimEngine::schedulePeriodic(Clock::time_point now)
{
    if (currentFaults.tempoMs > 0 && now >= nextBeat) {
        schedule(device.tempoBeat(), now);
        nextBeat = std::max(nextBeat + std::chrono::milliseconds(currentFaults.tempoMs), now);
    }
    if (currentFaults.noiseMs > 0 && !currentFaults.noiseMessages.isEmpty() && now >= nextNoise) {
        noiseIndex %= currentFaults.noiseMessages.size();
        schedule(currentFaults.noiseMessages.at(noiseIndex++), now);
        nextNoise = std::max(nextNoise + std::chrono::milliseconds(currentFaults.noiseMs), now);
    }
    if (currentFaults.unaskedMs > 0 && now >= nextUnasked) {
        schedule(device.unasked(unaskedIndex++), now);
        nextUnasked
            = std::max(nextUnasked + std::chrono::milliseconds(currentFaults.unaskedMs), now);
    }
}

void AxeFxSimEngine::sendDue(std::unique_lock<std::mutex>& lock)
{
    const Clock::time_point now = Clock::now();
    if (now < heldUntil)
        return;
    std::vector<QByteArray> due;
    while (!outgoing.empty() && outgoing.front().due <= now) {
        due.push_back(std::move(outgoing.front().bytes));
        outgoing.pop_front();
    }
    if (due.empty())
        return;
    lock.unlock();
    for (const QByteArray& bytes : due)
        send(bytes);
    lock.lock();
}

// The worker is the only sender, so the output client needs no lock of its own.
bool AxeFxSimEngine::send(const QByteArray& bytes)
{
    if (!out || bytes.isEmpty()
        || !qrtWaitForJackRoom(out.get(), std::size_t(bytes.size()), kRoomTimeoutMs))
        return false;
    try {
        out->sendMessage(reinterpret_cast<const unsigned char*>(bytes.constData()), bytes.size());
    } catch (const RtMidiError&) {
        return false;
    }
    return true;
}

void AxeFxSimEngine::restartPeriods(Clock::time_point now)
{
    nextBeat = now + std::chrono::milliseconds(currentFaults.tempoMs);
    nextNoise = now + std::chrono::milliseconds(currentFaults.noiseMs);
    nextUnasked = now + std::chrono::milliseconds(currentFaults.unaskedMs);
}

AxeFxSimEngine::Clock::time_point AxeFxSimEngine::nextWake() const
{
    Clock::time_point next = Clock::time_point::max();
    if (!outgoing.empty())
        next = std::max(outgoing.front().due, heldUntil);
    if (currentFaults.tempoMs > 0)
        next = std::min(next, nextBeat);
    if (currentFaults.noiseMs > 0 && !currentFaults.noiseMessages.isEmpty())
        next = std::min(next, nextNoise);
    if (currentFaults.unaskedMs > 0)
        next = std::min(next, nextUnasked);
    return next;
}

SimBank AxeFxSimEngine::bank() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return device.bank();
}

void AxeFxSimEngine::editBank(const std::function<void(SimBank&)>& edit)
{
    std::lock_guard<std::mutex> lock(mutex);
    edit(device.bank());
}

SimFaults AxeFxSimEngine::faults() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return currentFaults;
}

void AxeFxSimEngine::setFaults(const SimFaults& faults)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        currentFaults = faults;
        dropState = seedState(faults.dropSeed);
        repliesCounted = 0;
        noiseIndex = 0;
        restartPeriods(Clock::now());
    }
    wake.notify_all();
}

void AxeFxSimEngine::setRecording(bool on)
{
    std::lock_guard<std::mutex> lock(mutex);
    recording = on;
}

void AxeFxSimEngine::setReplay(SimReplay* newReplay)
{
    std::lock_guard<std::mutex> lock(mutex);
    replay = newReplay;
}

QList<QByteArray> AxeFxSimEngine::requests() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return recorded;
}

int AxeFxSimEngine::requestCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return receivedCount;
}

void AxeFxSimEngine::clearRequests()
{
    std::lock_guard<std::mutex> lock(mutex);
    recorded.clear();
    receivedCount = 0;
}

bool AxeFxSimEngine::waitForRequests(int n, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(mutex);
    return requestsChanged.wait_for(
        lock, std::chrono::milliseconds(timeoutMs), [&] { return receivedCount >= n; });
}

void AxeFxSimEngine::sendRaw(const QByteArray& message)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        schedule(message, Clock::now());
    }
    wake.notify_all();
}
