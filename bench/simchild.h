// SPDX-License-Identifier: MIT
// The simulated unit in a child process of its own, so that neither its CPU time nor its
// threads count against the scanning process whose costs the benchmarks measure.
#pragma once

#include "simfaults.h"

#include <QProcess>
#include <QStringList>

class SimChild {
public:
    // The option that makes the benchmark program serve as the unit instead.
    static const char* const kServeOption;

    SimChild() = default;
    ~SimChild();
    SimChild(const SimChild&) = delete;
    SimChild& operator=(const SimChild&) = delete;

    // Starts the unit with the built-in bank of `model`, answering each request after the
    // faults' delayMs, dropping every dropEvery-th reply and closing its ports after
    // closeAfterRequests requests (the other faults are not passed on); returns once its
    // ports are open, false when it did not come up.
    bool start(int model, const SimFaults& faults = SimFaults());
    void stop();

    // The child's side: runs the unit described by the arguments after kServeOption until
    // standard input closes. Returns the process exit code.
    static int serve(const QStringList& arguments);

private:
    QProcess process;
};
