// SPDX-License-Identifier: MIT
// A scan through AxeFX run by the application's ScanJob, with a probe on the link's ports that
// records each request handed to the MIDI library, the program's reaction time from a reply's
// arrival to the next request, and when the last message came.
#pragma once

#include <axefx.h>
#include <scanjob.h>

#include <QByteArray>
#include <QList>
#include <QVector>

#include <atomic>
#include <cstdint>

struct ScanFigures {
    QList<QByteArray> requests; // every message sent, in order
    int roundTrips = 0; // requests that await a reply
    std::int64_t wallNs = 0;
    std::int64_t cpuNs = 0; // the whole process
    long preemptions = 0; // of the scanning thread
    std::int64_t threadCpuNs = 0; // the scanning thread alone
    double idleCpuShare = 0; // the process with the link open and idle
    // From the arrival of a message on the input port's thread to the next request handed to
    // the library, for each request that follows an arrival.
    QVector<std::int64_t> reactionNs;
    ScanJob::Outcome outcome = ScanJob::NoDevice;
    QString outcomeText;
    // The pass that asks again for what went unanswered: the entries it asks for, its
    // requests and wall time (none when everything was answered at once).
    int askedAgain = 0;
    int askAgainRequests = 0;
    std::int64_t askAgainNs = 0;
    // From the last message that arrived to the end of the scan; the whole scan when none did.
    std::int64_t afterLastArrivalNs = 0;
};

// Whether the device answers a request with this function byte.
bool awaitsReply(unsigned char function);

class ScanProbe {
public:
    explicit ScanProbe(AxeFX& link, ScanFigures& figures);
    ~ScanProbe();
    ScanProbe(const ScanProbe&) = delete;
    ScanProbe& operator=(const ScanProbe&) = delete;

    // When the last message arrived, on bench::nowNs()'s clock; 0 before the first.
    std::int64_t lastArrivalNs() const { return latestArrivalNs.load(std::memory_order_acquire); }

private:
    AxeFX& link;
    ScanFigures& figures;
    // The arrival the next request reacts to, taken by that request.
    std::atomic<std::int64_t> pendingArrivalNs { 0 };
    std::atomic<std::int64_t> latestArrivalNs { 0 };
    QMetaObject::Connection arrivals;
    QMetaObject::Connection sends;
};

// Runs ScanJob on the connected unit, reading the cabinets of the first `presets` presets
// (every preset when it is the layout's count or more); the names are read whole either way.
// The record the scan read goes to `result`, whatever the outcome.
// With measureIdle, one idle second before the scan gives idleCpuShare.
ScanFigures scanThroughLink(AxeFX& link, int presets, ScanResult& result, bool measureIdle = true);
