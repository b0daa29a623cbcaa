#pragma once

// Draws each verbose answer as a panel of its own: the whole text wrapped to the view's width,
// with a number so that answers can be told apart and referred to.

#include <QStyledItemDelegate>

class TMemoPanelDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(
        QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QRect TextRect(const QStyleOptionViewItem& option) const;
};
