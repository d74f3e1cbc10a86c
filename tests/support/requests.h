// Every request of the AxeFx protocol byte for byte, with the fields it carries: one table for
// the message builders, the simulated unit's request parser and the readers of its replies.
#pragma once

#include <QByteArray>
#include <QtTest>

#include <iterator>

struct RequestRow {
    const char* name;
    quint8 function, model;
    int number; // preset or cabinet
    quint16 block, param;
    bool y;
    const char* hex;
    QByteArray bytes() const { return QByteArray::fromHex(hex); }
};

inline const RequestRow kRequests[] = {
    { "model query", 0x00, 0x7F, 0, 0, 0, false, "F0 00 01 74 7F 00 7A F7" },
    { "display offset", 0x35, 3, 0, 0, 0, false, "F0 00 01 74 03 35 7E 05 48 F7" },
    { "program change 300", 0x3C, 3, 300, 0, 0, false, "F0 00 01 74 03 3C 02 2C 14 F7" },
    { "program change 1, high first", 0x3C, 6, 1, 0, 0, false, "F0 00 01 74 06 3C 00 01 3E F7" },
    { "block grid", 0x20, 3, 0, 0, 0, false, "F0 00 01 74 03 20 26 F7" },
    { "block 108 to X", 0x11, 3, 0, 108, 0, false, "F0 00 01 74 03 11 6C 00 00 01 7A F7" },
    { "block 108 to Y", 0x11, 3, 0, 108, 0, true, "F0 00 01 74 03 11 6C 00 01 01 7B F7" },
    { "value of 108/12", 0x02, 3, 0, 108, 12, false, "F000017403026C000C0000000000 64F7" },
    { "value of 109/2, model 6", 0x02, 6, 0, 109, 2, false, "F000017406026D00020000000000 6EF7" },
    { "cabinet name 200", 0x12, 3, 200, 0, 0, false, "F0 00 01 74 03 12 48 01 5D F7" },
    { "cabinet name 1, low first", 0x12, 6, 1, 0, 0, false, "F0 00 01 74 06 12 01 00 10 F7" },
    { "preset name 300", 0x15, 3, 300, 0, 0, false, "F0 00 01 74 03 15 02 2C 3D F7" },
    { "preset name 1, high first", 0x15, 6, 1, 0, 0, false, "F0 00 01 74 06 15 00 01 17 F7" },
    { "info of 109/2, model 6", 0x16, 6, 0, 109, 2, false, "F0 00 01 74 06 16 6D 00 02 00 7A F7" },
    { "strings of 300/129", 0x28, 3, 0, 300, 129, false, "F0 00 01 74 03 28 2C 02 01 01 00 F7" },
};

// A column "row" indexing kRequests, one data row per request.
inline void addRequestRows()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(kRequests)); ++i)
        QTest::newRow(kRequests[i].name) << i;
}
