// SPDX-License-Identifier: MIT
// SIGINT's handler only writes a byte to a pipe; a socket notifier on the pipe's other end
// wakes the event loop.
#include "scaninterrupt.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
// One watch per process: a signal handler can reach only static state.
int pipeEnds[2] = { -1, -1 };

void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a wake-up; losing this byte loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = saved;
}

void closePipe()
{
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}
} // namespace

struct ScanInterrupt::Watch {
    struct sigaction previous { };
    std::unique_ptr<QSocketNotifier> notifier;
};

ScanInterrupt::ScanInterrupt(QObject* parent)
    : QObject(parent)
{
    // A second watch stays idle and leaves the first one's pipe alone.
    if (pipeEnds[0] >= 0)
        return;
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipeEnds[0] = pipeEnds[1] = -1;
        return;
    }
    auto w = std::make_unique<Watch>();
    struct sigaction action { };
    action.sa_handler = &onSignal;
    sigemptyset(&action.sa_mask);
    // The first signal arms the default action again, so a second Ctrl-C is not ignored
    // when the scan hangs in a place that does not look at the stop request.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    if (::sigaction(SIGINT, &action, &w->previous) != 0) {
        closePipe();
        return;
    }
    w->notifier = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    connect(w->notifier.get(), &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) { }
        emit interrupted();
    });
    watch = std::move(w);
}

ScanInterrupt::~ScanInterrupt()
{
    if (!watch)
        return;
    ::sigaction(SIGINT, &watch->previous, nullptr);
    watch.reset();
    closePipe();
}
