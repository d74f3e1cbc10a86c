// SPDX-License-Identifier: MIT
// The rows of a view as the tests compare them: "key|entries" ("," between the entries) with a
// "*" before a marked row, or the keys alone.
#pragma once

#include "crossreference.h"

inline QStringList rowTexts(const QVector<CrossReference::Row>& rows, bool keysOnly = false)
{
    QStringList texts;
    for (const CrossReference::Row& row : rows)
        texts << QString(row.marked ? "*" : "") + row.key
                + (keysOnly ? QString() : '|' + row.entries.join(", "));
    return texts;
}
