// SPDX-License-Identifier: MIT
// The state a simulated unit answers from: model, display offset, current preset, presets
// with their block grid and cabinet block settings, cabinet names and a few parameter records.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <array>

class QByteArray;

// One X or Y setting of a cabinet block: parameters 0 (cabinet), 12 (mode) and 2 (second
// cabinet). Values are signed 16-bit on the wire; anything wider is cut to 16 bits.
struct SimCabSetting {
    int cab = 0;
    int mode = 1;
    int secondCab = 0;

    bool operator==(const SimCabSetting& o) const
    {
        return cab == o.cab && mode == o.mode && secondCab == o.secondCab;
    }
};

// A cabinet block of a preset with both settings and which one is in use.
struct SimCabBlock {
    SimCabSetting x;
    SimCabSetting y;
    bool ySelected = false;

    const SimCabSetting& active() const { return ySelected ? y : x; }
    bool operator==(const SimCabBlock& o) const
    {
        return x == o.x && y == o.y && ySelected == o.ySelected;
    }
};

struct SimPreset {
    static constexpr int kGridCells = 48;

    QString name;
    std::array<quint16, kGridCells> grid {}; // block ID per cell, 0 for an empty cell
    std::array<SimCabBlock, 2> cabBlocks {}; // blocks 108 and 109

    bool holdsBlock(quint16 block) const;
    bool operator==(const SimPreset& o) const
    {
        return name == o.name && grid == o.grid && cabBlocks == o.cabBlocks;
    }
};

// What the device tells about one parameter: its info record (flags and four float words)
// and its value texts.
struct SimParam {
    quint16 block = 0;
    quint16 param = 0;
    quint16 flags = 0; // 14-bit
    std::array<float, 4> words {}; // minimum, maximum, default, step
    QStringList strings;

    bool operator==(const SimParam& o) const
    {
        return block == o.block && param == o.param && flags == o.flags && words == o.words
            && strings == o.strings;
    }
};

struct SimBank {
    static constexpr quint16 kCabBlock1 = 108;
    static constexpr quint16 kCabBlock2 = 109;

    quint8 model = 3;
    quint8 displayOffset = 0;
    int currentPreset = 0;
    QVector<SimPreset> presets; // presetCount() entries
    QVector<QString> cabNames; // cabCount() entries, factory first; empty for an empty slot
    QVector<SimParam> params;

    /// The deterministic bank of realistic names and cabinet use for the layout of `model`.
    static SimBank builtIn(quint8 model = 3);
    /// An empty bank (no names, empty grids) of the layout of `model`.
    static SimBank empty(quint8 model = 3);
    /// Parses the JSON bank format (docs/simulator.md); false with a reason in `error`.
    static bool fromJson(const QByteArray& json, SimBank* bank, QString* error);
    /// Reads and parses a bank file; false with a reason in `error`.
    static bool load(const QString& path, SimBank* bank, QString* error);
    /// The bank in the JSON format, readable by fromJson.
    QByteArray toJson() const;

    static int presetCountFor(quint8 model) { return model > 5 ? 768 : 384; }
    static int cabCountFor(quint8 model) { return model > 5 ? 1203 : 232; }
    static int factoryCabCountFor(quint8 model) { return model > 5 ? 179 : 132; }
    int presetCount() const { return presetCountFor(model); }
    int cabCount() const { return cabCountFor(model); }
    int factoryCabCount() const { return factoryCabCountFor(model); }

    /// Changes the model and resizes the tables to its layout, keeping what fits.
    void setModel(quint8 newModel);
    /// The parameter record for block and parameter, or null.
    const SimParam* findParam(quint16 block, quint16 param) const;
    /// Cabinet numbers a correct scan of preset `p` finds, in scan order (block 1 X, Y, block
    /// 2 without numbers already found), numbers not below cabCount() left out.
    QList<int> expectedCabs(int p) const;
    /// The cabinets of those that preset `p`'s blocks use in their X settings (or Y settings),
    /// block by block.
    QList<int> expectedSideCabs(int p, bool y) const;

    bool operator==(const SimBank& o) const;
};
