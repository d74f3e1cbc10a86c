// SPDX-License-Identifier: MIT
// Renders a cross-reference view into a PDF document: a title, the date, the device's counts
// and the two-column table, across as many pages as it needs.
#pragma once

#include "crossreference.h"

#include <QCoreApplication>
#include <QDateTime>

class PdfExport {
    Q_DECLARE_TR_FUNCTIONS(PdfExport)

public:
    PdfExport(CrossReference::View view, const QVector<CrossReference::Row>& rows, int presetCount,
        int cabCount);

    void setDate(const QDateTime& date);
    QString html() const;

    // Writes the whole document or nothing: an existing file of that name stays as it was
    // when the file cannot be created or written.
    bool save(const QString& fileName) const;

private:
    QString title() const;
    QString tableHtml() const;

    CrossReference::View view;
    QVector<CrossReference::Row> rows;
    int presetCount;
    int cabCount;
    QDateTime date;
};
