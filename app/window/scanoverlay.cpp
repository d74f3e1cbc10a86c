// SPDX-License-Identifier: MIT
#include "scanoverlay.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {
const int kStatusPointSize = 30;
const int kBarMinimumHeight = 20;
} // namespace

ScanOverlay::ScanOverlay(QWidget* window, QProgressBar* progress, const QString& text)
    : QWidget(window)
    , status(new QLabel(this))
    , bar(new QProgressBar(this))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto* layout = new QVBoxLayout(this);

    status->setText(text);
    status->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    status->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    status->setFont(QFont(font().family(), kStatusPointSize));
    status->setAutoFillBackground(true);

    bar->setRange(0, 100);
    connect(progress, SIGNAL(valueChanged(int)), bar, SLOT(setValue(int)));
    bar->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    bar->setMinimumHeight(kBarMinimumHeight);

    layout->addWidget(status);
    layout->addWidget(bar);
    status->adjustSize();
    adjustSize();

    centreIn(window);
    show();
}

void ScanOverlay::setStatus(const QString& text)
{
    status->setText(text);
}

void ScanOverlay::centreIn(const QWidget* window)
{
    // Placed once; it does not follow later resizes of the window.
    move((window->width() - 1) / 2 - width() / 2, (window->height() - 1) / 2 - height() / 2);
}
