#include "gui/analysis/chartbuilder.h"

#include "gui/analysis/chartmarks.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QHorizontalStackedBarSeries>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLinearGradient>
#include <QPieSeries>
#include <QPieSlice>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QValueAxis>

namespace {

using TClicked = std::function<void(const QString&)>;

struct TContext {
    const TChartData& Data;
    const TChartStyle& Style;
    const TClicked& Clicked;
    QChart* Chart;
    double Total;
    QString Legend(int i) const { return LegendText(Data.Points[size_t(i)], Style.LegendStyle, Total); }
    QString Mark(int i) const
    {
        return MarkText(Data.Points[size_t(i)], Style.MarksStyle, Style.LegendStyle, Total);
    }
    int Count() const { return int(Data.Points.size()); }
};

void Report(const TClicked& clicked, const QString& label)
{
    if (clicked)
        clicked(label);
}

QString TitleHtml(const QString& title)
{
    QStringList lines = title.split(QStringLiteral("\r\n"));
    for (QString& line : lines)
        line = line.toHtmlEscaped();
    // The question's own text stands out; the type and average lines are smaller.
    if (!lines.isEmpty())
        lines.last() = QStringLiteral("<b>") + lines.last() + QStringLiteral("</b>");
    return lines.join(QStringLiteral("<br>"));
}

QValueAxis* CountAxis(const TContext& c)
{
    double highest = 0;
    for (const TChartPoint& p : c.Data.Points)
        highest = std::max(highest, p.Value);
    auto* axis = new QValueAxis;
    // Room above the highest bar for its mark; whole numbers only.
    axis->setRange(0, std::max(1.0, highest * 1.15));
    axis->applyNiceNumbers();
    axis->setLabelFormat(QStringLiteral("%d"));
    if (axis->max() <= 10)
        axis->setTickCount(int(axis->max()) + 1);
    axis->setGridLinePen(QPen(QColor(0xD0, 0xD0, 0xD0), 1, Qt::DotLine));
    return axis;
}

// A label too long to stand under its bar is broken into two lines at the blank nearest its
// middle (the axis would otherwise cut it short).
QString AxisLabel(const QString& label, int count)
{
    const qsizetype room = std::max(8, 72 / std::max(count, 1));
    if (label.size() <= room)
        return label;
    qsizetype best = -1;
    for (qsizetype i = 0; i < label.size(); ++i) {
        if (label[i] == QLatin1Char(' ')
            && (best < 0 || qAbs(i - label.size() / 2) < qAbs(best - label.size() / 2)))
            best = i;
    }
    if (best < 0)
        return label.toHtmlEscaped();
    return label.left(best).toHtmlEscaped() + QStringLiteral("<br>") + label.mid(best + 1).toHtmlEscaped();
}

QStringList Labels(const TContext& c)
{
    QStringList labels;
    for (const TChartPoint& p : c.Data.Points)
        labels << AxisLabel(p.Label, c.Count());
    return labels;
}

// One bar set per point, each with its value in its own category only: every bar gets its own
// colour and legend entry, and the axis names it.
void AddBars(const TContext& c, bool horizontal, TChartMarks* marks)
{
    QAbstractBarSeries* series = horizontal
        ? static_cast<QAbstractBarSeries*>(new QHorizontalStackedBarSeries)
        : new QStackedBarSeries;
    series->setBarWidth(0.6);
    for (int i = 0; i < c.Count(); ++i) {
        auto* set = new QBarSet(c.Legend(i));
        for (int k = 0; k < c.Count(); ++k)
            *set << (k == i ? c.Data.Points[size_t(i)].Value : 0);
        set->setColor(PointColour(i));
        set->setBorderColor(PointColour(i).darker(120));
        const QString label = c.Data.Points[size_t(i)].Label;
        QObject::connect(
            set, &QBarSet::clicked, set, [clicked = c.Clicked, label] { Report(clicked, label); });
        series->append(set);
    }
    c.Chart->addSeries(series);
    auto* categories = new QBarCategoryAxis;
    categories->append(Labels(c));
    QValueAxis* values = CountAxis(c);
    c.Chart->addAxis(categories, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    c.Chart->addAxis(values, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    series->attachAxis(categories);
    series->attachAxis(values);
    if (marks) {
        for (int i = 0; i < c.Count(); ++i) {
            const double v = c.Data.Points[size_t(i)].Value;
            marks->Add(horizontal ? QPointF(v, i) : QPointF(i, v), c.Mark(i), series, horizontal);
        }
    }
}

void AddPie(const TContext& c)
{
    auto* series = new QPieSeries;
    series->setPieStartAngle(c.Style.Rotation);
    series->setPieEndAngle(c.Style.Rotation + 360);
    series->setPieSize(0.62);
    for (int i = 0; i < c.Count(); ++i) {
        auto* slice = series->append(c.Mark(i), c.Data.Points[size_t(i)].Value);
        slice->setColor(PointColour(i));
        slice->setBorderColor(Qt::white);
        slice->setLabelVisible(c.Style.DisplayMarks);
        slice->setLabelPosition(QPieSlice::LabelOutside);
        slice->setLabelArmLengthFactor(0.12);
        const QString label = c.Data.Points[size_t(i)].Label;
        QObject::connect(
            slice, &QPieSlice::clicked, slice, [clicked = c.Clicked, label] { Report(clicked, label); });
    }
    c.Chart->addSeries(series);
    // The legend names the slices in the legend style; the slices' own labels are the marks.
    const QList<QLegendMarker*> markers = c.Chart->legend()->markers(series);
    for (int i = 0; i < markers.size() && i < c.Count(); ++i)
        markers[i]->setLabel(c.Legend(i));
}

// Line, area and scatter: values over the categories; a coloured marker per point carries the
// point's legend entry and reports clicks.
void AddLineKind(const TContext& c, TChartMarks* marks)
{
    auto* categories = new QCategoryAxis;
    categories->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    for (int i = 0; i < c.Count(); ++i)
        categories->append(AxisLabel(c.Data.Points[size_t(i)].Label, c.Count()), i);
    categories->setRange(-0.5, std::max(0.5, c.Count() - 0.5));
    categories->setGridLineVisible(false);
    QValueAxis* values = CountAxis(c);
    c.Chart->addAxis(categories, Qt::AlignBottom);
    c.Chart->addAxis(values, Qt::AlignLeft);

    QAbstractSeries* main = nullptr;
    if (c.Style.ChartType != ctScatter) {
        auto* line = new QLineSeries;
        for (int i = 0; i < c.Count(); ++i)
            line->append(i, c.Data.Points[size_t(i)].Value);
        if (c.Style.ChartType == ctArea) {
            auto* area = new QAreaSeries(line);
            area->setColor(QColor(0x4E, 0x79, 0xA7, 150));
            area->setBorderColor(QColor(0x4E, 0x79, 0xA7));
            main = area;
        } else {
            line->setPen(QPen(QColor(0x4E, 0x79, 0xA7), 2.5));
            main = line;
        }
        c.Chart->addSeries(main);
        main->attachAxis(categories);
        main->attachAxis(values);
        for (QLegendMarker* marker : c.Chart->legend()->markers(main))
            marker->setVisible(false);
    }
    QAbstractSeries* anchor = main;
    for (int i = 0; i < c.Count(); ++i) {
        auto* dot = new QScatterSeries;
        dot->setName(c.Legend(i));
        dot->append(i, c.Data.Points[size_t(i)].Value);
        dot->setColor(PointColour(i));
        dot->setBorderColor(Qt::white);
        dot->setMarkerSize(c.Style.ChartType == ctScatter ? 16 : 11);
        const QString label = c.Data.Points[size_t(i)].Label;
        QObject::connect(
            dot, &QScatterSeries::clicked, dot, [clicked = c.Clicked, label] { Report(clicked, label); });
        c.Chart->addSeries(dot);
        dot->attachAxis(categories);
        dot->attachAxis(values);
        if (!anchor)
            anchor = dot;
    }
    if (marks && anchor) {
        for (int i = 0; i < c.Count(); ++i)
            marks->Add(QPointF(i, c.Data.Points[size_t(i)].Value), c.Mark(i), anchor, false);
    }
}

void ApplyBackground(QChart* chart, const TChartStyle& style)
{
    chart->setPlotAreaBackgroundVisible(false);
    if (style.SolidBackground) {
        chart->setBackgroundBrush(ColourFromStored(style.SolidColor));
        return;
    }
    static const QPointF ends[4][2]
        = {{{0, 0}, {0, 1}}, {{0, 1}, {0, 0}}, {{0, 0}, {1, 0}}, {{1, 0}, {0, 0}}};
    const int d = std::clamp(style.GradientDirection, 0, 3);
    QLinearGradient gradient(ends[d][0], ends[d][1]);
    gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
    gradient.setColorAt(0, ColourFromStored(style.ToColor));
    gradient.setColorAt(1, ColourFromStored(style.FromColor));
    chart->setBackgroundBrush(gradient);
}

void StyleChart(QChart* chart, const TChartData& data, const TChartStyle& style)
{
    chart->setTitle(TitleHtml(data.Title));
    QFont titleFont = chart->titleFont();
    titleFont.setPointSizeF(11);
    chart->setTitleFont(titleFont);
    chart->setTitleBrush(QColor(0x20, 0x20, 0x20));
    chart->legend()->setVisible(style.DisplayLegend);
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->legend()->setShowToolTips(true);
    chart->setMargins(QMargins(8, 8, 8, 8));
    chart->setBackgroundRoundness(0);
    ApplyBackground(chart, style);
}

} // namespace

QColor ColourFromStored(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QColor PointColour(int n)
{
    static const QRgb palette[] = {0x4E79A7, 0xF28E2B, 0xE15759, 0x76B7B2, 0x59A14F, 0xEDC948, 0xB07AA1,
        0xFF9DA7, 0x9C755F, 0xBAB0AC, 0x2F4B7C, 0xA05195};
    const int size = int(sizeof palette / sizeof palette[0]);
    return QColor::fromRgb(palette[((n % size) + size) % size]);
}

QChart* BuildChart(const TChartData& data, const TChartStyle& style, const TClicked& clicked)
{
    auto* chart = new QChart;
    StyleChart(chart, data, style);
    const TContext c{data, style, clicked, chart, PointTotal(data.Points)};
    TChartMarks* marks = nullptr;
    if (style.DisplayMarks && style.ChartType != ctPie)
        marks = new TChartMarks(chart);
    switch (style.ChartType) {
    case ctPie:
        AddPie(c);
        break;
    case ctArea:
    case ctLine:
    case ctScatter:
        AddLineKind(c, marks);
        break;
    case ctHorizontalBar:
        AddBars(c, true, marks);
        break;
    default:
        AddBars(c, false, marks);
        break;
    }
    return chart;
}
