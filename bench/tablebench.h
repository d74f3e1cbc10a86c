// SPDX-License-Identifier: MIT
// Times what follows a scan: entering every preset in both result vectors, building the rows
// of both cross-reference views and writing each view as a CSV file.
#pragma once

#include "scanrun.h"

#include <cstdint>

class Catalogue;

struct TableFigures {
    int repeats = 0;
    int presetRows = 0;
    int cabRows = 0;
    qint64 csvBytes = 0;
    double medianNs = 0;
    double maxNs = 0;
    bool written = false;
};

TableFigures timeTablesAndCsv(const Catalogue& names, const ScanResult& scan, int repeats);
