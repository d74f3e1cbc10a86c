// SPDX-License-Identifier: MIT
// The user cabinet slots that no preset uses: where new cabinets can be loaded without
// changing any preset. Known only once every preset's cabinets were read.
#pragma once

#include <QList>

class ScanResult;

// The slot numbers, named slots first and empty ones after them, each group in ascending
// order; none while any preset's cabinets are unread, since that preset may use any slot.
QList<int> unusedUserCabs(const ScanResult& result);

// Why no slot is listed while some preset's cabinets are unread: "No slot is known to be
// unused: the cabs of 2 presets could not be read". Empty when the list is known.
QString unusedUnknownReason(const ScanResult& result);
