// SPDX-License-Identifier: MIT
// Times what follows a scan: entering every preset's cabinets in a fresh record and indexing
// them by cabinet, building the rows of both cross-reference views and writing each view as a
// CSV file.
#pragma once

#include <QtGlobal>

class ScanResult;

struct TableFigures {
    int repeats = 0;
    int presetRows = 0;
    int cabRows = 0;
    qint64 csvBytes = 0;
    double medianNs = 0;
    double maxNs = 0;
    bool written = false;
};

TableFigures timeTablesAndCsv(const ScanResult& scan, int repeats);
