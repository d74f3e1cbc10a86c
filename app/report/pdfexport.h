// SPDX-License-Identifier: MIT
// Renders a view of a scan into a PDF document: a title, the date of the scan, how much of the
// unit it read, and the view's table across the page's width and as many pages as it needs,
// its header row repeated on each, a row that goes on over a page break with its key again,
// each page numbered.
#pragma once

#include "crossreference.h"

#include <QCoreApplication>
#include <QDateTime>

#include <QHash>
#include <QRectF>

class QFontMetricsF;
class QIODevice;
class QPagedPaintDevice;
class QPainter;
class QTextDocument;
class ScanComparison;
class ScanResult;

class PdfExport {
    Q_DECLARE_TR_FUNCTIONS(PdfExport)

public:
    PdfExport(const ScanResult& result, CrossReference::View view);
    // The view "Changes" of the comparison of an older scan with this newer one, with the
    // older scan's date and what the comparison notes.
    PdfExport(const ScanResult& newer, const ScanComparison& comparison);

    // Writes the document to an open device; false when it could not be painted or the
    // device did not take all of it.
    bool write(QIODevice& device) const;
    // Paints the document on the pages of a printer or PDF writer that is set up already;
    // false when the device could not be painted on. Its colours are the report's own, paper
    // white and ink black, whatever the palette of the program that paints it.
    bool paint(QPagedPaintDevice& pages) const;

    // Writes the whole document or nothing: an existing file of that name stays as it was
    // when the file cannot be created or written, and reason (if given) says why.
    bool save(const QString& fileName, QString* reason = nullptr) const;

private:
    QString title() const;
    QString extent() const;
    void fill(QTextDocument& document) const;
    void fillTable(QTextDocument& document) const;
    // Paints page index (from 0) of the paginated document at the painter's origin.
    static void paintPage(QPainter& painter, QTextDocument& document, int index);
    // Where a row broken by a page break goes on, by page, with its key and " (continued)"
    // for the key column there, in the page's own coordinates.
    struct Continued {
        QRectF place;
        QString text;
    };
    QHash<int, Continued> continuedRows(
        const QTextDocument& document, const QFontMetricsF& metrics) const;

    CrossReference::View view;
    QVector<CrossReference::Row> rows;
    int presetCount;
    QString presetsRead;
    int cabCount;
    bool complete;
    QString notRead;
    // Why the unused slots' table is empty, when it must be.
    QString unusedUnknown;
    // What the comparison says besides its rows.
    QStringList comparisonLines;
    QDateTime date;
};
