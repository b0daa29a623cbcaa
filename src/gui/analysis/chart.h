#pragma once

// The analysis chart: what to show (TChartData) drawn in the chosen style (TChartStyle) through
// Qt Charts. Every change of data or style rebuilds the chart, so the view always shows exactly
// one series kind; the same data and style render the copies for the clipboard.

#include "core/analysis/chartdata.h"

#include <QChartView>

class TORVChart : public QChartView {
    Q_OBJECT
public:
    explicit TORVChart(QWidget* parent = nullptr);

    void SetData(const TChartData& data);
    const TChartData& Data() const { return data_; }
    void SetStyle(const TChartStyle& style);
    const TChartStyle& Style() const { return style_; }

Q_SIGNALS:
    // A bar, slice or point marker was clicked; its label (the option or range caption).
    void PointClicked(const QString& label);

private:
    void Rebuild();

    TChartData data_;
    TChartStyle style_;
};

// The chart drawn into an image or an SVG document of the given size, through a scene of its own
// (a view that was never shown would draw it collapsed).
QImage RenderChartImage(const TChartData& data, const TChartStyle& style, const QSize& size);
QByteArray RenderChartSvg(const TChartData& data, const TChartStyle& style, const QSize& size);
// Paints the chart into a rectangle of a painter (a printer page, an image).
void PaintChart(QPainter& painter, const QRectF& target, const TChartData& data, const TChartStyle& style);
