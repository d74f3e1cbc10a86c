// SPDX-License-Identifier: MIT
#include "pdfexport.h"

#include "wholefile.h"

#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

namespace {
const int kResolutionDpi = 300;
const qreal kMarginMm = 15;
const qreal kFontPoints = 9;
const char kEntrySeparator[] = ", ";
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

QString PdfExport::html() const
{
    const QString when = QLocale().toString(date, QLocale::LongFormat);
    const QString counts = tr("%1 presets, %2 cabinets").arg(presetCount).arg(cabCount);
    return QStringLiteral("<h2>%1</h2><p>%2<br>%3</p>%4")
        .arg(title().toHtmlEscaped(), when.toHtmlEscaped(), counts.toHtmlEscaped(), tableHtml());
}

QString PdfExport::tableHtml() const
{
    const QStringList headers = CrossReference::headers(view);
    QString html = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
                                  "width=\"100%\"><thead><tr><th width=\"40%\" align=\"left\">"
                                  "%1</th><th align=\"left\">%2</th></tr></thead>")
                       .arg(headers.at(0).toHtmlEscaped(), headers.at(1).toHtmlEscaped());
    for (const CrossReference::Row& row : rows) {
        html += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>")
                    .arg(row.key.toHtmlEscaped(),
                        row.entries.join(QLatin1String(kEntrySeparator)).toHtmlEscaped());
    }
    html += QStringLiteral("</table>");
    return html;
}

bool PdfExport::save(const QString& fileName) const
{
    return saveWholeFile(fileName, QIODevice::NotOpen, [this](QIODevice& file) {
        QPdfWriter writer(&file);
        writer.setResolution(kResolutionDpi);
        writer.setCreator(QStringLiteral("Tollmark"));
        writer.setTitle(title());
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
            QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
        QTextDocument document;
        QFont font = document.defaultFont();
        font.setPointSizeF(kFontPoints);
        document.setDefaultFont(font);
        document.setHtml(html());
        document.print(&writer);
        return true;
    });
}
