// SPDX-License-Identifier: MIT
// The identity a MIDI device gives in reply to the universal Identity Request
// (F0 7E <device> 06 02 ...): maker, family, model and software revision, with their text.
#pragma once

#include "qrtmididata.h"

#include <QString>

class QRtMidiDevIdent {
public:
    /// An empty identity.
    QRtMidiDevIdent();
    /// The identity taken from `reply`; empty when the reply is refused (see fromIdentData).
    explicit QRtMidiDevIdent(const QRtMidiData& reply);

    /// Empties every field; manufacturerIdLength goes back to 1.
    void clear();
    /// True when no manufacturer ID has been taken.
    bool isEmpty() const { return manufacturerId.isEmpty(); }

    /// Takes the fields from an identity reply. The reply must contain the header
    /// F0 7E XX 06 02 and hold every byte up to the last revision byte (14 bytes with a
    /// one-byte manufacturer ID, 16 with a three-byte one; the closing F7 may be missing).
    /// Fields are read from byte 0 of the reply even when the header lies further in. A
    /// refused reply changes nothing; a taken one overwrites the fields without clearing
    /// first.
    void fromIdentData(const QRtMidiData& reply);

    /// The maker's name from MidiNameToIds: "unknown" for an empty identity, "unknown "
    /// followed by the key in upper-case hex (e.g. "unknown 17C") for an ID without a row.
    QString getManufactureName() const;
    /// The family code, first byte low (first + second * 256); 0 when empty.
    quint16 getFamilyId() const;
    /// The first byte of the family code; 0 when empty.
    quint8 getFamilyByte() const;
    /// The model code, first byte low (first + second * 256); 0 when empty.
    quint16 getProductId() const;
    /// The first byte of the model code; 0 when empty.
    quint8 getProductByte() const;
    /// The first family and model bytes as four upper-case hex digits: "0203".
    QString getShortId() const;
    /// One line of text: "Identity: <family> <model> <maker ID> (<maker name>) <version>",
    /// all codes in hex, or "Orvane BC, v<version>" for that controller (maker 00 01 55,
    /// family 02 00, model 02 00).
    QString toString() const;

    /// The manufacturer ID bytes as received: one byte, or 00 and two more.
    QRtMidiData manufacturerId;
    /// The four revision bytes as characters joined by dots: "1.2.3.4" for 31 32 33 34.
    QString version;
    /// The device ID of the reply (byte 2).
    quint8 deviceId = 0;
    /// The two family code bytes as received, first byte low.
    QRtMidiData familyCode;
    /// The two model code bytes as received, first byte low.
    QRtMidiData productCode;
    /// F0, the manufacturer ID, the first family byte and the first model byte: the start
    /// shared by this device's own SysEx messages.
    QRtMidiData idPrefix;
    /// 1 or 3, the length of manufacturerId.
    int manufacturerIdLength = 1;
};
