// SPDX-License-Identifier: MIT
#include "simbank.h"

#include "simbankjson.h"

#include <QFile>

bool SimPreset::holdsBlock(quint16 block) const
{
    for (quint16 cell : grid) {
        if (cell == block)
            return true;
    }
    return false;
}

SimBank SimBank::empty(quint8 model)
{
    SimBank bank;
    bank.setModel(model);
    return bank;
}

void SimBank::setModel(quint8 newModel)
{
    model = newModel;
    presets.resize(presetCount());
    cabNames.resize(cabCount());
    if (currentPreset >= presets.size())
        currentPreset = 0;
}

const SimParam* SimBank::findParam(quint16 block, quint16 param) const
{
    for (const SimParam& p : params) {
        if (p.block == block && p.param == param)
            return &p;
    }
    return nullptr;
}

namespace {

constexpr int kSecondCabMode = 2;

void appendSetting(const SimCabSetting& s, QList<int>& list)
{
    const qint16 cab = qint16(s.cab);
    list.append(cab);
    const qint16 second = qint16(s.secondCab);
    if (qint16(s.mode) >= kSecondCabMode && second != cab)
        list.append(second);
}

QList<int> blockCabs(const SimCabBlock& block)
{
    QList<int> list;
    appendSetting(block.x, list);
    appendSetting(block.y, list);
    return list;
}

} // namespace

QList<int> SimBank::expectedCabs(int p) const
{
    QList<int> out;
    if (p < 0 || p >= presets.size())
        return out;
    const SimPreset& preset = presets.at(p);
    if (preset.holdsBlock(kCabBlock1)) {
        for (int c : blockCabs(preset.cabBlocks[0])) {
            if (c < cabCount())
                out.append(c);
        }
    }
    if (preset.holdsBlock(kCabBlock2)) {
        for (int c : blockCabs(preset.cabBlocks[1])) {
            if (c < cabCount() && !out.contains(c))
                out.append(c);
        }
    }
    return out;
}

QList<int> SimBank::expectedSideCabs(int p, bool y) const
{
    QList<int> out;
    if (p < 0 || p >= presets.size())
        return out;
    const SimPreset& preset = presets.at(p);
    for (int block = 0; block < 2; ++block) {
        if (!preset.holdsBlock(quint16(kCabBlock1 + block)))
            continue;
        QList<int> list;
        appendSetting(y ? preset.cabBlocks[block].y : preset.cabBlocks[block].x, list);
        for (int c : list) {
            if (c < cabCount())
                out.append(c);
        }
    }
    return out;
}

bool SimBank::operator==(const SimBank& o) const
{
    return model == o.model && displayOffset == o.displayOffset && currentPreset == o.currentPreset
        && presets == o.presets && cabNames == o.cabNames && params == o.params;
}

bool SimBank::fromJson(const QByteArray& json, SimBank* bank, QString* error)
{
    return SimBankJson::read(json, bank, error);
}

QByteArray SimBank::toJson() const
{
    return SimBankJson::write(*this);
}

bool SimBank::load(const QString& path, SimBank* bank, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    QString reason;
    if (!fromJson(file.readAll(), bank, &reason)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, reason);
        return false;
    }
    return true;
}
