// SPDX-License-Identifier: MIT
#include "scanprogress.h"

#include <QByteArray>

namespace {
constexpr int kBarWidth = 30;
constexpr int kPhaseWidth = 16;

int clamped(int percent)
{
    return qBound(0, percent, 100);
}
} // namespace

ScanProgress::ScanProgress(std::FILE* stream, bool terminal)
    : stream(stream)
    , terminal(terminal)
{ }

QString ScanProgress::barText(ScanJob::Phase phase, int percent)
{
    const int filled = clamped(percent) * kBarWidth / 100;
    return QStringLiteral("%1 [%2%3] %4%")
        .arg(ScanJob::phaseName(phase), -kPhaseWidth)
        .arg(QString(filled, QLatin1Char('#')), QString(kBarWidth - filled, QLatin1Char(' ')))
        .arg(clamped(percent), 3);
}

QString ScanProgress::lineText(ScanJob::Phase phase, int percent)
{
    return QStringLiteral("%1: %2%").arg(ScanJob::phaseName(phase)).arg(clamped(percent));
}

void ScanProgress::show(ScanJob::Phase phase, int percent)
{
    if (phase == lastPhase && clamped(percent) == lastPercent)
        return;
    const bool newPhase = phase != lastPhase;
    lastPhase = phase;
    lastPercent = clamped(percent);
    if (terminal) {
        // A new phase keeps the finished bar of the one before on its own line.
        if (newPhase && drawn)
            std::fputc('\n', stream);
        const QByteArray text = barText(phase, percent).toUtf8();
        std::fprintf(stream, "\r%s", text.constData());
        drawn = true;
    } else {
        std::fprintf(stream, "%s\n", lineText(phase, percent).toUtf8().constData());
    }
    std::fflush(stream);
}

void ScanProgress::finish()
{
    if (drawn)
        std::fputc('\n', stream);
    drawn = false;
    std::fflush(stream);
}
