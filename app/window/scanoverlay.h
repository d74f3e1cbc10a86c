// SPDX-License-Identifier: MIT
// The panel shown over the main window while a scan runs: a large status text above a
// progress bar that follows the status bar's.
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

class ScanOverlay : public QWidget {
    Q_OBJECT

public:
    // Shows the overlay with the given status in the middle of window; its bar mirrors
    // the values of progress.
    ScanOverlay(QWidget* window, QProgressBar* progress, const QString& text);

    void setStatus(const QString& text);

private:
    void centreIn(const QWidget* window);

    QLabel* status;
    QProgressBar* bar;
};
