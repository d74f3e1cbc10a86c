// SPDX-License-Identifier: MIT
// The command line of axefx-sim: the bank to load, the layout, port names and fault knobs.
#pragma once

#include "axefxsim.h"
#include "simfaults.h"

#include <QString>
#include <QStringList>

struct SimOptions {
    QString bankFile;
    int model = 0; // 0: the bank's own
    int displayOffset = -1; // -1: the bank's own
    SimPortNames ports;
    SimFaults faults;
    QString replayFile; // a MIDI trace to answer from instead of the bank
    bool replayTiming = false;
    bool verbose = false;
    bool dumpBank = false;
    bool showHelp = false;
    QString helpText;

    /// Reads the arguments (program name first); false with a reason in `error`.
    static bool parse(const QStringList& arguments, SimOptions* options, QString* error);
    /// The bank the options describe: the file's or the built-in one, with model and display
    /// offset applied; false with a reason in `error`.
    bool makeBank(SimBank* bank, QString* error) const;
};
