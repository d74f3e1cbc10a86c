// SPDX-License-Identifier: MIT
// The command line of tollmark-scan: which views to write, where to, and what else to do
// instead of a scan.
#pragma once

#include "crossreference.h"

#include <QList>
#include <QString>
#include <QStringList>

struct ScanOptions {
    QList<CrossReference::View> views { CrossReference::PresetCabs };
    QString output; // empty: standard output
    bool keepPartial = false;
    bool listPorts = false;
    bool showHelp = false;
    QString helpText;

    // Reads the arguments, program name first; false with a one-line reason in error.
    static bool parse(const QStringList& arguments, ScanOptions& options, QString& error);
};
