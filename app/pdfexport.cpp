// SPDX-License-Identifier: MIT
#include "pdfexport.h"

#include "wholefile.h"

#include <QAbstractTextDocumentLayout>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
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

QTextCharFormat boldFormat(qreal points)
{
    QTextCharFormat format;
    format.setFontPointSize(points);
    format.setFontWeight(QFont::Bold);
    return format;
}
} // namespace

PdfExport::PdfExport(CrossReference::View view, const QVector<CrossReference::Row>& rows,
    int presetCount, int cabCount)
    : view(view)
    , rows(rows)
    , presetCount(presetCount)
    , cabCount(cabCount)
    , date(QDateTime::currentDateTime())
{ }

void PdfExport::setDate(const QDateTime& date)
{
    this->date = date;
}

QString PdfExport::title() const
{
    const QStringList headers = CrossReference::headers(view);
    return tr("Tollmark: %1 -> %2").arg(headers.at(0), headers.at(1));
}

void PdfExport::fill(QTextDocument& document) const
{
    QTextCursor cursor(&document);
    cursor.insertText(title(), boldFormat(kTitlePoints));
    cursor.insertBlock();
    cursor.insertText(QLocale().toString(date, QLocale::LongFormat), QTextCharFormat());
    cursor.insertBlock();
    cursor.insertText(tr("%1 presets, %2 cabinets").arg(presetCount).arg(cabCount));
    fillTable(document);
}

void PdfExport::fillTable(QTextDocument& document) const
{
    QTextTableFormat format;
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setColumnWidthConstraints(
        { QTextLength(QTextLength::PercentageLength, kKeyColumnPercent),
            QTextLength(QTextLength::PercentageLength, 100 - kKeyColumnPercent) });
    format.setHeaderRowCount(1);
    format.setCellSpacing(0);
    format.setCellPadding(kCellPadding);
    format.setTopMargin(kTableTopMargin);
    format.setBorder(kBorderWidth);
    format.setBorderBrush(QColor(Qt::darkGray));
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);

    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::End);
    QTextTable* table = cursor.insertTable(rows.size() + 1, 2, format);
    const QStringList headers = CrossReference::headers(view);
    for (int column = 0; column < 2; ++column) {
        table->cellAt(0, column).firstCursorPosition().insertText(
            headers.at(column), boldFormat(kFontPoints));
    }
    for (int r = 0; r < rows.size(); ++r) {
        const CrossReference::Row& row = rows.at(r);
        table->cellAt(r + 1, 0).firstCursorPosition().insertText(row.key);
        table->cellAt(r + 1, 1).firstCursorPosition().insertText(
            row.entries.join(QLatin1String(kEntrySeparator)));
    }
}

void PdfExport::write(QIODevice& device) const
{
    QPdfWriter writer(&device);
    writer.setResolution(kResolutionDpi);
    writer.setCreator(QStringLiteral("Tollmark"));
    writer.setTitle(title());
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
        QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));

    QTextDocument document;
    QFont font = document.defaultFont();
    font.setPointSizeF(kFontPoints);
    document.setDefaultFont(font);
    // Laid out on the writer's own page: printing then adds no margins of its own, and the
    // table spans the whole width between the page's margins.
    document.documentLayout()->setPaintDevice(&writer);
    document.setPageSize(writer.pageLayout().paintRectPixels(writer.resolution()).size());
    document.setDocumentMargin(0);
    fill(document);
    document.print(&writer);
}

bool PdfExport::save(const QString& fileName) const
{
    return saveWholeFile(fileName, QIODevice::NotOpen, [this](QIODevice& file) {
        write(file);
        return true;
    });
}
