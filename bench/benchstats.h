// SPDX-License-Identifier: MIT
// Small measuring helpers for the benchmarks: the process's CPU clock and percentiles.
#pragma once

#include <QVector>

#include <cstdint>

namespace bench {

// Monotonic wall clock in nanoseconds, the same clock on every thread.
std::int64_t nowNs();
// CPU time of the whole process (user and system, every thread) in nanoseconds.
std::int64_t processCpuNs();
// CPU time of the calling thread in nanoseconds.
std::int64_t threadCpuNs();
// How often the calling thread has been preempted (involuntary context switches).
long threadPreemptions();
// The process's CPU share (percent) while the calling thread idles in its event loop for
// `ms`: what the MIDI service's own threads cost an open client that does nothing.
double idleCpuShare(int ms);

// The q-quantile (0..1) of the samples, nearest rank; 0 for no samples.
double quantile(QVector<std::int64_t> samples, double q);

} // namespace bench
