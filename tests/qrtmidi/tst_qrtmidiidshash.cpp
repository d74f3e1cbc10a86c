// SPDX-License-Identifier: MIT
// The manufacturer name table: names by ID key at both ends of the list, a name listed twice
// or quoted, and no name for a key without a row.
#include "qrtmidiidshash.h"

#include <QtTest>

class TestQRtMidiIdsHash : public QObject {
    Q_OBJECT

private slots:
    void names()
    {
        const QHash<int, QByteArray> rows { { 0x01, "Sequential Circuits" }, { 0x40, "Kawai" },
            { 0x174, "Fractal Audio" }, { 0x207A, "\"MIDI-hardware\" R.Sowa" },
            { 0x4003, "D&M Holdings Inc." }, { 0x30, "" }, { 0x4002, "" } };
        for (auto row = rows.begin(); row != rows.end(); ++row)
            QCOMPARE(MidiNameToIds[row.key()], row.value());
    }
};

QTEST_GUILESS_MAIN(TestQRtMidiIdsHash)
#include "tst_qrtmidiidshash.moc"
