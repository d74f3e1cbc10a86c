// SPDX-License-Identifier: MIT
// Draws table cells as usual and shows a cell's whole text as its tooltip when the cell is
// too narrow or too low for it, and only then.
#pragma once

#include <QStyledItemDelegate>

class WholeTextDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
        const QModelIndex& index) override;

private:
    // Whether the cell's text, as the style lays it out in the cell, is cut.
    bool isCut(const QStyleOptionViewItem& option, const QModelIndex& index) const;
};
