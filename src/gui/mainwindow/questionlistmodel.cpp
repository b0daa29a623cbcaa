#include "gui/mainwindow/questionlistmodel.h"

#include "gui/widgets/styleimages.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

namespace {

QFont Enlarged(const QFont& font, bool bold)
{
    QFont f = font;
    if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() + 2);
    else
        f.setPixelSize(f.pixelSize() + 3);
    f.setBold(bold);
    return f;
}

// The height a line of text takes in this font (what the row layout calls the height of "A").
int HeightOfA(const QFont& font)
{
    return QFontMetrics(font).height();
}

} // namespace

void TQuestionListModel::SetRows(std::vector<TQuestionRow> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int TQuestionListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant TQuestionListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size()))
        return {};
    const TQuestionRow& row = rows_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return row.Text;
    case DetailRole:
        return row.Detail;
    case ImageRole:
        return row.Image;
    case HeaderRole:
        return row.Header;
    case IndentRole:
        return row.Indent;
    default:
        return {};
    }
}

int TQuestionDelegate::HeaderRowHeight(const QFont& listFont)
{
    return HeightOfA(Enlarged(listFont, true)) + 8;
}

int TQuestionDelegate::QuestionRowHeight()
{
    return kStyleImageHeight + 4;
}

QSize TQuestionDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool header = index.data(TQuestionListModel::HeaderRole).toBool();
    const int height = header ? HeaderRowHeight(option.font) : QuestionRowHeight();
    return QSize(option.rect.width() > 0 ? option.rect.width() : 200, height);
}

void TQuestionDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& pal = option.palette;
    const bool header = index.data(TQuestionListModel::HeaderRole).toBool();
    const QString text = index.data(Qt::DisplayRole).toString();

    if (header) {
        painter->fillRect(r, selected ? pal.highlight() : pal.dark());
        painter->setPen(pal.color(QPalette::HighlightedText));
        const QFont big = Enlarged(option.font, true);
        painter->setFont(big);
        const QRect textRect = r.adjusted(2, 4, -2, 0);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
            QFontMetrics(big).elidedText(text, Qt::ElideRight, textRect.width()));
    } else {
        painter->fillRect(r, selected ? pal.highlight() : pal.base());
        const bool indent = index.data(TQuestionListModel::IndentRole).toBool();
        const int image = index.data(TQuestionListModel::ImageRole).toInt();
        const int x0 = r.left() + 2 + (indent ? kGroupIndent : 0);
        PaintStyleImage(*painter, QRectF(x0, r.top() + 2, kStyleImageWidth, kStyleImageHeight), image);

        const int tx = x0 + kStyleImageWidth + 4;
        const int width = qMax(0, r.right() - tx - 2);
        painter->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const QFont big = Enlarged(option.font, true);
        painter->setFont(big);
        const QFontMetrics bigMetrics(big);
        painter->drawText(QRect(tx, r.top(), width, bigMetrics.height()), Qt::AlignLeft | Qt::AlignTop,
            bigMetrics.elidedText(text, Qt::ElideRight, width));
        painter->setFont(option.font);
        const QFontMetrics metrics(option.font);
        const int y2 = r.top() + HeightOfA(big) + 2;
        painter->drawText(QRect(tx, y2, width, metrics.height()), Qt::AlignLeft | Qt::AlignTop,
            metrics.elidedText(index.data(TQuestionListModel::DetailRole).toString(), Qt::ElideRight, width));
    }
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(pal.color(QPalette::Highlight).darker(130), 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(r.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}
