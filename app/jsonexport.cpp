// SPDX-License-Identifier: MIT
#include "jsonexport.h"

#include "axefxmessage.h"
#include "catalogue.h"
#include "scanjob.h"

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

} // namespace

JsonExport::JsonExport(const Catalogue& names, quint8 model, const ScanResult& result)
    : names(names)
    , model(model)
    , result(result)
{ }

QJsonDocument JsonExport::document() const
{
    return QJsonDocument(QJsonObject {
        { QStringLiteral("unit"), unit() },
        { QStringLiteral("presets"),
            arrayOf(firstNumbers(names.presetCount()), [this](int p) { return preset(p); }) },
        { QStringLiteral("cabs"),
            arrayOf(firstNumbers(names.cabCount()), [this](int c) { return cab(c); }) },
    });
}

QJsonDocument JsonExport::unusedDocument(const QList<int>& unusedCabs) const
{
    return QJsonDocument(QJsonObject {
        { QStringLiteral("unit"), unit() },
        { QStringLiteral("unusedCabs"), arrayOf(unusedCabs, [this](int c) { return cab(c); }) },
    });
}

QJsonObject JsonExport::unit() const
{
    const bool large = model > axefx::kLargestSmallLayoutModel;
    return QJsonObject {
        { QStringLiteral("model"), int(model) },
        { QStringLiteral("layout"), large ? QStringLiteral("large") : QStringLiteral("small") },
        { QStringLiteral("displayOffset"), names.displayOffset() },
        { QStringLiteral("presetCount"), names.presetCount() },
        { QStringLiteral("cabCount"), names.cabCount() },
        { QStringLiteral("factoryCabCount"), names.factoryCabCount() },
        { QStringLiteral("presetsScanned"), result.presetsScanned },
    };
}

QJsonObject JsonExport::presetRef(int preset) const
{
    return QJsonObject {
        { QStringLiteral("index"), preset },
        { QStringLiteral("number"), preset + names.displayOffset() },
        { QStringLiteral("name"), names.presetName(preset) },
    };
}

QJsonObject JsonExport::preset(int preset) const
{
    QJsonObject object = presetRef(preset);
    // Numbers outside the cabinet range stay as read, labelled as the views label them.
    object.insert(QStringLiteral("cabs"),
        arrayOf(result.presetCabs.value(preset), [this](int c) { return cabRef(c); }));
    return object;
}

QJsonObject JsonExport::cabRef(int cab) const
{
    const auto number = static_cast<unsigned short>(cab);
    return QJsonObject {
        { QStringLiteral("number"), cab },
        { QStringLiteral("label"), names.cabName(number) },
        { QStringLiteral("name"), names.bareCabName(number) },
    };
}

QJsonObject JsonExport::cab(int cab) const
{
    QJsonObject object = cabRef(cab);
    object.insert(QStringLiteral("kind"),
        cab < names.factoryCabCount() ? QStringLiteral("factory") : QStringLiteral("user"));
    object.insert(QStringLiteral("presets"),
        arrayOf(result.cabPresets.value(cab), [this](int p) { return presetRef(p); }));
    return object;
}
