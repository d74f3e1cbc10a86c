// SPDX-License-Identifier: MIT
#include "qrtmidiidshash.h"

const QRtMidiIdsHash MidiNameToIds;

QRtMidiIdsHash::QRtMidiIdsHash()
{
    reserve(kMidiIdArraySize);
    for (int i = 0; i < kMidiIdArraySize; ++i)
        insert(kMidiIdArray[i].key, QByteArray(kMidiIdArray[i].name));
}

QRtMidiIdsHash::~QRtMidiIdsHash() = default;
