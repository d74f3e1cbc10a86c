// SPDX-License-Identifier: MIT
// Turns SIGINT into a Qt signal: the handler only writes a byte to a pipe, and a socket
// notifier on the pipe's other end emits interrupted() from the event loop, where stopping
// a scan is safe. A second Ctrl-C ends the program at once, as without the watch.
#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;

class ScanInterrupt : public QObject {
    Q_OBJECT

public:
    explicit ScanInterrupt(QObject* parent = nullptr);
    // Puts back the handler that was there before.
    ~ScanInterrupt() override;

    // False when the pipe or the handler could not be set up; Ctrl-C then ends the program.
    bool isWatching() const { return notifier != nullptr; }

signals:
    void interrupted();

private slots:
    void drain();

private:
    static void onSignal(int);

    QSocketNotifier* notifier = nullptr;
    struct sigaction previous { };
};
