// SPDX-License-Identifier: MIT
// Shows a scan's progress on a stream: a bar redrawn in place on a terminal, otherwise one
// line per change of the percentage, so a log file gets plain figures.
#pragma once

#include "scanjob.h"

#include <cstdio>

class ScanProgress {
public:
    ScanProgress(std::FILE* stream, bool terminal);

    void show(ScanJob::Phase phase, int percent);
    // Ends the bar's line, so what follows starts on a line of its own.
    void finish();

private:
    // The text shown for a phase at a percentage, without the line's ending.
    static QString barText(ScanJob::Phase phase, int percent);
    static QString lineText(ScanJob::Phase phase, int percent);

    std::FILE* stream;
    bool terminal;
    bool drawn = false;
    int lastPhase = -1;
    int lastPercent = -1;
};
