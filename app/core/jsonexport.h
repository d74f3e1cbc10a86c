// SPDX-License-Identifier: MIT
// A scan's record as one JSON document for other programs, and for opening it again: the
// unit, every preset with the cabinets it uses, every cabinet with the presets that use it,
// each name and usage with whether it was read; or only the unused user slots.
#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

class ScanResult;

class JsonExport {
public:
    // The document's format: a reader knows it by "format" and its version.
    static const char kFormat[];
    static constexpr int kFormatVersion = 1;
    // Member names that the comparison's document shares with this one.
    static constexpr char kFormatName[] = "format";
    static constexpr char kFormatVersionName[] = "formatVersion";
    static constexpr char kDisplayOffset[] = "displayOffset";
    static constexpr char kPresetCount[] = "presetCount";
    static constexpr char kCabCount[] = "cabCount";
    static constexpr char kScanned[] = "scanned";
    static constexpr char kNumber[] = "number";
    static constexpr char kName[] = "name";
    static constexpr char kLabel[] = "label";
    // A preset's cabinets in its blocks' X and Y settings; a record saved before these were
    // written has neither.
    static constexpr char kXCabs[] = "xCabs";
    static constexpr char kYCabs[] = "yCabs";

    explicit JsonExport(const ScanResult& result);

    // {"format", "formatVersion", "unit", "presets", "cabs"}: every preset and every cabinet.
    QJsonDocument document() const;
    // {"format", "formatVersion", "unit", "unusedCabs"}: the given cabinets, in that order.
    QJsonDocument unusedDocument(const QList<int>& unusedCabs) const;

    // Writes document() whole or not at all: an existing file of that name stays as it was
    // when the file cannot be created or written, and reason (if given) says why.
    bool save(const QString& fileName, QString* reason = nullptr) const;

private:
    QJsonObject unit() const;
    QJsonObject presetRef(int preset) const;
    QJsonObject preset(int preset) const;
    QJsonObject cabRef(int cab) const;
    QJsonObject cab(int cab) const;

    const ScanResult& result;
};
