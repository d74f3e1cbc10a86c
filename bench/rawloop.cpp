// SPDX-License-Identifier: MIT
#include "rawloop.h"

#include "benchstats.h"
#include "scanrun.h"

#include <axefxmessage.h>
#include <qrtmidiapi.h>

#include <RtMidi.h>

#include <chrono>

namespace {

constexpr int kSilenceTimeoutMs = 1000;
constexpr unsigned int kQueueLimit = 1024;
constexpr int kIdleMs = 1000;

int findPort(RtMidi& midi)
{
    const unsigned int count = midi.getPortCount();
    for (unsigned int i = 0; i < count; ++i) {
        if (QString::fromStdString(midi.getPortName(i)).toUpper().contains(QLatin1String("AXE")))
            return int(i);
    }
    return -1;
}

} // namespace

RawLoop::RawLoop() = default;

RawLoop::~RawLoop()
{
    if (in)
        in->closePort();
    if (out)
        out->closePort();
}

bool RawLoop::open(QString* error)
{
    std::string why;
    // Output first, as the link opens its ports. The order a process's JACK clients are made
    // in changes how their threads meet in each cycle: made input first, this loop reacted
    // in 25 us instead of 7 and so was no longer the link's like.
    out.reset(qrtCreateMidiOut("Raw Loop Output", &why));
    in.reset(qrtCreateMidiIn("Raw Loop Input", kQueueLimit, &why));
    if (!in || !out) {
        *error = QString::fromStdString(why);
        return false;
    }
    const int inPort = findPort(*in);
    const int outPort = findPort(*out);
    if (inPort < 0 || outPort < 0) {
        *error = QStringLiteral("no AXE ports");
        return false;
    }
    try {
        in->setCallback(&RawLoop::receive, this);
        in->ignoreTypes(false, false, false);
        out->openPort(unsigned(outPort), "RtMidi");
        in->openPort(unsigned(inPort), "RtMidi");
    } catch (const RtMidiError& e) {
        *error = QString::fromStdString(e.getMessage());
        return false;
    }
    return true;
}

void RawLoop::receive(double, std::vector<unsigned char>* message, void* self)
{
    auto* loop = static_cast<RawLoop*>(self);
    const std::int64_t now = bench::nowNs();
    {
        std::lock_guard<std::mutex> lock(loop->mutex);
        loop->inbox.push_back({ now, *message });
    }
    loop->arrived.notify_one();
}

bool RawLoop::waitForReply(unsigned char model, unsigned char function, std::int64_t& arrivalNs)
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        if (!arrived.wait_for(lock, std::chrono::milliseconds(kSilenceTimeoutMs),
                [this] { return !inbox.empty(); }))
            return false;
        const Arrival message = std::move(inbox.front());
        inbox.pop_front();
        const std::vector<unsigned char>& m = message.bytes;
        if (m.size() > 6 && m[0] == 0xF0 && m[1] == 0x00 && m[2] == 0x01 && m[3] == 0x74
            && m[4] == model && m[5] == function) {
            arrivalNs = message.atNs;
            return true;
        }
    }
}

RawFigures RawLoop::run(const QList<QByteArray>& requests, bool measureIdle)
{
    RawFigures figures;
    std::vector<unsigned char> bytes;
    std::int64_t replyAt = 0;
    if (measureIdle)
        figures.idleCpuShare = bench::idleCpuShare(kIdleMs);
    const std::int64_t thread0 = bench::threadCpuNs();
    const long preempted0 = bench::threadPreemptions();
    const std::int64_t cpu0 = bench::processCpuNs();
    const std::int64_t wall0 = bench::nowNs();
    for (const QByteArray& request : requests) {
        if (request.size() <= axefx::kFunctionOffset)
            continue;
        {
            std::lock_guard<std::mutex> lock(mutex);
            inbox.clear();
        }
        bytes.assign(request.begin(), request.end());
        out->sendMessage(&bytes);
        if (replyAt) {
            figures.reactionNs.append(bench::nowNs() - replyAt);
            replyAt = 0;
        }
        const unsigned char function = quint8(request.at(axefx::kFunctionOffset));
        if (!awaitsReply(function))
            continue;
        ++figures.roundTrips;
        const unsigned char model = quint8(request.at(axefx::kModelOffset));
        const unsigned char replyFunction = function == axefx::kFunctionModel
            ? static_cast<unsigned char>(axefx::kFunctionModelReply)
            : function;
        if (!waitForReply(model, replyFunction, replyAt))
            ++figures.unanswered;
    }
    figures.wallNs = bench::nowNs() - wall0;
    figures.cpuNs = bench::processCpuNs() - cpu0;
    figures.threadCpuNs = bench::threadCpuNs() - thread0;
    figures.preemptions = bench::threadPreemptions() - preempted0;
    return figures;
}
