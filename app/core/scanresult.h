// SPDX-License-Identifier: MIT
// The record of a scan: the layout it was read in, the names and the cabinets of every preset
// as the unit gave them, and for each of them whether it was read. Views, exports, printing
// and saving work from it alone, without the unit.
#pragma once

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVector>

using UsageLists = QVector<QList<int>>;

// Read: the unit answered. NotRead: it was asked and gave no answer, or a damaged one.
// NotReached: the scan ended before asking.
enum class ReadState : quint8 { Read, NotRead, NotReached };

class ScanResult {
public:
    // Before any scan: no layout and no rows.
    ScanResult() = default;
    // A scan about to begin on a unit of this model: every entry not reached yet.
    ScanResult(quint8 model, quint8 displayOffset);

    bool isEmpty() const { return model == 0; }
    // Every entry was asked for; some may still be unread.
    bool isComplete() const;

    int presetCount() const { return presetNames.size(); }
    int cabCount() const { return cabNames.size(); }
    int factoryCabCount() const;

    // The texts the views show: the name, or the mark of its state.
    QString presetName(int preset) const;
    // The label with the name or the state in brackets: "F1(4x12)", "U5()", "U6(not read)".
    QString cabName(unsigned short cab) const;
    // The name alone, empty for an empty slot or an unread name.
    QString bareCabName(unsigned short cab) const;

    // Stores one preset's cabinets; indexCabs() brings cabPresets up to date.
    void setUsage(int preset, const QList<int>& cabs, ReadState state);
    // The same, with the cabinets its blocks use in X and in Y.
    void setUsage(int preset, const QList<int>& cabs, const QList<int>& x, const QList<int>& y,
        ReadState state);
    // Lists every preset, in ascending order, under each cabinet it uses that exists.
    void indexCabs();

    // Names and usages in this state, all together.
    int count(ReadState state) const;
    // The presets whose usage is in this state, in ascending order.
    QList<int> presets(ReadState state) const;
    // Presets whose cabinets were asked for, read or not.
    int presetsReached() const;

    // "not read", "not reached"; empty for a read entry.
    static QString stateText(ReadState state);
    // The state in brackets, as the views and exports write it.
    static QString mark(ReadState state);
    // "1 preset", "3 presets".
    static QString presetsText(int count);
    // "120 of 384 presets read": presets whose cabinets were read.
    QString presetsReadText() const;
    // "3 entries could not be read", and whether the display offset could not be; empty when
    // all were read.
    QString notReadText() const;
    // Something the unit was asked for is not known: an entry or the display offset.
    bool hasUnread() const { return count(ReadState::NotRead) > 0 || !displayOffsetRead; }

    quint8 model = 0;
    quint8 displayOffset = 0;
    // False when the unit did not answer the display offset query: displayOffset is a guess,
    // and every preset number shown may be one off.
    bool displayOffsetRead = true;
    QDateTime scannedAt;

    QVector<QString> cabNames;
    QVector<ReadState> cabNameStates;
    QVector<QString> presetNames;
    QVector<ReadState> presetNameStates;
    // Per preset: the cabinets it uses, in the order read, and whether they were read.
    UsageLists presetCabs;
    QVector<ReadState> usageStates;
    // Per preset: the cabinets of presetCabs that its blocks use in their X settings and those
    // they use in their Y settings, in block order. A record saved before these were kept has
    // none (sidesKept false): its presets are known only by the cabinets they use.
    UsageLists presetCabsX;
    UsageLists presetCabsY;
    bool sidesKept = true;
    // Per cabinet: the presets that use it, derived from presetCabs.
    UsageLists cabPresets;
};

// Every member alike, the date to the millisecond.
bool operator==(const ScanResult& a, const ScanResult& b);
inline bool operator!=(const ScanResult& a, const ScanResult& b)
{
    return !(a == b);
}

Q_DECLARE_METATYPE(ScanResult)
