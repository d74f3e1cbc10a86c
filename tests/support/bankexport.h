// SPDX-License-Identifier: MIT
// What a correct scan of a simulated unit shows and exports, written out from the bank alone
// (nothing here asks the views or the exports): the record of the bank's names as the device
// link reads them (blank runs made one) and the cabinets each preset uses, the rows of the
// views, the CSV and the unused user slots; and the bank after a change that comparisons use.
#pragma once

#include "crossreference.h"
#include "scanresult.h"
#include "simbank.h"
#include "simbankjson.h"

#include <QFile>
#include <QLocale>

namespace bankexport {

// "F1" and up for the factory slots, "U1" and up for the user slots; a negative number as the
// unit sends it, 16 bits without a sign.
inline QString label(int cab, quint8 model)
{
    const int number = static_cast<unsigned short>(cab);
    const int factory = SimBank::factoryCabCountFor(model);
    return number < factory ? QStringLiteral("F%1").arg(number + 1)
                            : QStringLiteral("U%1").arg(number + 1 - factory);
}

// The text, or the state that stands in for it, in brackets.
inline QString inBrackets(QString text, ReadState state)
{
    if (state != ReadState::Read)
        text = state == ReadState::NotRead ? "not read" : "not reached";
    return '(' + text + ')';
}

// A number outside the slots has no name and counts as read.
inline QString cabText(const ScanResult& result, int cab)
{
    const bool slot = cab >= 0 && cab < result.cabNames.size();
    return label(cab, result.model)
        + inBrackets(slot ? result.cabNames.at(cab) : QString(),
            slot ? result.cabNameStates.at(cab) : ReadState::Read);
}

// Per cabinet slot, each preset as often as it names the slot, in ascending order.
inline UsageLists usersOf(const ScanResult& result)
{
    UsageLists users(result.cabNames.size());
    for (int p = 0; p < result.presetCabs.size(); ++p) {
        for (int cab : result.presetCabs.at(p)) {
            if (cab >= 0 && cab < users.size())
                users[cab].append(p);
        }
    }
    return users;
}

// The key and the entries of every row of either cross-reference view; marked is left unset.
inline QVector<CrossReference::Row> rows(const ScanResult& result, CrossReference::View view)
{
    QVector<CrossReference::Row> rows;
    const auto number = [&](int p) { return QString::number(p + result.displayOffset); };
    if (view == CrossReference::PresetCabs) {
        for (int p = 0; p < result.presetNames.size(); ++p) {
            CrossReference::Row row;
            const ReadState nameState = result.presetNameStates.at(p);
            row.key = number(p) + ' '
                + (nameState == ReadState::Read ? result.presetNames.at(p)
                                                : inBrackets(QString(), nameState));
            for (int cab : result.presetCabs.at(p))
                row.entries << cabText(result, cab);
            if (result.usageStates.at(p) != ReadState::Read)
                row.entries << inBrackets(QString(), result.usageStates.at(p));
            rows << row;
        }
        return rows;
    }
    for (int cab = 0; cab < result.cabNames.size(); ++cab) {
        CrossReference::Row row;
        row.key = cabText(result, cab);
        for (int p : result.cabPresets.at(cab))
            row.entries << number(p)
                    + inBrackets(result.presetNames.at(p), result.presetNameStates.at(p));
        // While some preset's cabinets are unknown, no cabinet's list is known to be whole.
        for (ReadState state : { ReadState::NotRead, ReadState::NotReached }) {
            if (result.usageStates.contains(state))
                row.entries << inBrackets(QString(), state);
        }
        rows << row;
    }
    return rows;
}

// The system locale's: a semicolon where the comma is the decimal point.
inline QChar csvSeparator()
{
    return QLocale::system().decimalPoint() == QLatin1Char(',') ? ';' : ',';
}

// Quoted, inner quotes doubled, only when it holds the separator, a quote or a line break.
inline QString csvField(const QString& text, QChar separator)
{
    const bool quoted = text.contains(separator) || text.contains('"') || text.contains('\n')
        || text.contains('\r');
    return quoted ? '"' + QString(text).replace("\"", "\"\"") + '"' : text;
}

} // namespace bankexport

// The record once the first presetsRead presets (all when -1) were read; the scan stopped
// before the others.
inline ScanResult bankResult(const SimBank& bank, int presetsRead = -1)
{
    ScanResult result;
    result.model = bank.model;
    result.displayOffset = bank.displayOffset;
    for (int c = 0; c < bank.cabCount(); ++c) {
        result.cabNames << bank.cabNames.value(c).simplified();
        result.cabNameStates << ReadState::Read;
    }
    const int read = presetsRead < 0 ? bank.presetCount() : presetsRead;
    for (int p = 0; p < bank.presetCount(); ++p) {
        result.presetNames << bank.presets.value(p).name.simplified();
        result.presetNameStates << ReadState::Read;
        result.presetCabs << (p < read ? bank.expectedCabs(p) : QList<int>());
        result.usageStates << (p < read ? ReadState::Read : ReadState::NotReached);
        result.presetCabsX << (p < read ? bank.expectedSideCabs(p, false) : QList<int>());
        result.presetCabsY << (p < read ? bank.expectedSideCabs(p, true) : QList<int>());
    }
    result.cabPresets = bankexport::usersOf(result);
    return result;
}

// As the window and the scanner write it, with the separator of the system's locale: a
// header line, then a line per row: the key, a separator, the entries between separators.
inline QString resultCsv(const ScanResult& result, CrossReference::View view)
{
    const QChar separator = bankexport::csvSeparator();
    QString text = view == CrossReference::PresetCabs ? QStringLiteral("Preset%1Cabs\n")
                                                      : QStringLiteral("Cab%1Presets\n");
    text = text.arg(separator);
    for (const CrossReference::Row& row : bankexport::rows(result, view)) {
        QStringList entries;
        for (const QString& entry : row.entries)
            entries << bankexport::csvField(entry, separator);
        text += bankexport::csvField(row.key, separator) + separator + entries.join(separator)
            + '\n';
    }
    return text;
}

// The labels of the user slots that no preset of the bank uses, named ones first.
inline QStringList bankUnused(const SimBank& bank)
{
    const ScanResult result = bankResult(bank);
    QStringList named, empty;
    for (int c = bank.factoryCabCount(); c < bank.cabCount(); ++c) {
        if (result.cabPresets.at(c).isEmpty())
            (result.cabNames.at(c).isEmpty() ? empty : named) << bankexport::cabText(result, c);
    }
    return named + empty;
}

// The rows of the view "Changes" from the built-in bank to the changed one, "|" between the key
// and the entries: U7 replaced, the presets that use it, preset 9 renamed and preset 10's F6
// exchanged for U9.
inline QStringList changedBankRows()
{
    QStringList rows { "U7(Greenback 2x12)|was U7(Bedroom 1x12)" };
    for (const char* preset : { "78 Doom Fuzz 78", "142 Doom Fuzz 142", "174 Doom Fuzz 174",
             "230 Shoegaze Wash 230", "246 Shoegaze Wash 246" })
        rows << preset + QStringLiteral("|uses changed U7(Greenback 2x12)");
    return rows << "9 Blues Drive Plus|renamed from Blues Drive"
                << "10 Metal Chug|added U9(Live Rig SM57), removed F6(4x12 Modern Rbn)";
}

// The built-in bank after a change: U7 replaced, preset 9 renamed, preset 10's first cabinet
// changed from F6 to U9.
inline SimBank changedBank()
{
    QFile file(QStringLiteral(TOLLMARK_CHANGED_BANK));
    SimBank bank;
    QString error;
    if (!file.open(QIODevice::ReadOnly) || !SimBankJson::read(file.readAll(), &bank, &error))
        qFatal("%s: %s", TOLLMARK_CHANGED_BANK, qPrintable(error));
    return bank;
}
