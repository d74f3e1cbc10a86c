// SPDX-License-Identifier: MIT
#include "scanoverlay.h"

#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {
const int kStatusPointSize = 30;
const int kBarMinimumHeight = 20;
} // namespace

ScanOverlay::ScanOverlay(QWidget* covered, const QString& text)
    : QWidget(covered)
    , status(new QLabel(text, this))
    , note(new QLabel(this))
    , bar(new QProgressBar(this))
{
    // Filled, so nothing of the table it hides shows around its texts.
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);

    status->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    status->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    status->setFont(QFont(font().family(), kStatusPointSize));

    note->setAlignment(Qt::AlignHCenter);
    note->hide();
    auto* hint = new QLabel(tr("Hit Esc to abort"), this);
    hint->setAlignment(Qt::AlignHCenter);

    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    bar->setMinimumHeight(kBarMinimumHeight);

    layout->addWidget(status);
    layout->addWidget(note);
    layout->addWidget(hint);
    layout->addWidget(bar);

    setGeometry(covered->rect());
    covered->installEventFilter(this);
    show();
}

void ScanOverlay::setStatus(const QString& text)
{
    status->setText(text);
}

void ScanOverlay::setNote(const QString& text)
{
    note->setText(text);
    note->setVisible(!text.isEmpty());
}

void ScanOverlay::setProgress(int percent)
{
    bar->setValue(percent);
}

bool ScanOverlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}
