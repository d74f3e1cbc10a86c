// SPDX-License-Identifier: MIT
#include "scaninterrupt.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
// One watch per process: a signal handler can reach only static state.
int pipeEnds[2] = { -1, -1 };
} // namespace

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
    struct sigaction action { };
    action.sa_handler = &ScanInterrupt::onSignal;
    sigemptyset(&action.sa_mask);
    // The first signal arms the default action again, so a second Ctrl-C is not ignored
    // when the scan hangs in a place that does not look at the stop request.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    if (::sigaction(SIGINT, &action, &previous) != 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        pipeEnds[0] = pipeEnds[1] = -1;
        return;
    }
    notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &ScanInterrupt::drain);
}

ScanInterrupt::~ScanInterrupt()
{
    if (!notifier)
        return;
    ::sigaction(SIGINT, &previous, nullptr);
    delete notifier;
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void ScanInterrupt::onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a wake-up; losing this byte loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = saved;
}

void ScanInterrupt::drain()
{
    char bytes[16];
    while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) { }
    emit interrupted();
}
