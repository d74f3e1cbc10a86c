// SPDX-License-Identifier: MIT
// The command line of tollmark-scan: which views to write, in which format, where to, what
// to compare the scan with, and what else to do instead of a scan.
#pragma once

#include "crossreference.h"

#include <QList>
#include <QString>
#include <QStringList>

struct ScanOptions {
    enum Format { Csv, Json, Pdf, Text };

    QList<CrossReference::View> views { CrossReference::PresetCabs };
    Format format = Csv;
    bool unused = false; // the unused user cabinet slots instead of the tables
    QString output; // empty: standard output
    QString compare; // a saved scan to compare the scan with: the older one
    QString compareWith; // a saved scan to compare instead of the unit's: the newer one
    bool keepPartial = false;
    QString port; // the text the port names contain; empty: the link's own, "AXE"
    QString trace; // a file for the MIDI trace of the search and the scan
    bool listPorts = false;
    bool showHelp = false;
    bool showVersion = false;
    QString helpText;

    // Reads the arguments, program name first; false with a one-line reason in error.
    static bool parse(const QStringList& arguments, ScanOptions& options, QString& error);
};
