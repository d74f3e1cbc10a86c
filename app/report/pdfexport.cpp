// SPDX-License-Identifier: MIT
#include "pdfexport.h"

#include "scancomparison.h"
#include "scanresult.h"
#include "unusedcabs.h"
#include "wholefile.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

namespace {
const int kResolutionDpi = 300;
const qreal kMarginMm = 15;
const qreal kFontPoints = 9;
const qreal kTitlePoints = 14;
const qreal kCellPadding = 3;
const qreal kBorderWidth = 0.75;
const qreal kTableTopMargin = 8;
const qreal kKeyColumnPercent = 40;
const char kEntrySeparator[] = ", ";
const qreal kFooterLines = 2; // the page number's line and a blank one above it
// The report's own ink: paper is white whatever the palette of the program drawing it.
const QColor kInk(Qt::black);
const QColor kRule(Qt::darkGray);

QTextCharFormat boldFormat(qreal points)
{
    QTextCharFormat format;
    format.setFontPointSize(points);
    format.setFontWeight(QFont::Bold);
    return format;
}
} // namespace

PdfExport::PdfExport(const ScanResult& result, CrossReference::View view)
    : view(view)
    , rows(CrossReference(result).rows(view))
    , presetCount(result.presetCount())
    , presetsRead(result.presetsReadText())
    , cabCount(result.cabCount())
    , complete(result.isComplete())
    , notRead(result.notReadText())
    , unusedUnknown(view == CrossReference::UnusedCabs ? unusedUnknownReason(result) : QString())
    , date(result.scannedAt.isValid() ? result.scannedAt : QDateTime::currentDateTime())
{ }

PdfExport::PdfExport(const ScanResult& newer, const ScanComparison& comparison)
    : PdfExport(newer, CrossReference::Changes)
{
    rows = comparison.rows();
    const QDateTime older = comparison.olderScannedAt();
    if (older.isValid())
        comparisonLines << tr("Compared with the scan of %1")
                               .arg(QLocale().toString(older, QLocale::LongFormat));
    comparisonLines << comparison.notes() << comparison.summary();
}

QString PdfExport::title() const
{
    return tr("Tollmark: %1").arg(CrossReference::title(view));
}

void PdfExport::fill(QTextDocument& document) const
{
    QTextCursor cursor(&document);
    cursor.insertText(title(), boldFormat(kTitlePoints));
    cursor.insertBlock();
    cursor.insertText(QLocale().toString(date, QLocale::LongFormat), QTextCharFormat());
    cursor.insertBlock();
    cursor.insertText(extent());
    for (const QString& line : QStringList { notRead, unusedUnknown } + comparisonLines) {
        if (line.isEmpty())
            continue;
        cursor.insertBlock();
        cursor.insertText(line);
    }
    fillTable(document);
}

QString PdfExport::extent() const
{
    if (complete)
        return tr("%1 presets, %2 cabinets").arg(presetCount).arg(cabCount);
    return tr("%1, %2 cabinets").arg(presetsRead, QString::number(cabCount));
}

void PdfExport::fillTable(QTextDocument& document) const
{
    const QStringList headers = CrossReference::headers(view);
    QTextTableFormat format;
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    if (headers.size() > 1) {
        format.setColumnWidthConstraints(
            { QTextLength(QTextLength::PercentageLength, kKeyColumnPercent),
                QTextLength(QTextLength::PercentageLength, 100 - kKeyColumnPercent) });
    }
    format.setHeaderRowCount(1);
    format.setCellSpacing(0);
    format.setCellPadding(kCellPadding);
    format.setTopMargin(kTableTopMargin);
    format.setBorder(kBorderWidth);
    format.setBorderBrush(kRule);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);

    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::End);
    QTextTable* table = cursor.insertTable(rows.size() + 1, headers.size(), format);
    for (int column = 0; column < headers.size(); ++column) {
        table->cellAt(0, column).firstCursorPosition().insertText(
            headers.at(column), boldFormat(kFontPoints));
    }
    for (int r = 0; r < rows.size(); ++r) {
        const CrossReference::Row& row = rows.at(r);
        table->cellAt(r + 1, 0).firstCursorPosition().insertText(row.key);
        if (headers.size() > 1)
            table->cellAt(r + 1, 1).firstCursorPosition().insertText(
                row.entries.join(QLatin1String(kEntrySeparator)));
    }
}

bool PdfExport::write(QIODevice& device) const
{
    // Painted whole first: a device that takes only part of it, or a painter that cannot
    // start, must not pass for a report written.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    QPdfWriter writer(&pdf);
    writer.setResolution(kResolutionDpi);
    writer.setCreator(QStringLiteral("Tollmark"));
    writer.setTitle(title());
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
        QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
    return paint(writer) && writeAll(device, pdf.data());
}

bool PdfExport::paint(QPagedPaintDevice& pages) const
{
    QTextDocument document;
    QFont font = document.defaultFont();
    font.setPointSizeF(kFontPoints);
    document.setDefaultFont(font);
    document.setDocumentMargin(0);
    // Filled before it has a layout: a layout would be redone for the whole table at every
    // cell written.
    fill(document);
    // Laid out on the device's own pages, less a footer line for the page number: the table
    // spans the whole width between the page's margins.
    const int resolution = pages.logicalDpiX();
    const QSizeF page = pages.pageLayout().paintRectPixels(resolution).size();
    const qreal footer = kFooterLines * QFontMetricsF(font, &pages).height();
    document.documentLayout()->setPaintDevice(&pages);
    document.setPageSize(QSizeF(page.width(), page.height() - footer));

    QPainter painter(&pages);
    if (!painter.isActive())
        return false;
    painter.setFont(font);
    painter.setPen(kInk);
    const int count = document.pageCount();
    const QHash<int, Continued> continued = continuedRows(document, QFontMetricsF(font, &pages));
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            pages.newPage();
        paintPage(painter, document, i);
        if (continued.contains(i)) {
            const Continued& row = continued.value(i);
            painter.drawText(row.place, Qt::AlignLeft | Qt::AlignTop, row.text);
        }
        painter.drawText(QRectF(QPointF(0, 0), page), Qt::AlignRight | Qt::AlignBottom,
            tr("%1 / %2").arg(i + 1).arg(count));
    }
    return painter.end();
}

void PdfExport::paintPage(QPainter& painter, QTextDocument& document, int index)
{
    const QSizeF size = document.pageSize();
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, kInk);
    context.clip = QRectF(QPointF(0, index * size.height()), size);
    painter.save();
    painter.setClipRect(QRectF(QPointF(0, 0), size));
    painter.translate(0, -context.clip.top());
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

QHash<int, PdfExport::Continued> PdfExport::continuedRows(
    const QTextDocument& document, const QFontMetricsF& metrics) const
{
    QHash<int, Continued> continued;
    const QList<QTextFrame*> frames = document.rootFrame()->childFrames();
    auto* table = qobject_cast<QTextTable*>(frames.value(0));
    if (!table || table->columns() < 2)
        return continued;
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    const qreal pageHeight = document.pageSize().height();
    for (int r = 1; r < table->rows(); ++r) {
        const QRectF key
            = layout->blockBoundingRect(table->cellAt(r, 0).firstCursorPosition().block());
        const QTextBlock entries = table->cellAt(r, 1).firstCursorPosition().block();
        const QRectF entriesRect = layout->blockBoundingRect(entries);
        const QTextLayout* lines = entries.layout();
        int page = int(key.top() / pageHeight);
        for (int l = 0; l < lines->lineCount(); ++l) {
            const QTextLine line = lines->lineAt(l);
            const qreal top = entriesRect.top() + line.y();
            if (int(top / pageHeight) <= page)
                continue;
            page = int(top / pageHeight);
            const QString text = tr("%1 (continued)").arg(rows.at(r - 1).key);
            continued.insert(page,
                { QRectF(key.left(), top - page * pageHeight, key.width(), line.height()),
                    metrics.elidedText(text, Qt::ElideMiddle, key.width()) });
        }
    }
    return continued;
}

bool PdfExport::save(const QString& fileName, QString* reason) const
{
    return saveWholeFile(
        fileName, [this](QIODevice& file) { return write(file); }, reason);
}
