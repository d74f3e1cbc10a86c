// SPDX-License-Identifier: MIT
// Turns Ctrl-C into a Qt signal: the system's handler only hands the event on, and
// interrupted() is emitted from the event loop, where stopping a scan is safe. A second
// Ctrl-C ends the program at once, as without the watch. How the event arrives is the
// platform's: a signal on POSIX systems, the console's control handler on Windows.
#pragma once

#include <QObject>

#include <memory>

class ScanInterrupt : public QObject {
    Q_OBJECT

public:
    explicit ScanInterrupt(QObject* parent = nullptr);
    // Puts back the handling that was there before.
    ~ScanInterrupt() override;

    // False when the handler could not be set up; Ctrl-C then ends the program.
    bool isWatching() const { return watch != nullptr; }

signals:
    void interrupted();

private:
    struct Watch;
    std::unique_ptr<Watch> watch;
};
