#include "gui/analysis/memodelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>

namespace {

constexpr int kMargin = 6;
constexpr int kNumberWidth = 44;
constexpr int kMaxLines = 400; // a very long answer is cut in the list (the export keeps it whole)

} // namespace

QRect TMemoPanelDelegate::TextRect(const QStyleOptionViewItem& option) const
{
    int width = option.rect.width();
    if (const auto* view = qobject_cast<const QAbstractItemView*>(option.widget))
        width = view->viewport()->width() - 4;
    return QRect(option.rect.left() + kNumberWidth, option.rect.top() + kMargin,
        std::max(80, width - kNumberWidth - 2 * kMargin), option.rect.height() - 2 * kMargin);
}

QSize TMemoPanelDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QString text = index.data().toString();
    const QRect rect = TextRect(option);
    const QFontMetrics metrics(option.font);
    QRect bounds = metrics.boundingRect(QRect(0, 0, rect.width(), metrics.height() * kMaxLines),
        Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    const int height = std::max(bounds.height(), metrics.height());
    return QSize(rect.width() + kNumberWidth + 2 * kMargin, height + 2 * kMargin);
}

void TMemoPanelDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const bool selected = option.state & QStyle::State_Selected;
    const QRectF panel = QRectF(option.rect).adjusted(1.5, 1.5, -1.5, -1.5);
    painter->setPen(QColor(0xC8, 0xCE, 0xD6));
    painter->setBrush(selected ? option.palette.highlight().color().lighter(170) : QColor(0xFB, 0xFC, 0xFD));
    painter->drawRoundedRect(panel, 4, 4);
    painter->setPen(QColor(0x70, 0x78, 0x80));
    painter->drawText(
        QRect(option.rect.left(), option.rect.top() + kMargin, kNumberWidth - 6, option.fontMetrics.height()),
        Qt::AlignRight | Qt::AlignTop, QString::number(index.row() + 1));
    painter->setPen(option.palette.text().color());
    painter->setFont(option.font);
    painter->drawText(
        TextRect(option), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, index.data().toString());
    painter->restore();
}
