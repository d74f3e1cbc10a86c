// SPDX-License-Identifier: MIT
#include "simbuiltinbank.h"

#include <QStringList>

namespace {

// Block IDs the grids are built from besides the two cabinet blocks.
constexpr quint16 kCompressor = 100;
constexpr quint16 kAmp1 = 106;
constexpr quint16 kAmp2 = 107;
constexpr quint16 kReverb = 110;
constexpr quint16 kDelay = 112;
constexpr quint16 kChorus = 116;
constexpr quint16 kWah = 118;
constexpr quint16 kDrive = 133;
constexpr quint16 kGate = 146;

constexpr int kKinds = 8; // preset make-ups, repeating every eight presets
constexpr int kUserSlotEveryEmpty = 4; // among the filled user slots, every fourth is empty

const char* const kSpeakers[]
    = { "1x8", "1x10", "1x12", "1x15", "2x10", "2x12", "4x10", "4x12", "8x10" };
const char* const kVoicings[] = { "Vintage", "Modern", "Brit", "Tweed", "Blackface", "Green",
    "Boutique", "Jazz", "Class A", "Recto", "Deluxe", "Plexi", "Heavy", "Studio", "Open Back",
    "Closed Back", "Alnico", "Ceramic", "Ribbon Room", "Bass" };
const char* const kMics[] = { "Dyn", "Cond", "Rbn" };

const char* const kUserCabNames[] = { "My 4x12 Mix", "Studio V30 Blend", "  Room   Mic  Far ",
    "IR; Left, Right", "The \"Big\" Cab", "Bedroom 1x12", "Live Rig SM57", "Ribbon+Dyn Mix",
    "Tight Low End", "Dark Jazz Box", "Bright Alnico", "Vintage Green 25" };

const char* const kPresetNames[] = { "Clean Machine", "Crunch Rhythm", "Lead Boost",
    "  Dual  Amp   Wall ", "Verse; Chorus, Bridge", "Say \"Hi\" Lead", "User IR Test", "",
    "Ambient Swell", "Blues Drive", "Metal Chug", "Funk Clean", "Jazz Warm", "Country Snap",
    "Shoegaze Wash", "Solo Scream", "Acoustic Sim", "Surf Spring", "Brown Sound", "Djent Tight",
    "Classic Rock", "Indie Jangle", "Doom Fuzz", "Texas Blues" };

// Numbers are drawn from a fixed linear congruential sequence, so the bank is the same on
// every machine and every run.
class Sequence {
public:
    explicit Sequence(quint32 seed)
        : state(seed)
    { }
    int below(int n)
    {
        state = state * 1103515245u + 12345u;
        return int((state >> 16) % quint32(n));
    }

private:
    quint32 state;
};

QString presetName(int p)
{
    const int n = int(sizeof kPresetNames / sizeof kPresetNames[0]);
    if (p < n)
        return QString::fromLatin1(kPresetNames[p]);
    if (p % 37 == 0)
        return QString();
    return QStringLiteral("%1 %2")
        .arg(QLatin1String(kPresetNames[kKinds + p % (n - kKinds)]))
        .arg(p);
}

// Cabinets most presets pick, so many cabinets are shared between presets.
int popularCab(Sequence& seq)
{
    static const int kPopular[] = { 5, 7, 9, 12, 20, 31, 44, 60, 71, 88, 101, 117 };
    return kPopular[seq.below(int(sizeof kPopular / sizeof kPopular[0]))];
}

int anyFactoryCab(Sequence& seq, const SimBank& bank)
{
    return seq.below(bank.factoryCabCount());
}

int namedUserCab(Sequence& seq, const SimBank& bank)
{
    for (;;) {
        const int cab
            = bank.factoryCabCount() + seq.below(bank.cabCount() - bank.factoryCabCount());
        if (!bank.cabNames.at(cab).isEmpty())
            return cab;
    }
}

void place(SimPreset& preset, std::initializer_list<quint16> blocks)
{
    int cell = 0;
    for (quint16 b : blocks)
        preset.grid[cell++] = b;
}

SimCabSetting single(int cab)
{
    return SimCabSetting { cab, 1, 0 };
}
SimCabSetting dual(int cab, int second)
{
    return SimCabSetting { cab, 2, second };
}

void makeUp(int kind, SimPreset& preset, Sequence& seq, const SimBank& bank)
{
    SimCabBlock& b1 = preset.cabBlocks[0];
    SimCabBlock& b2 = preset.cabBlocks[1];
    switch (kind) {
    case 0:
        place(preset, { kGate, kDrive, kAmp1, kReverb });
        break;
    case 1:
        place(preset, { kCompressor, kAmp1, SimBank::kCabBlock1, kDelay, kReverb });
        b1.x = b1.y = single(popularCab(seq));
        break;
    case 2:
        place(preset, { kWah, kDrive, kAmp1, SimBank::kCabBlock1, kReverb });
        b1.x = single(popularCab(seq));
        b1.y = single(anyFactoryCab(seq, bank));
        break;
    case 3:
        place(preset, { kAmp1, SimBank::kCabBlock1, kChorus, kDelay });
        b1.x = dual(popularCab(seq), anyFactoryCab(seq, bank));
        b1.y = single(b1.x.cab);
        break;
    case 4:
        place(preset, { kAmp1, SimBank::kCabBlock1, kAmp2, SimBank::kCabBlock2, kReverb });
        b1.x = b1.y = single(popularCab(seq));
        b2.x = single(popularCab(seq));
        b2.y = dual(anyFactoryCab(seq, bank), popularCab(seq));
        break;
    case 5:
        place(preset, { kDrive, kAmp2, SimBank::kCabBlock2, kDelay });
        b2.x = b2.y = single(popularCab(seq));
        b2.ySelected = true;
        break;
    case 6:
        place(preset, { kAmp1, SimBank::kCabBlock1, kReverb });
        b1.x = dual(namedUserCab(seq, bank), namedUserCab(seq, bank));
        b1.y = single(namedUserCab(seq, bank));
        break;
    default:
        break;
    }
}

} // namespace

SimBank SimBank::builtIn(quint8 model)
{
    return SimBuiltInBank::make(model);
}

SimBank SimBuiltInBank::make(quint8 model)
{
    SimBank bank = SimBank::empty(model);
    fillCabNames(bank);
    fillPresets(bank);
    fillParams(bank);
    return bank;
}

void SimBuiltInBank::fillCabNames(SimBank& bank)
{
    const int speakers = int(sizeof kSpeakers / sizeof kSpeakers[0]);
    const int voicings = int(sizeof kVoicings / sizeof kVoicings[0]);
    const int mics = int(sizeof kMics / sizeof kMics[0]);
    for (int i = 0; i < bank.factoryCabCount(); ++i) {
        const int v = i / mics;
        bank.cabNames[i]
            = QStringLiteral("%1 %2 %3")
                  .arg(QLatin1String(kSpeakers[(v * 7 + v / voicings) % speakers]),
                      QLatin1String(kVoicings[v % voicings]), QLatin1String(kMics[i % mics]));
    }
    const int userNames = int(sizeof kUserCabNames / sizeof kUserCabNames[0]);
    const int userSlots = bank.cabCount() - bank.factoryCabCount();
    const int filled = userSlots / 2;
    int named = 0;
    for (int u = 0; u < filled; ++u) {
        if (u % kUserSlotEveryEmpty == kUserSlotEveryEmpty - 1)
            continue;
        bank.cabNames[bank.factoryCabCount() + u] = named < userNames
            ? QString::fromLatin1(kUserCabNames[named])
            : QStringLiteral("%1 #%2")
                  .arg(QLatin1String(kUserCabNames[named % userNames]))
                  .arg(named + 1);
        ++named;
    }
}

void SimBuiltInBank::fillPresets(SimBank& bank)
{
    Sequence seq(bank.model);
    for (int p = 0; p < bank.presets.size(); ++p) {
        SimPreset& preset = bank.presets[p];
        preset.name = presetName(p);
        makeUp(p % kKinds, preset, seq, bank);
    }
}

void SimBuiltInBank::fillParams(SimBank& bank)
{
    const float lastCab = float(bank.cabCount() - 1);
    const QStringList modes { "MONO", "STEREO", "DUAL MONO", "DUAL STEREO" };
    const QStringList amps { "Clean 1", "Crunch 2", "Lead 3", "Bass 4", "Jazz 5" };
    for (quint16 block : { SimBank::kCabBlock1, SimBank::kCabBlock2 }) {
        bank.params.append(SimParam { block, 0, 0x30, { 0, lastCab, 0, 1 }, {} });
        bank.params.append(SimParam { block, 2, 0x30, { 0, lastCab, 0, 1 }, {} });
        bank.params.append(SimParam { block, 12, 0x110, { 0, 3, 1, 1 }, modes });
    }
    bank.params.append(SimParam { kAmp1, 0, 0x230, { 0, 4, 0, 1 }, amps });
    bank.params.append(SimParam { kAmp1, 1, 0x20, { 0, 10, 5, 0.01f }, {} });
}
