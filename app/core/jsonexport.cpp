// SPDX-License-Identifier: MIT
#include "jsonexport.h"

#include "axefxmessage.h"
#include "scanresult.h"
#include "wholefile.h"

#include <QIODevice>

namespace {

// make(number) for each of the numbers, in their order.
template <typename Make> QJsonArray arrayOf(const QList<int>& numbers, Make make)
{
    QJsonArray array;
    for (int number : numbers)
        array.append(make(number));
    return array;
}

// 0 to count - 1.
QList<int> firstNumbers(int count)
{
    QList<int> numbers;
    numbers.reserve(count);
    for (int i = 0; i < count; ++i)
        numbers.append(i);
    return numbers;
}

QString stateOf(ReadState state)
{
    return state == ReadState::Read ? QStringLiteral("read") : ScanResult::stateText(state);
}

} // namespace

const char JsonExport::kFormat[] = "tollmark-scan";

JsonExport::JsonExport(const ScanResult& result)
    : result(result)
{ }

QJsonDocument JsonExport::document() const
{
    return QJsonDocument(QJsonObject {
        { QStringLiteral("format"), QLatin1String(kFormat) },
        { QStringLiteral("formatVersion"), kFormatVersion },
        { QStringLiteral("unit"), unit() },
        { QStringLiteral("presets"),
            arrayOf(firstNumbers(result.presetCount()), [this](int p) { return preset(p); }) },
        { QStringLiteral("cabs"),
            arrayOf(firstNumbers(result.cabCount()), [this](int c) { return cab(c); }) },
    });
}

QJsonDocument JsonExport::unusedDocument(const QList<int>& unusedCabs) const
{
    return QJsonDocument(QJsonObject {
        { QStringLiteral("format"), QLatin1String(kFormat) },
        { QStringLiteral("formatVersion"), kFormatVersion },
        { QStringLiteral("unit"), unit() },
        { QStringLiteral("unusedCabs"), arrayOf(unusedCabs, [this](int c) { return cab(c); }) },
    });
}

QJsonObject JsonExport::unit() const
{
    const bool large = result.model > axefx::kLargestSmallLayoutModel;
    QJsonObject unit {
        { QStringLiteral("model"), int(result.model) },
        { QStringLiteral("layout"), large ? QStringLiteral("large") : QStringLiteral("small") },
        { QStringLiteral("displayOffset"), int(result.displayOffset) },
        { QStringLiteral("presetCount"), result.presetCount() },
        { QStringLiteral("cabCount"), result.cabCount() },
        { QStringLiteral("factoryCabCount"), result.factoryCabCount() },
        { QStringLiteral("presetsScanned"), result.presetsReached() },
        { QStringLiteral("complete"), result.isComplete() },
        { QStringLiteral("notRead"), result.count(ReadState::NotRead) },
        { QStringLiteral("notReached"), result.count(ReadState::NotReached) },
    };
    if (result.scannedAt.isValid())
        unit.insert(QStringLiteral("scanned"), result.scannedAt.toString(Qt::ISODate));
    // Written only when false, so records of every earlier scan read the same.
    if (!result.displayOffsetRead)
        unit.insert(QStringLiteral("displayOffsetRead"), false);
    return unit;
}

QJsonObject JsonExport::presetRef(int preset) const
{
    const ReadState state = result.presetNameStates.at(preset);
    return QJsonObject {
        { QStringLiteral("index"), preset },
        { QStringLiteral("number"), preset + result.displayOffset },
        { QStringLiteral("name"), state == ReadState::Read ? result.presetNames.at(preset) : "" },
        { QStringLiteral("nameState"), stateOf(state) },
    };
}

QJsonObject JsonExport::preset(int preset) const
{
    QJsonObject object = presetRef(preset);
    // Numbers outside the cabinet range stay as read, labelled as the views label them.
    object.insert(QStringLiteral("cabs"),
        arrayOf(result.presetCabs.at(preset), [this](int c) { return cabRef(c); }));
    object.insert(QStringLiteral("cabsState"), stateOf(result.usageStates.at(preset)));
    return object;
}

QJsonObject JsonExport::cabRef(int cab) const
{
    const auto number = static_cast<unsigned short>(cab);
    return QJsonObject {
        { QStringLiteral("number"), cab },
        { QStringLiteral("label"), result.cabName(number) },
        { QStringLiteral("name"), result.bareCabName(number) },
        { QStringLiteral("nameState"),
            stateOf(result.cabNameStates.value(number, ReadState::Read)) },
    };
}

QJsonObject JsonExport::cab(int cab) const
{
    QJsonObject object = cabRef(cab);
    object.insert(QStringLiteral("kind"),
        cab < result.factoryCabCount() ? QStringLiteral("factory") : QStringLiteral("user"));
    object.insert(QStringLiteral("presets"),
        arrayOf(result.cabPresets.at(cab), [this](int p) { return presetRef(p); }));
    return object;
}

bool JsonExport::save(const QString& fileName, QString* reason) const
{
    const QByteArray text = document().toJson();
    return saveWholeFile(
        fileName, [&text](QIODevice& file) { return writeAll(file, text); }, reason);
}
