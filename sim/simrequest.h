// SPDX-License-Identifier: MIT
// A message received by the simulated unit, parsed: which request it is and its fields, or
// why it is none. Parsing is a pure function of the bytes.
#pragma once

#include <QByteArray>
#include <QString>

struct SimRequest {
    enum Kind {
        NotSysEx, // not framed by F0 ... F7 (clock, notes, fragments)
        Foreign, // SysEx of another manufacturer
        Malformed, // our manufacturer, but a byte above 7F, a bad checksum or a wrong length
        Unknown, // well-formed, with a function the unit does not know
        ModelQuery,
        DisplayOffsetQuery,
        ProgramChange,
        BlockGridQuery,
        SelectXY,
        ParamValueQuery,
        CabNameQuery,
        PresetNameQuery,
        ParamInfoQuery,
        ParamStringsQuery,
    };

    static constexpr quint8 kModelQueryModel = 0x7F;

    static constexpr quint8 kFnModel = 0x00;
    static constexpr quint8 kFnParamValue = 0x02;
    static constexpr quint8 kFnTempo = 0x10;
    static constexpr quint8 kFnSelectXY = 0x11;
    static constexpr quint8 kFnCabName = 0x12;
    static constexpr quint8 kFnPresetNotice = 0x14;
    static constexpr quint8 kFnPresetName = 0x15;
    static constexpr quint8 kFnParamInfo = 0x16;
    static constexpr quint8 kFnBlockGrid = 0x20;
    static constexpr quint8 kFnParamStrings = 0x28;
    static constexpr quint8 kFnDisplayOffset = 0x35;
    static constexpr quint8 kFnProgramChange = 0x3C;
    static constexpr quint8 kFnModelReply = 0x64;

    Kind kind = NotSysEx;
    quint8 model = 0;
    quint8 function = 0;
    int number = 0; // preset or cabinet number
    quint16 block = 0;
    quint16 param = 0;
    bool y = false; // X/Y select: Y
    QString problem; // for NotSysEx, Foreign, Malformed and Unknown: what is wrong

    /// Parses one received message.
    static SimRequest parse(const QByteArray& bytes);
    /// True for the ten requests of the protocol.
    bool isRequest() const { return kind >= ModelQuery; }
    /// One line for logs: what the request asks, or what is wrong with the message.
    QString describe() const;
};
