// SPDX-License-Identifier: MIT
#include "axefx.h"

#include "axefxlabel.h"

using namespace axefx;

namespace {

constexpr unsigned int kOpenOption = 0;
const QString kPortSearchText = QStringLiteral("AXE");

constexpr int kDisplayOffsetByte = 8;
constexpr unsigned char kFirstCabBlock = kCabBlock1;

const unsigned char* bytesOf(const QByteArray& bytes)
{
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

// The names that contain the text in any letter case, in the port layer's order.
QStringList devicePorts(const QStringList& names, unsigned int portCount, const QString& text)
{
    QStringList found;
    for (int i = 0; i < names.size() && unsigned(i) < portCount; ++i) {
        if (names.at(i).contains(text, Qt::CaseInsensitive))
            found << names.at(i);
    }
    return found;
}

// Which of several matching ports was taken, for the owner of two units or interfaces.
QString choiceNote(const char* kind, const QString& text, const QStringList& found)
{
    return QStringLiteral("%1 %2 ports match \"%3\": using \"%4\", not \"%5\"")
        .arg(found.size())
        .arg(QLatin1String(kind), text, found.first(), found.mid(1).join(QStringLiteral("\", \"")));
}

} // namespace

int axefx::percentDone(int done, int count)
{
    return count > 0 ? (100 * done) / count : 100;
}

AxeFX::AxeFX()
    : portSearchText(kPortSearchText)
{
    connect(&midiIn, &QRtMidiIn::dataIn, this, &AxeFX::wakeWait);
}

AxeFX::~AxeFX()
{
    midiIn.close();
    midiOut.close();
}

bool AxeFX::findAxeFx()
{
    // Opening the ports again ends whatever link there was.
    resetLink();
    searched = Search::NoPorts;
    if (!midiOut.init() || !midiIn.init())
        return false;
    const QStringList outNames = midiOut.getPortNames();
    const QStringList inNames = midiIn.getPortNames();
    const QStringList outs = devicePorts(outNames, midiOut.getPortCount(), portSearchText);
    const QStringList ins = devicePorts(inNames, midiIn.getPortCount(), portSearchText);
    QStringList notes;
    if (outs.size() > 1)
        notes << choiceNote("output", portSearchText, outs);
    if (ins.size() > 1)
        notes << choiceNote("input", portSearchText, ins);
    portChoice = notes.join(QStringLiteral("; "));
    if (outs.isEmpty() || ins.isEmpty())
        return false;
    if (!midiOut.open(outs.first(), kOpenOption))
        return false;
    if (!midiIn.open(ins.first(), kOpenOption))
        return false;
    // The ports are the unit's; a lost reply is not yet a unit that is not there.
    searched = Search::Unanswered;
    if (!queryModel() && !queryModel())
        return false;
    searched = Search::Found;
    ReadDisplayOffset();
    return true;
}

bool AxeFX::queryModel()
{
    QByteArray reply;
    int at;
    if (!exchange(modelQuery(), replyPattern(kFunctionModelReply, kModelReplyLength), reply, at))
        return false;
    model = quint8(reply.at(at + kModelOffset));
    return true;
}

bool AxeFX::ReadDisplayOffset()
{
    QByteArray reply;
    int at;
    displayOffsetRead = exchange(displayOffsetQuery(model),
        replyPattern(kFunctionDisplayOffset, kDisplayOffsetReplyLength), reply, at);
    if (displayOffsetRead) {
        displayOffset = reply.at(at + kDisplayOffsetByte) != 0 ? 1 : 0;
        holdUnconfirmed(Reading::DisplayOffset, 0);
    }
    return displayOffsetRead;
}

bool AxeFX::isConnected()
{
    return model != 0;
}

bool AxeFX::PC(int preset)
{
    presetAsked = preset;
    presetConfirmed = false;
    send(programChange(model, preset));
    return true;
}

void AxeFX::SetXY(unsigned short block, bool y)
{
    send(setXYMessage(model, block, y));
}

bool AxeFX::GetCabsPresent(bool& cab1, bool& cab2)
{
    QByteArray reply;
    int at;
    if (!exchange(blockGridQuery(model), replyPattern(kFunctionBlockGrid, kBlockGridReplyLength),
            reply, at))
        return false;
    CabBlocks blocks;
    readCabBlocks(bytesOf(reply) + at, kBlockGridReplyLength, blocks);
    cab1 = blocks.cab1;
    cab2 = blocks.cab2;
    return true;
}

bool AxeFX::FillCabNames()
{
    return fillNames(
        cabNames, cabNameRead, CabCount(), &AxeFX::ReadCabName, &AxeFX::CabNamePercent);
}

bool AxeFX::FillPresetNames()
{
    return fillNames(presetNames, presetNameRead, PresetCount(), &AxeFX::ReadPresetName,
        &AxeFX::PresetNamePercent);
}

bool AxeFX::fillNames(QVector<QString>& names, QVector<bool>& read, int count,
    bool (AxeFX::*readOne)(int), void (AxeFX::*percent)(int))
{
    // A fill stopped before its first query keeps the names it has, at the layout's size.
    prepareNames(names, read, count, stopRequest);
    asked = 0;
    if (stopRequest)
        return false;
    bool answered = false;
    for (int i = 0; i < count; ++i) {
        if (stopRequest)
            return false;
        asked = i + 1;
        answered = (this->*readOne)(i);
        if (answered)
            emit(this->*percent)(percentDone(i + 1, count));
    }
    return answered;
}

void AxeFX::prepareNames(QVector<QString>& names, QVector<bool>& read, int count, bool keep)
{
    if (!keep) {
        names.clear();
        read.clear();
    }
    names.resize(count);
    read.resize(count);
}

bool AxeFX::ReadCabName(int index)
{
    prepareNames(cabNames, cabNameRead, CabCount(), true);
    if (index < 0 || index >= cabNames.size())
        return false;
    ReplyPattern pattern = replyPattern(kFunctionCabName);
    pattern.minSize = kNameReplyMinSize;
    pattern.echoes[0] = { kPayloadOffset, index };
    QByteArray reply;
    int at;
    if (!exchange(cabNameQuery(model, quint16(index)), pattern, reply, at))
        return false;
    readNameText(bytesOf(reply) + at, reply.size() - at, cabNames[index]);
    cabNameRead[index] = true;
    return true;
}

bool AxeFX::ReadPresetName(int index)
{
    prepareNames(presetNames, presetNameRead, PresetCount(), true);
    if (index < 0 || index >= presetNames.size())
        return false;
    // Its bytes 6-7 are the unit's own: the reply names no preset.
    ReplyPattern pattern = replyPattern(kFunctionPresetName);
    pattern.minSize = kNameReplyMinSize;
    QByteArray reply;
    int at;
    if (!exchange(presetNameQuery(model, index), pattern, reply, at))
        return false;
    readNameText(bytesOf(reply) + at, reply.size() - at, presetNames[index]);
    presetNameRead[index] = true;
    holdUnconfirmed(Reading::PresetName, index);
    return true;
}

QString AxeFX::CabName(unsigned short cab)
{
    return CabName(cab, model);
}

QString AxeFX::CabName(unsigned short cab, quint8 layoutModel)
{
    const QString name = cab < cabNames.size() ? cabNames.at(cab) : QString();
    return cabLabel(cab, layoutModel) + QStringLiteral("(%1)").arg(name);
}

QString AxeFX::PresetName(int preset)
{
    return preset >= 0 && preset < presetNames.size() ? presetNames.at(preset) : QString();
}

int AxeFX::PresetCount()
{
    return layoutOf(model).presets;
}

int AxeFX::CabCount()
{
    return layoutOf(model).cabs;
}

void AxeFX::requestStop()
{
    stopRequest = true;
}

void AxeFX::clearStop()
{
    stopRequest = false;
}

template <typename T>
bool AxeFX::GetParamValue(unsigned short block, unsigned short param, T& value)
{
    ReplyPattern pattern = replyPattern(kFunctionParamValue);
    pattern.minSize = kParamValueReplyLength;
    pattern.echoes[0] = { kPayloadOffset, block };
    pattern.echoes[1] = { kPayloadOffset + 2, param };
    QByteArray reply;
    int at;
    if (!exchange(paramValueQuery(model, block, param), pattern, reply, at))
        return false;
    ParamValue read;
    readParamValueReply(bytesOf(reply) + at, reply.size() - at, read);
    value = T(read.value);
    return true;
}

template bool AxeFX::GetParamValue<short>(unsigned short, unsigned short, short&);

bool AxeFX::GetCabsUsed(unsigned char which, QList<int>& list, int* inX)
{
    const unsigned short block = kFirstCabBlock + which;
    if (!readCabSetting(block, false, list))
        return false;
    if (inX)
        *inX = list.size();
    // The X setting stands without the Y one.
    readCabSetting(block, true, list);
    return true;
}

bool AxeFX::readCabSetting(unsigned short block, bool ySetting, QList<int>& list)
{
    short cab, mode, second;
    SetXY(block, ySetting);
    if (!GetParamValue(block, kParamCab, cab))
        return false;
    list << cab;
    if (!GetParamValue(block, kParamCabMode, mode))
        return false;
    if (mode >= kDualCabMode && GetParamValue(block, kParamSecondCab, second) && second != cab)
        list << second;
    return true;
}

bool AxeFX::GetPresetCabs(int preset, QList<int>& out)
{
    QList<int> x, y;
    return GetPresetCabs(preset, out, x, y);
}

bool AxeFX::GetPresetCabs(int preset, QList<int>& out, QList<int>& x, QList<int>& y)
{
    PC(preset);
    bool present[2];
    if (!GetCabsPresent(present[0], present[1]))
        return false;
    // A grid reply names no preset; where the unit announced the change it came after that.
    if (!announcesPreset)
        holdUnconfirmed(Reading::Usage, preset);
    const int count = CabCount();
    for (unsigned char which = 0; which < 2; ++which) {
        QList<int> list;
        int inX = 0;
        if (!present[which] || !GetCabsUsed(which, list, &inX))
            continue;
        for (int i = 0; i < list.size(); ++i) {
            const int c = list.at(i);
            if (c >= count)
                continue;
            (i < inX ? x : y) << c;
            if (which == 0 || !out.contains(c))
                out << c;
        }
    }
    // Read, then found to be perhaps another preset's: a failed reading.
    if (withdrawnUsages.contains(preset))
        ++failures;
    return present[0] || present[1];
}

bool AxeFX::AskForParameterInfos(unsigned short block, unsigned short param, param_infos* infos)
{
    ReplyPattern pattern = replyPattern(kFunctionParamInfo, kParamInfoReplyLength);
    pattern.echoes[0] = { kPayloadOffset + 2, param };
    QByteArray reply;
    int at;
    if (!exchange(paramInfoQuery(model, block, param), pattern, reply, at))
        return false;
    if (infos)
        readParamInfos(bytesOf(reply) + at, kParamInfoReplyLength, *infos);
    return true;
}

bool AxeFX::AskForParameterStrings(unsigned short block, unsigned short param, QStringList& list)
{
    ReplyPattern pattern = replyPattern(kFunctionParamStrings);
    pattern.minSize = kParamStringsMinSize;
    QByteArray reply;
    int at;
    if (!exchange(paramStringsQuery(model, block, param), pattern, reply, at))
        return false;
    readParamStrings(bytesOf(reply) + at, reply.size() - at, list);
    return true;
}

unsigned char AxeFX::GetChecksum(unsigned char* buf, unsigned int len)
{
    return frameChecksum(buf, len);
}

unsigned int AxeFX::DecodeInt32(unsigned char* bytes)
{
    return decodeInt32(bytes);
}

float AxeFX::DecodeFloat32(unsigned char* bytes)
{
    return decodeFloat32(bytes);
}
