// SPDX-License-Identifier: MIT
// The console calls its control handlers on a thread of its own; the handler posts the
// event to the watch's thread through Qt's queued call, which is safe from any thread.
#include "scaninterrupt.h"

#include <QMutex>
#include <QMutexLocker>

#include <windows.h>

namespace {
// One watch per process: the console's handler reaches only static state. The lock keeps
// the watch from going while the handler posts to it.
QMutex watchLock;
ScanInterrupt* watching = nullptr;
bool interruptedOnce = false;

BOOL WINAPI onControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    QMutexLocker locker(&watchLock);
    // A second Ctrl-C goes on to the default handler, which ends the program, so it is not
    // ignored when the scan hangs in a place that does not look at the stop request.
    if (!watching || interruptedOnce)
        return FALSE;
    interruptedOnce = true;
    ScanInterrupt* target = watching;
    QMetaObject::invokeMethod(
        target, [target] { emit target->interrupted(); }, Qt::QueuedConnection);
    return TRUE;
}
} // namespace

struct ScanInterrupt::Watch { };

ScanInterrupt::ScanInterrupt(QObject* parent)
    : QObject(parent)
{
    QMutexLocker locker(&watchLock);
    // A second watch stays idle and leaves the first one alone.
    if (watching || !SetConsoleCtrlHandler(&onControl, TRUE))
        return;
    watching = this;
    interruptedOnce = false;
    watch = std::make_unique<Watch>();
}

ScanInterrupt::~ScanInterrupt()
{
    if (!watch)
        return;
    SetConsoleCtrlHandler(&onControl, FALSE);
    QMutexLocker locker(&watchLock);
    watching = nullptr;
}
