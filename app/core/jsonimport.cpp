// SPDX-License-Identifier: MIT
#include "jsonimport.h"

#include "axefxmessage.h"
#include "jsonexport.h"
#include "scanresult.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <limits>

namespace {

// Model bytes and the display offset travel as 7-bit SysEx data.
constexpr int kMaxDataByte = 0x7F;
// A cabinet number is the unit's signed 16-bit parameter value.
constexpr int kMinCab = std::numeric_limits<short>::min();
// Two cabinet blocks, each with two scenes of up to two cabinets.
constexpr int kMaxCabsPerPreset = 8;

// Reads a document member by member; the first bad one stops it and leaves its path and why.
class ScanReader {
public:
    bool readDocument(const QJsonObject& root, ScanResult& result);
    QString reason;

private:
    bool fail(const QString& path, const QString& what)
    {
        reason = path.isEmpty() ? what : path + QStringLiteral(": ") + what;
        return false;
    }
    bool readFormat(const QJsonObject& root);
    bool readInt(const QJsonValue& v, const QString& path, int min, int max, int& out);
    bool readObject(const QJsonValue& v, const QString& path, QJsonObject& out);
    bool readArray(const QJsonValue& v, const QString& path, QJsonArray& out);
    bool readSized(const QJsonValue& v, const QString& path, int size, QJsonArray& out);
    bool readState(const QJsonValue& v, const QString& path, ReadState& out);
    bool readName(const QJsonObject& o, const QString& path, QString& name, ReadState& state);
    bool readUnit(const QJsonValue& v, ScanResult& result);
    bool readPreset(const QJsonValue& v, int preset, ScanResult& result);
    bool readCabs(
        const QJsonValue& v, const QString& path, const ScanResult& result, QList<int>& cabs);
    bool readCab(const QJsonValue& v, int cab, ScanResult& result);
};

QString indexed(const QString& path, int i)
{
    return QStringLiteral("%1[%2]").arg(path).arg(i);
}

QString member(const QString& path, const char* key)
{
    return path.isEmpty() ? QLatin1String(key) : path + QLatin1Char('.') + QLatin1String(key);
}

QJsonValue valueOf(const QJsonObject& o, const char* key)
{
    return o.value(QLatin1String(key));
}

bool ScanReader::readFormat(const QJsonObject& root)
{
    const QJsonValue format = valueOf(root, "format");
    if (format.isUndefined())
        return fail(QString(), QStringLiteral("not a Tollmark scan: it has no \"format\""));
    if (format != QLatin1String(JsonExport::kFormat))
        return fail(QString(),
            QStringLiteral("not a Tollmark scan: its \"format\" is not \"%1\"")
                .arg(QLatin1String(JsonExport::kFormat)));
    int version = 0;
    if (!readInt(valueOf(root, "formatVersion"), QStringLiteral("formatVersion"), 1,
            std::numeric_limits<int>::max(), version))
        return false;
    // A list of the unused slots carries the same format but not the scan itself.
    if (!root.contains(QLatin1String("presets")) && root.contains(QLatin1String("unusedCabs")))
        return fail(QString(),
            QStringLiteral("the file lists only the unused cab slots, not a whole scan"));
    return true;
}

bool ScanReader::readInt(const QJsonValue& v, const QString& path, int min, int max, int& out)
{
    const double d = v.toDouble();
    if (!v.isDouble() || d < min || d > max || d != double(int(d)))
        return fail(path,
            min == max ? QStringLiteral("expected %1").arg(min)
                       : QStringLiteral("expected a whole number from %1 to %2").arg(min).arg(max));
    out = int(d);
    return true;
}

bool ScanReader::readObject(const QJsonValue& v, const QString& path, QJsonObject& out)
{
    if (!v.isObject())
        return fail(path, QStringLiteral("expected an object"));
    out = v.toObject();
    return true;
}

bool ScanReader::readArray(const QJsonValue& v, const QString& path, QJsonArray& out)
{
    if (!v.isArray())
        return fail(path, QStringLiteral("expected an array"));
    out = v.toArray();
    return true;
}

bool ScanReader::readSized(const QJsonValue& v, const QString& path, int size, QJsonArray& out)
{
    if (!readArray(v, path, out))
        return false;
    if (out.size() != size)
        return fail(
            path, QStringLiteral("expected %1 entries, found %2").arg(size).arg(out.size()));
    return true;
}

bool ScanReader::readState(const QJsonValue& v, const QString& path, ReadState& out)
{
    for (ReadState state : { ReadState::Read, ReadState::NotRead, ReadState::NotReached }) {
        const QString word
            = state == ReadState::Read ? QStringLiteral("read") : ScanResult::stateText(state);
        if (v == word) {
            out = state;
            return true;
        }
    }
    return fail(path, QStringLiteral("expected \"read\", \"not read\" or \"not reached\""));
}

// An unread name is written empty; its text is not looked at.
bool ScanReader::readName(
    const QJsonObject& o, const QString& path, QString& name, ReadState& state)
{
    if (!readState(valueOf(o, "nameState"), member(path, "nameState"), state))
        return false;
    if (state != ReadState::Read)
        return true;
    const QJsonValue text = valueOf(o, "name");
    if (!text.isString())
        return fail(member(path, "name"), QStringLiteral("expected a string"));
    name = text.toString();
    return true;
}

bool ScanReader::readUnit(const QJsonValue& v, ScanResult& result)
{
    const QString path = QStringLiteral("unit");
    QJsonObject unit;
    int model = 0, offset = 0, presets = 0, cabs = 0;
    if (!readObject(v, path, unit)
        || !readInt(valueOf(unit, "model"), member(path, "model"), 1, kMaxDataByte, model)
        || !readInt(
            valueOf(unit, "displayOffset"), member(path, "displayOffset"), 0, kMaxDataByte, offset)
        || !readInt(valueOf(unit, "presetCount"), member(path, "presetCount"), 0,
            std::numeric_limits<int>::max(), presets)
        || !readInt(valueOf(unit, "cabCount"), member(path, "cabCount"), 0,
            std::numeric_limits<int>::max(), cabs))
        return false;
    const axefx::Layout layout = axefx::layoutOf(quint8(model));
    if (presets != layout.presets || cabs != layout.cabs)
        return fail(path,
            QStringLiteral("%1 presets and %2 cabs is not a layout of model %3, which has %4 and "
                           "%5")
                .arg(presets)
                .arg(cabs)
                .arg(model)
                .arg(layout.presets)
                .arg(layout.cabs));
    result = ScanResult(quint8(model), quint8(offset));
    const QJsonValue offsetRead = valueOf(unit, "displayOffsetRead");
    if (!offsetRead.isUndefined() && !offsetRead.isBool())
        return fail(member(path, "displayOffsetRead"), QStringLiteral("expected true or false"));
    result.displayOffsetRead = offsetRead.toBool(true);
    const QJsonValue scanned = valueOf(unit, "scanned");
    if (scanned.isUndefined())
        return true;
    const QDateTime date = QDateTime::fromString(scanned.toString(), Qt::ISODate);
    if (!date.isValid())
        return fail(member(path, "scanned"), QStringLiteral("expected a date and time"));
    // Whole seconds, as the file is written: a record opened saves as the same file again.
    result.scannedAt = date.addMSecs(-date.time().msec());
    return true;
}

bool ScanReader::readPreset(const QJsonValue& v, int preset, ScanResult& result)
{
    const QString path = indexed(QStringLiteral("presets"), preset);
    QJsonObject o;
    int index = 0;
    if (!readObject(v, path, o)
        || !readInt(valueOf(o, "index"), member(path, "index"), preset, preset, index)
        || !readName(o, path, result.presetNames[preset], result.presetNameStates[preset]))
        return false;
    ReadState usage = ReadState::NotReached;
    QList<int> cabs, x, y;
    if (!readState(valueOf(o, "cabsState"), member(path, "cabsState"), usage)
        || !readCabs(valueOf(o, "cabs"), member(path, "cabs"), result, cabs))
        return false;
    const QJsonValue xCabs = valueOf(o, JsonExport::kXCabs);
    const QJsonValue yCabs = valueOf(o, JsonExport::kYCabs);
    // A record saved before X and Y were kept: its presets are known by their cabinets alone.
    if (xCabs.isUndefined() && yCabs.isUndefined()) {
        result.sidesKept = false;
        result.setUsage(preset, cabs, usage);
        return true;
    }
    if (!readCabs(xCabs, member(path, JsonExport::kXCabs), result, x)
        || !readCabs(yCabs, member(path, JsonExport::kYCabs), result, y))
        return false;
    for (const QList<int>* setting : { &x, &y }) {
        for (int cab : *setting) {
            if (!cabs.contains(cab))
                return fail(member(path, setting == &x ? JsonExport::kXCabs : JsonExport::kYCabs),
                    QStringLiteral("cab %1 is not among the preset's \"cabs\"").arg(cab));
        }
    }
    result.setUsage(preset, cabs, x, y, usage);
    return true;
}

bool ScanReader::readCabs(
    const QJsonValue& v, const QString& path, const ScanResult& result, QList<int>& cabs)
{
    QJsonArray entries;
    if (!readArray(v, path, entries))
        return false;
    if (entries.size() > kMaxCabsPerPreset)
        return fail(path,
            QStringLiteral("at most %1 entries, found %2")
                .arg(kMaxCabsPerPreset)
                .arg(entries.size()));
    for (int i = 0; i < entries.size(); ++i) {
        QJsonObject entry;
        int cab = 0;
        const QString entryPath = indexed(path, i);
        // A number read as negative is kept as the unit gave it; one past the layout names
        // a slot the unit does not have.
        if (!readObject(entries.at(i), entryPath, entry)
            || !readInt(valueOf(entry, "number"), member(entryPath, "number"), kMinCab,
                result.cabCount() - 1, cab))
            return false;
        cabs.append(cab);
    }
    return true;
}

bool ScanReader::readCab(const QJsonValue& v, int cab, ScanResult& result)
{
    const QString path = indexed(QStringLiteral("cabs"), cab);
    QJsonObject o;
    int number = 0;
    return readObject(v, path, o)
        && readInt(valueOf(o, "number"), member(path, "number"), cab, cab, number)
        && readName(o, path, result.cabNames[cab], result.cabNameStates[cab]);
}

bool ScanReader::readDocument(const QJsonObject& root, ScanResult& result)
{
    QJsonArray presets, cabs;
    if (!readFormat(root) || !readUnit(valueOf(root, "unit"), result)
        || !readSized(
            valueOf(root, "presets"), QStringLiteral("presets"), result.presetCount(), presets)
        || !readSized(valueOf(root, "cabs"), QStringLiteral("cabs"), result.cabCount(), cabs))
        return false;
    for (int preset = 0; preset < presets.size(); ++preset) {
        if (!readPreset(presets.at(preset), preset, result))
            return false;
    }
    for (int cab = 0; cab < cabs.size(); ++cab) {
        if (!readCab(cabs.at(cab), cab, result))
            return false;
    }
    result.indexCabs();
    return true;
}

} // namespace

bool JsonImport::read(const QByteArray& json, ScanResult& result, QString& reason)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        reason = QStringLiteral("not a JSON document: %1 at byte %2")
                     .arg(error.errorString())
                     .arg(error.offset);
        return false;
    }
    if (!document.isObject()) {
        reason = QStringLiteral("not a Tollmark scan: the document is not an object");
        return false;
    }
    // Filled on the side, so that a file refused half way changes nothing.
    ScanResult read;
    ScanReader reader;
    if (!reader.readDocument(document.object(), read)) {
        reason = reader.reason;
        return false;
    }
    result = read;
    return true;
}

bool JsonImport::load(const QString& fileName, ScanResult& result, QString& reason)
{
    // A pipe or a device has no size to check and may never end: only a plain file is read.
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile()) {
        reason = QStringLiteral("not a plain file");
        return false;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
    if (file.size() > kMaxFileSize) {
        reason = QStringLiteral("%1 bytes is more than any scan takes").arg(file.size());
        return false;
    }
    const QByteArray json = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reason = file.errorString();
        return false;
    }
    return read(json, result, reason);
}
