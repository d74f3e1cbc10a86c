// SPDX-License-Identifier: MIT
// A scan through AxeFX as the main window runs it (names, then the cabinets of every preset,
// then preset 0), with a probe on the link's ports that records each request handed to the
// MIDI library and the program's reaction time from a reply's arrival to the next request.
#pragma once

#include <axefx.h>
#include <crossreference.h>

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
};

// Whether the device answers a request with this function byte.
bool awaitsReply(unsigned char function);

class ScanProbe {
public:
    explicit ScanProbe(AxeFX& link, ScanFigures& figures);
    ~ScanProbe();
    ScanProbe(const ScanProbe&) = delete;
    ScanProbe& operator=(const ScanProbe&) = delete;

private:
    AxeFX& link;
    ScanFigures& figures;
    std::atomic<std::int64_t> lastArrivalNs { 0 };
    QMetaObject::Connection arrivals;
    QMetaObject::Connection sends;
};

struct ScanResult {
    UsageLists presetCabs;
    UsageLists cabPresets;
};

// Scans the first `presets` presets and `cabs` cabinets of the connected unit. A scan of the
// whole layout uses the link's own name fills; a smaller one asks the same queries in the
// same loop for the first names only.
// With measureIdle, one idle second before the scan gives idleCpuShare.
ScanFigures scanThroughLink(
    AxeFX& link, int presets, int cabs, ScanResult& result, bool measureIdle = true);
