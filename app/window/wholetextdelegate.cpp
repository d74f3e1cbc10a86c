// SPDX-License-Identifier: MIT
#include "wholetextdelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

bool WholeTextDelegate::isCut(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    if (item.text.isEmpty())
        return false;
    const QWidget* widget = item.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    // The style draws the text inside its text rectangle, less a focus frame's margin on
    // either side.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &item, widget) + 1;
    const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget)
                           .adjusted(margin, 0, -margin, 0);
    const int wrap = item.features.testFlag(QStyleOptionViewItem::WrapText) ? Qt::TextWordWrap : 0;
    const QRect needed = item.fontMetrics.boundingRect(
        QRect(room.topLeft(), QSize(room.width(), QWIDGETSIZE_MAX)), wrap, item.text);
    return needed.width() > room.width() || needed.height() > room.height();
}

bool WholeTextDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
    const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    if (!isCut(option, index)) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), index.data(Qt::DisplayRole).toString(), view->viewport(),
        view->visualRect(index));
    return true;
}
