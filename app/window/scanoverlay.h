// SPDX-License-Identifier: MIT
// The panel that covers the table while a scan runs: a large status text, a note while the
// unit does not answer, how to stop the scan, and the scan's progress bar.
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

class ScanOverlay : public QWidget {
    Q_OBJECT

public:
    // Shows the overlay with the given status over the whole of covered, which it follows
    // when covered is resized.
    ScanOverlay(QWidget* covered, const QString& text);

    void setStatus(const QString& text);
    // An empty note hides it.
    void setNote(const QString& text);
    void setProgress(int percent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* status;
    QLabel* note;
    QProgressBar* bar;
};
