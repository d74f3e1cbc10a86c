// SPDX-License-Identifier: MIT
// The table from SysEx manufacturer IDs to makers' names, and its program-wide instance.
// Keys: a one-byte ID is its value (0x41); a three-byte ID 00 xx yy is xx * 256 + yy (0x174).
#pragma once

#include <QByteArray>
#include <QHash>

/// One row of the manufacturer list: an ID key and the maker's name as UTF-8 text.
struct QRtMidiIdRow {
    int key;
    const char* name;
};

/// The manufacturer rows in the order of the published list (generated source).
extern const QRtMidiIdRow kMidiIdArray[];
/// The number of rows in kMidiIdArray.
extern const int kMidiIdArraySize;

class QRtMidiIdsHash : public QHash<int, QByteArray> {
public:
    /// Fills the table from kMidiIdArray in array order; a later row with the same key
    /// replaces the earlier one.
    QRtMidiIdsHash();
    ~QRtMidiIdsHash();
};

/// The program-wide table, filled during static initialisation and only read afterwards.
/// It is const so that a lookup of a key without a row (which yields an empty name)
/// never inserts into it and concurrent lookups stay safe.
extern const QRtMidiIdsHash MidiNameToIds;
