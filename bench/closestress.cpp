// SPDX-License-Identifier: MIT
// tollmark-closestress: opens and closes the program's port pair against the simulated unit
// again and again, with the unit's messages flowing while the ports close, and counts the
// cycles that crashed or hung. Run it on a private JACK server (scripts/with-jack).
//
// The cycles run in a child process; a child that dies of a signal or stops making progress
// is counted against its cycle and the next child goes on with the cycle after it. A cycle
// that ends, but only after the server kept it waiting for seconds, is counted as stalled.
// A stall or a hang ends the run early: a JACK server that held up a cycle mostly goes on
// holding up every later one, so the cycles after it would measure the server, not us; run
// again, on a fresh server, for the rest.
#include "axefx.h"
#include "axefxsim.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kDefaultCycles = 1000;
// A cycle takes well under a second. One that takes longer than kStallMs was held up by the
// server, which waits up to 20 s (ten client timeouts) for a cycle of its graph to end; one
// that has not ended in kHangMs is hung.
constexpr int kStallMs = 3000;
constexpr int kHangMs = 60000;
// The unit's clock and sensing messages keep arriving while the ports close.
constexpr int kNoiseMs = 1;
constexpr int kProgressEvery = 250;

enum CycleResult : char { kDone = 'd', kFailed = 'f' };

// One cycle as the program and the unit live it: the unit starts, the program searches for
// it, finds it, asks for something and searches again (deleting and recreating its clients),
// or, every other cycle, finds no port of that name; the program closes, and the unit then
// stops.
CycleResult runCycle(int cycle)
{
    const bool findsUnit = cycle % 2 == 0;
    AxeFxSim sim;
    if (!findsUnit)
        sim.setPortNames({ "A X E", "A X E In", "A X E Out" });
    SimFaults faults;
    faults.noiseMs = kNoiseMs;
    sim.setFaults(faults);
    sim.setRecording(false);
    if (!sim.start())
        return kFailed;
    bool ok = true;
    {
        AxeFX axefx;
        if (findsUnit)
            ok = axefx.findAxeFx() && axefx.ReadDisplayOffset() && axefx.findAxeFx();
        else
            ok = !axefx.findAxeFx() && axefx.midiIn.getPortCount() > 0;
    }
    sim.stop();
    return ok ? kDone : kFailed;
}

[[noreturn]] void runChild(int argc, char** argv, int first, int cycles, int reportFd)
{
    QCoreApplication app(argc, argv);
    for (int cycle = first; cycle < cycles; ++cycle) {
        const char result = runCycle(cycle);
        if (write(reportFd, &result, 1) != 1)
            break;
    }
    std::fflush(nullptr);
    _exit(0);
}

struct Counts {
    int done = 0;
    int failed = 0;
    int crashed = 0;
    int hung = 0;
    int stalled = 0;
    int cycles() const { return done + failed + crashed + hung; }
};

// Starts a child at cycle `first` and reads its reports until it ends; returns false when
// the child could not be started.
bool superviseChild(int argc, char** argv, int cycles, Counts& counts)
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    const int first = counts.cycles();
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        close(fds[0]);
        runChild(argc, argv, first, cycles, fds[1]);
    }
    close(fds[1]);
    bool childGone = false;
    QElapsedTimer cycleClock;
    cycleClock.start();
    while (!childGone) {
        pollfd p { fds[0], POLLIN, 0 };
        const int ready = poll(&p, 1, kHangMs);
        char result = 0;
        if (ready > 0 && read(fds[0], &result, 1) == 1) {
            (result == kDone ? counts.done : counts.failed)++;
            if (counts.cycles() % kProgressEvery == 0)
                std::fprintf(stderr, "%d cycles\n", counts.cycles());
            const qint64 ms = cycleClock.restart();
            if (ms <= kStallMs)
                continue;
            counts.stalled++;
            std::fprintf(stderr, "cycle %d stalled: %lld ms\n", counts.cycles() - 1, ms);
            kill(pid, SIGKILL);
        }
        if (ready == 0) {
            kill(pid, SIGKILL);
            counts.hung++;
            std::fprintf(stderr, "cycle %d hung\n", counts.cycles());
        }
        childGone = true;
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFSIGNALED(status) && WTERMSIG(status) != SIGKILL) {
        counts.crashed++;
        std::fprintf(
            stderr, "cycle %d crashed: %s\n", counts.cycles(), strsignal(WTERMSIG(status)));
    } else if (counts.cycles() == first) {
        counts.failed++;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int cycles = kDefaultCycles;
    if (argc > 2 && std::strcmp(argv[1], "--cycles") == 0)
        cycles = std::atoi(argv[2]);
    if (cycles <= 0 || argc == 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s [--cycles N]   (default %d)\n", argv[0], kDefaultCycles);
        return 2;
    }
    Counts counts;
    while (counts.cycles() < cycles && counts.stalled + counts.hung == 0) {
        if (!superviseChild(argc, argv, cycles, counts)) {
            std::perror("fork");
            return 1;
        }
    }
    std::printf("cycles %d  completed %d (stalled %d)  failed to connect %d  crashed %d  hung %d\n",
        counts.cycles(), counts.done, counts.stalled, counts.failed, counts.crashed, counts.hung);
    return counts.crashed + counts.hung + counts.stalled == 0 ? 0 : 1;
}
