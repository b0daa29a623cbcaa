#include "gui/analysis/chartmarks.h"

#include <QChart>
#include <QFont>
#include <QGraphicsSimpleTextItem>

TChartMarks::TChartMarks(QChart* chart)
    : QGraphicsObject(chart)
    , chart_(chart)
{
    setZValue(100);
    connect(chart, &QChart::plotAreaChanged, this, [this] { Place(); });
}

void TChartMarks::Add(const QPointF& value, const QString& text, QAbstractSeries* series, bool rightOfPoint)
{
    auto* item = new QGraphicsSimpleTextItem(text, this);
    QFont font = item->font();
    font.setPointSizeF(9);
    font.setBold(true);
    item->setFont(font);
    item->setBrush(QColor(0x30, 0x30, 0x30));
    marks_.push_back({value, series, rightOfPoint, item});
    Place();
}

QString TChartMarks::TextAt(int i) const
{
    return i >= 0 && i < Count() ? marks_[size_t(i)].Item->text() : QString();
}

void TChartMarks::Place()
{
    for (const TMark& m : marks_) {
        const QPointF at = mapFromItem(chart_, chart_->mapToPosition(m.Value, m.Series));
        const QRectF box = m.Item->boundingRect();
        m.Item->setPos(m.Right ? QPointF(at.x() + 4, at.y() - box.height() / 2)
                               : QPointF(at.x() - box.width() / 2, at.y() - box.height() - 3));
        m.Item->setVisible(chart_->plotArea().isValid());
    }
}
