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
        { QLatin1String(kFormatName), QLatin1String(kFormat) },
        { QLatin1String(kFormatVersionName), kFormatVersion },
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
        { QLatin1String(kFormatName), QLatin1String(kFormat) },
        { QLatin1String(kFormatVersionName), kFormatVersion },
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
        { QLatin1String(kDisplayOffset), int(result.displayOffset) },
        { QLatin1String(kPresetCount), result.presetCount() },
        { QLatin1String(kCabCount), result.cabCount() },
        { QStringLiteral("factoryCabCount"), result.factoryCabCount() },
        { QStringLiteral("presetsScanned"), result.presetsReached() },
        { QStringLiteral("complete"), result.isComplete() },
        { QStringLiteral("notRead"), result.count(ReadState::NotRead) },
        { QStringLiteral("notReached"), result.count(ReadState::NotReached) },
    };
    if (result.scannedAt.isValid())
        unit.insert(QLatin1String(kScanned), result.scannedAt.toString(Qt::ISODate));
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
        { QLatin1String(kNumber), preset + result.displayOffset },
        { QLatin1String(kName), state == ReadState::Read ? result.presetNames.at(preset) : "" },
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
    if (result.sidesKept) {
        object.insert(QLatin1String(kXCabs),
            arrayOf(result.presetCabsX.value(preset), [this](int c) { return cabRef(c); }));
        object.insert(QLatin1String(kYCabs),
            arrayOf(result.presetCabsY.value(preset), [this](int c) { return cabRef(c); }));
    }
    return object;
}

QJsonObject JsonExport::cabRef(int cab) const
{
    const auto number = static_cast<unsigned short>(cab);
    return QJsonObject {
        { QLatin1String(kNumber), cab },
        { QLatin1String(kLabel), result.cabName(number) },
        { QLatin1String(kName), result.bareCabName(number) },
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
