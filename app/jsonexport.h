// SPDX-License-Identifier: MIT
// A scan's result as one JSON document for other programs: the unit, every preset with the
// cabinets it uses, every cabinet with the presets that use it; or only the unused user slots.
#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

class Catalogue;
struct ScanResult;

class JsonExport {
public:
    // names labels the result in the layout of model, the unit's model byte.
    JsonExport(const Catalogue& names, quint8 model, const ScanResult& result);

    // {"unit", "presets", "cabs"}: every preset and every cabinet of the unit.
    QJsonDocument document() const;
    // {"unit", "unusedCabs"}: the given cabinets, in the given order.
    QJsonDocument unusedDocument(const QList<int>& unusedCabs) const;

private:
    QJsonObject unit() const;
    QJsonObject presetRef(int preset) const;
    QJsonObject preset(int preset) const;
    QJsonObject cabRef(int cab) const;
    QJsonObject cab(int cab) const;

    const Catalogue& names;
    quint8 model;
    const ScanResult& result;
};
