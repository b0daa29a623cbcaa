#pragma once

// The marks of a chart's points (value, percent or label texts) for the series kinds whose own
// labels cannot show them: small texts kept beside their points whenever the plot area moves.

#include <QGraphicsObject>
#include <QPointF>

#include <vector>

class QAbstractSeries;
class QChart;
class QGraphicsSimpleTextItem;

class TChartMarks : public QGraphicsObject {
    Q_OBJECT
public:
    explicit TChartMarks(QChart* chart);

    // A text at the point `value` of `series`: above it, or right of it for horizontal bars.
    void Add(const QPointF& value, const QString& text, QAbstractSeries* series, bool rightOfPoint);
    int Count() const { return int(marks_.size()); }
    QString TextAt(int i) const;

    QRectF boundingRect() const override { return {}; }
    void paint(QPainter*, const QStyleOptionGraphicsItem*, QWidget*) override { }

private:
    void Place();

    struct TMark {
        QPointF Value;
        QAbstractSeries* Series;
        bool Right;
        QGraphicsSimpleTextItem* Item;
    };
    QChart* chart_;
    std::vector<TMark> marks_;
};
