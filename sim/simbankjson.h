// SPDX-License-Identifier: MIT
// The bank file format: reading with a reason for every rejection, and writing.
#pragma once

#include <QByteArray>
#include <QString>

struct SimBank;

class SimBankJson {
public:
    /// Parses a bank; on failure `bank` is untouched and `error` names the faulty entry.
    static bool read(const QByteArray& json, SimBank* bank, QString* error);
    static QByteArray write(const SimBank& bank);
};
