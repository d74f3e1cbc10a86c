// SPDX-License-Identifier: MIT
#include "simbankjson.h"

#include "simbank.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace {

constexpr int kMaxModel = 0x7E; // 7F addresses any model in the model query
constexpr int kMaxId = 0x3FFF;
constexpr int kMinValue = -32768;
constexpr int kMaxValue = 32767;
constexpr int kMaxStrings = 1024;
constexpr int kMaxParams = 4096;

// Reads a bank entry by entry; the first bad entry stops it and leaves its path and reason.
class BankReader {
public:
    bool readBank(const QJsonObject& root, SimBank& bank);
    QString error;

private:
    bool fail(const QString& path, const QString& what)
    {
        error = path + QStringLiteral(": ") + what;
        return false;
    }
    bool readInt(const QJsonValue& v, const QString& path, int min, int max, int& out);
    bool readOptionalInt(
        const QJsonObject& o, const char* key, const QString& path, int min, int max, int& out);
    bool readName(const QJsonValue& v, const QString& path, QString& out);
    bool readObject(const QJsonValue& v, const QString& path, QJsonObject& out);
    bool readArray(const QJsonValue& v, const QString& path, int maxSize, QJsonArray& out);
    bool readSetting(const QJsonValue& v, const QString& path, SimCabSetting& s);
    bool readCabBlock(const QJsonValue& v, const QString& path, SimCabBlock& b);
    bool readGrid(const QJsonValue& v, const QString& path, SimPreset& preset);
    bool readPreset(const QJsonValue& v, int index, SimBank& bank, QSet<int>& seen);
    bool readPresets(const QJsonValue& v, SimBank& bank);
    bool readCabinets(const QJsonValue& v, SimBank& bank);
    bool readParam(const QJsonValue& v, const QString& path, SimParam& p);
    bool readParams(const QJsonValue& v, SimBank& bank);
};

QString indexed(const QString& path, int i)
{
    return QStringLiteral("%1[%2]").arg(path).arg(i);
}

QString member(const QString& path, const char* key)
{
    return path + QLatin1Char('.') + QLatin1String(key);
}

bool BankReader::readInt(const QJsonValue& v, const QString& path, int min, int max, int& out)
{
    const double d = v.toDouble();
    if (!v.isDouble() || d < min || d > max || d != double(int(d)))
        return fail(
            path, QStringLiteral("expected a whole number from %1 to %2").arg(min).arg(max));
    out = int(d);
    return true;
}

bool BankReader::readOptionalInt(
    const QJsonObject& o, const char* key, const QString& path, int min, int max, int& out)
{
    const QJsonValue v = o.value(QLatin1String(key));
    return v.isUndefined() || readInt(v, member(path, key), min, max, out);
}

bool BankReader::readName(const QJsonValue& v, const QString& path, QString& out)
{
    if (!v.isString())
        return fail(path, QStringLiteral("expected a string"));
    const QString name = v.toString();
    for (const QChar c : name) {
        if (c.unicode() == 0 || c.unicode() > 0x7F)
            return fail(path,
                QStringLiteral("character U+%1 cannot travel in a 7-bit name")
                    .arg(c.unicode(), 4, 16, QLatin1Char('0')));
    }
    out = name;
    return true;
}

bool BankReader::readObject(const QJsonValue& v, const QString& path, QJsonObject& out)
{
    if (!v.isObject())
        return fail(path, QStringLiteral("expected an object"));
    out = v.toObject();
    return true;
}

bool BankReader::readArray(const QJsonValue& v, const QString& path, int maxSize, QJsonArray& out)
{
    if (!v.isArray())
        return fail(path, QStringLiteral("expected an array"));
    out = v.toArray();
    if (out.size() > maxSize)
        return fail(
            path, QStringLiteral("at most %1 entries, found %2").arg(maxSize).arg(out.size()));
    return true;
}

bool BankReader::readSetting(const QJsonValue& v, const QString& path, SimCabSetting& s)
{
    QJsonObject o;
    return readObject(v, path, o) && readOptionalInt(o, "cab", path, kMinValue, kMaxValue, s.cab)
        && readOptionalInt(o, "mode", path, kMinValue, kMaxValue, s.mode)
        && readOptionalInt(o, "second", path, kMinValue, kMaxValue, s.secondCab);
}

bool BankReader::readCabBlock(const QJsonValue& v, const QString& path, SimCabBlock& b)
{
    QJsonObject o;
    if (!readObject(v, path, o))
        return false;
    if (o.contains(QLatin1String("x"))
        && !readSetting(o.value(QLatin1String("x")), member(path, "x"), b.x))
        return false;
    b.y = b.x;
    if (o.contains(QLatin1String("y"))
        && !readSetting(o.value(QLatin1String("y")), member(path, "y"), b.y))
        return false;
    const QJsonValue selected = o.value(QLatin1String("selected"));
    if (selected.isUndefined())
        return true;
    if (selected != QLatin1String("x") && selected != QLatin1String("y"))
        return fail(member(path, "selected"), QStringLiteral("expected \"x\" or \"y\""));
    b.ySelected = selected == QLatin1String("y");
    return true;
}

bool BankReader::readGrid(const QJsonValue& v, const QString& path, SimPreset& preset)
{
    QJsonArray cells;
    if (!readArray(v, path, SimPreset::kGridCells, cells))
        return false;
    for (int i = 0; i < cells.size(); ++i) {
        int block = 0;
        if (!readInt(cells.at(i), indexed(path, i), 0, kMaxId, block))
            return false;
        preset.grid[i] = quint16(block);
    }
    return true;
}

bool BankReader::readPreset(const QJsonValue& v, int index, SimBank& bank, QSet<int>& seen)
{
    const QString path = indexed(QStringLiteral("presets"), index);
    QJsonObject o;
    int number = index;
    if (!readObject(v, path, o)
        || !readOptionalInt(o, "number", path, 0, bank.presetCount() - 1, number))
        return false;
    if (seen.contains(number))
        return fail(member(path, "number"), QStringLiteral("preset %1 given twice").arg(number));
    seen.insert(number);
    SimPreset& preset = bank.presets[number];
    const auto present = [&](const char* key) { return o.contains(QLatin1String(key)); };
    const auto value = [&](const char* key) { return o.value(QLatin1String(key)); };
    return (!present("name") || readName(value("name"), member(path, "name"), preset.name))
        && (!present("grid") || readGrid(value("grid"), member(path, "grid"), preset))
        && (!present("cab1")
            || readCabBlock(value("cab1"), member(path, "cab1"), preset.cabBlocks[0]))
        && (!present("cab2")
            || readCabBlock(value("cab2"), member(path, "cab2"), preset.cabBlocks[1]));
}

bool BankReader::readPresets(const QJsonValue& v, SimBank& bank)
{
    QJsonArray list;
    if (!readArray(v, QStringLiteral("presets"), bank.presetCount(), list))
        return false;
    QSet<int> seen;
    for (int i = 0; i < list.size(); ++i) {
        if (!readPreset(list.at(i), i, bank, seen))
            return false;
    }
    return true;
}

bool BankReader::readCabinets(const QJsonValue& v, SimBank& bank)
{
    QJsonArray list;
    if (!readArray(v, QStringLiteral("cabinets"), bank.cabCount(), list))
        return false;
    for (int i = 0; i < list.size(); ++i) {
        if (!readName(list.at(i), indexed(QStringLiteral("cabinets"), i), bank.cabNames[i]))
            return false;
    }
    return true;
}

bool BankReader::readParam(const QJsonValue& v, const QString& path, SimParam& p)
{
    QJsonObject o;
    int block = -1;
    int param = -1;
    int flags = 0;
    if (!readObject(v, path, o)
        || !readInt(o.value(QLatin1String("block")), member(path, "block"), 0, kMaxId, block)
        || !readInt(o.value(QLatin1String("param")), member(path, "param"), 0, kMaxId, param)
        || !readOptionalInt(o, "flags", path, 0, kMaxId, flags))
        return false;
    p.block = quint16(block);
    p.param = quint16(param);
    p.flags = quint16(flags);
    QJsonArray words;
    if (o.contains(QLatin1String("range"))
        && !readArray(
            o.value(QLatin1String("range")), member(path, "range"), int(p.words.size()), words))
        return false;
    for (int i = 0; i < words.size(); ++i) {
        if (!words.at(i).isDouble())
            return fail(indexed(member(path, "range"), i), QStringLiteral("expected a number"));
        p.words[i] = float(words.at(i).toDouble());
    }
    QJsonArray texts;
    if (o.contains(QLatin1String("strings"))
        && !readArray(
            o.value(QLatin1String("strings")), member(path, "strings"), kMaxStrings, texts))
        return false;
    for (int i = 0; i < texts.size(); ++i) {
        QString text;
        if (!readName(texts.at(i), indexed(member(path, "strings"), i), text))
            return false;
        p.strings.append(text);
    }
    return true;
}

bool BankReader::readParams(const QJsonValue& v, SimBank& bank)
{
    QJsonArray list;
    if (!readArray(v, QStringLiteral("parameters"), kMaxParams, list))
        return false;
    for (int i = 0; i < list.size(); ++i) {
        SimParam p;
        if (!readParam(list.at(i), indexed(QStringLiteral("parameters"), i), p))
            return false;
        if (bank.findParam(p.block, p.param))
            return fail(indexed(QStringLiteral("parameters"), i),
                QStringLiteral("block %1 parameter %2 given twice").arg(p.block).arg(p.param));
        bank.params.append(p);
    }
    return true;
}

bool BankReader::readBank(const QJsonObject& root, SimBank& bank)
{
    static const QSet<QString> known { "model", "displayOffset", "currentPreset", "presets",
        "cabinets", "parameters" };
    for (const QString& key : root.keys()) {
        if (!known.contains(key))
            return fail(key, QStringLiteral("unknown entry"));
    }
    const QString path = QStringLiteral("bank");
    int model = SimBank().model;
    int displayOffset = 0;
    int currentPreset = 0;
    if (!readOptionalInt(root, "model", path, 1, kMaxModel, model)
        || !readOptionalInt(root, "displayOffset", path, 0, 1, displayOffset))
        return false;
    bank = SimBank::empty(quint8(model));
    if (!readOptionalInt(root, "currentPreset", path, 0, bank.presetCount() - 1, currentPreset))
        return false;
    bank.displayOffset = quint8(displayOffset);
    bank.currentPreset = currentPreset;
    const auto present = [&](const char* key) { return root.contains(QLatin1String(key)); };
    const auto value = [&](const char* key) { return root.value(QLatin1String(key)); };
    return (!present("presets") || readPresets(value("presets"), bank))
        && (!present("cabinets") || readCabinets(value("cabinets"), bank))
        && (!present("parameters") || readParams(value("parameters"), bank));
}

QJsonObject writeSetting(const SimCabSetting& s)
{
    return QJsonObject { { "cab", s.cab }, { "mode", s.mode }, { "second", s.secondCab } };
}

QJsonObject writeCabBlock(const SimCabBlock& b)
{
    QJsonObject o { { "x", writeSetting(b.x) }, { "y", writeSetting(b.y) } };
    if (b.ySelected)
        o.insert("selected", "y");
    return o;
}

QJsonObject writePreset(int number, const SimPreset& preset)
{
    QJsonObject o { { "number", number }, { "name", preset.name } };
    int used = SimPreset::kGridCells;
    while (used > 0 && preset.grid[used - 1] == 0)
        --used;
    if (used > 0) {
        QJsonArray grid;
        for (int i = 0; i < used; ++i)
            grid.append(preset.grid[i]);
        o.insert("grid", grid);
    }
    const char* keys[] = { "cab1", "cab2" };
    for (int i = 0; i < 2; ++i) {
        if (!(preset.cabBlocks[i] == SimCabBlock()))
            o.insert(keys[i], writeCabBlock(preset.cabBlocks[i]));
    }
    return o;
}

QJsonObject writeParam(const SimParam& p)
{
    QJsonArray range;
    for (float w : p.words)
        range.append(double(w));
    return QJsonObject { { "block", p.block }, { "param", p.param }, { "flags", p.flags },
        { "range", range }, { "strings", QJsonArray::fromStringList(p.strings) } };
}

} // namespace

bool SimBankJson::read(const QByteArray& json, SimBank* bank, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    QString reason;
    if (parseError.error != QJsonParseError::NoError)
        reason = QStringLiteral("not valid JSON at offset %1: %2")
                     .arg(parseError.offset)
                     .arg(parseError.errorString());
    else if (!doc.isObject())
        reason = QStringLiteral("a bank is a JSON object");
    else {
        BankReader reader;
        SimBank result;
        if (reader.readBank(doc.object(), result)) {
            *bank = result;
            return true;
        }
        reason = reader.error;
    }
    if (error)
        *error = reason;
    return false;
}

QByteArray SimBankJson::write(const SimBank& bank)
{
    QJsonArray presets;
    for (int i = 0; i < bank.presets.size(); ++i)
        presets.append(writePreset(i, bank.presets.at(i)));
    QJsonArray cabinets;
    for (const QString& name : bank.cabNames)
        cabinets.append(name);
    QJsonArray params;
    for (const SimParam& p : bank.params)
        params.append(writeParam(p));
    const QJsonObject root { { "model", bank.model }, { "displayOffset", bank.displayOffset },
        { "currentPreset", bank.currentPreset }, { "presets", presets }, { "cabinets", cabinets },
        { "parameters", params } };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
