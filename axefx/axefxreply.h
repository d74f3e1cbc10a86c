// SPDX-License-Identifier: MIT
// Finding AxeFx replies among incoming messages and reading their fields. Pure byte work:
// every reader stays inside the bytes it is given and reports a reply too short as none.
#pragma once

#include "axefxmessage.h"

#include <QtContainerFwd>
#include <QtGlobal>

class QString;

// What the parameter info reply tells about a parameter: four raw 32-bit words and flags.
struct param_infos {
    quint32 words[4] = {};
    quint8 flags = 0;

    // Word i read as the IEEE 754 single its bits hold.
    float wordAsFloat(int i) const;
};

namespace axefx {

constexpr int kBlockGridCells = 48;
constexpr int kBlockGridCellSize = 4;
constexpr int kNameTextOffset = 8;
// Shortest replies whose fields can be read: with an empty text the checksum follows at once.
constexpr int kNameReplyMinSize = kNameTextOffset + 2;
constexpr int kParamStringsMinSize = 8;

struct ParamValue {
    unsigned short block = 0;
    unsigned short param = 0;
    short value = 0;
};

struct CabBlocks {
    bool cab1 = false;
    bool cab2 = false;
};

// Position of the first reply header (F0 00 01 74 model function) in data, or -1.
int findReplyHeader(
    const unsigned char* data, int size, unsigned char model, unsigned char function);

// The first header hit when at least minSize bytes from it lie inside the message, else -1.
int matchHeaderReply(
    const unsigned char* data, int size, unsigned char model, unsigned char function, int minSize);

// A reply of known length once the model is known: the first header hit counts when its
// F7 stands at replyLength - 1; otherwise the message holds no reply. Position or -1; always
// -1 for a replyLength below the header's size.
int matchKnownLength(const unsigned char* data, int size, unsigned char model,
    unsigned char function, int replyLength);

// A reply of known length during discovery: the first F0 00 01 74 followed by the function at
// offset 5 with replyLength bytes inside the message. The model byte and F7 are not looked at.
// A negative replyLength matches nothing.
int matchDiscoveryReply(
    const unsigned char* data, int size, unsigned char function, int replyLength);

// Whether a reply runs whole to the end of its message: F7 last and, before it, the checksum
// of every byte from its F0 on. A reply of no fixed length (a name, the parameter texts) that
// was cut short shows it only so.
bool replyIntact(const unsigned char* reply, int size);

// A number a reply repeats from its request, at offset from the reply's F0: 14 bits, low part
// first (cabinets, blocks, parameters). A negative value asks for nothing.
struct Echo {
    int offset = 0;
    int value = -1;
};

// Everything a message must hold to be the reply to one request.
struct ReplyPattern {
    unsigned char model = 0; // 0: during discovery, any model byte
    unsigned char function = 0;
    int length = -1; // a fixed length, or negative: the reply runs to the end of its message
    int minSize = kHeaderSize + 2; // for a reply without fixed length
    Echo echoes[2];
};

// Position of the reply in a message, or -1: its header found as matchKnownLength,
// matchDiscoveryReply or matchHeaderReply find it, whole (replyIntact over the fixed length, or
// to the end of the message), and repeating every number the request asked about.
int matchReply(const unsigned char* data, int size, const ReplyPattern& pattern);

// The readers take a reply from its F0 to the end of its message (size bytes).

// The name text from byte 8 up to the first 00, never taking the checksum at size - 2,
// as Latin-1 with outer blanks removed and inner runs of white space made one blank.
bool readNameText(const unsigned char* reply, int size, QString& name);
// Cabinet number (bytes 6-7) and name of a cabinet name reply.
bool readCabNameReply(const unsigned char* reply, int size, unsigned short& cab, QString& name);
// Block (6-7), parameter (8-9) and signed value (10-12) of a parameter value reply.
bool readParamValueReply(const unsigned char* reply, int size, ParamValue& out);
// The record of a parameter info reply; out is untouched when the reply is too short.
bool readParamInfos(const unsigned char* reply, int size, param_infos& out);
// Appends the 00-ended UTF-8 texts from byte 6 to out; a reply whose byte 7 is F7 holds none.
bool readParamStrings(const unsigned char* reply, int size, QStringList& out);
// Which of the two cabinet blocks stand in the 48 cells of a block grid reply.
bool readCabBlocks(const unsigned char* reply, int size, CabBlocks& out);

} // namespace axefx
