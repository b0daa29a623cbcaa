#include "gui/analysis/chart.h"

#include "gui/analysis/chartbuilder.h"

#include <QBuffer>
#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

TORVChart::TORVChart(QWidget* parent)
    : QChartView(parent)
{
    setRenderHint(QPainter::Antialiasing);
    setMinimumSize(320, 240);
    Rebuild();
}

void TORVChart::SetData(const TChartData& data)
{
    data_ = data;
    Rebuild();
}

void TORVChart::SetStyle(const TChartStyle& style)
{
    style_ = style;
    Rebuild();
}

void TORVChart::Rebuild()
{
    QChart* old = chart();
    setChart(BuildChart(data_, style_, [this](const QString& label) { Q_EMIT PointClicked(label); }));
    // The view does not free the chart it showed before.
    delete old;
}

void PaintChart(QPainter& painter, const QRectF& target, const TChartData& data, const TChartStyle& style)
{
    QGraphicsScene scene;
    QChart* chart = BuildChart(data, style);
    scene.addItem(chart);
    chart->setGeometry(QRectF(QPointF(0, 0), target.size()));
    chart->layout()->activate();
    scene.setSceneRect(chart->geometry());
    scene.render(&painter, target, chart->geometry());
}

QImage RenderChartImage(const TChartData& data, const TChartStyle& style, const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    PaintChart(painter, QRectF(QPointF(0, 0), size), data, style);
    return image;
}

QByteArray RenderChartSvg(const TChartData& data, const TChartStyle& style, const QSize& size)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setResolution(96);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(data.Title.section(QStringLiteral("\r\n"), -1));
    {
        QPainter painter(&generator);
        PaintChart(painter, QRectF(QPointF(0, 0), size), data, style);
    }
    return buffer.data();
}
