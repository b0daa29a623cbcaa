#include "core/analysis/chartdata.h"

#include "core/survey/question.h"

#include <cmath>

namespace {

QString TypeLine(int style)
{
    switch (style) {
    case qsSingleSelect:
        return QStringLiteral("Type: Single Choice");
    case qsMultipleSelect:
        return QStringLiteral("Type: Multiple Choice");
    case qsSlidingScale:
        return QStringLiteral("Type: Sliding Scale");
    case qsFreeFormText:
        return QStringLiteral("Type: Text");
    case qsPullDownList:
        return QStringLiteral("Type: Single Choice / Pulldown");
    case qsNumericValue:
        return QStringLiteral("Type: Numeric Value");
    default:
        return QString();
    }
}

QString ValueText(double value)
{
    return QString::number(value, 'g', 12);
}

QString PercentText(double value, double total)
{
    const double percent = total > 0 ? value * 100.0 / total : 0;
    return QString::number(std::round(percent)) + QLatin1Char('%');
}

} // namespace

void TakeChartFields(TChartStyle& style, const TQuestion& question)
{
    style.ChartType = question.ChartType;
    style.DisplayLegend = question.DisplayLegend;
    style.LegendStyle = question.LegendStyle;
    style.DisplayMarks = question.DisplayMarks;
    style.MarksStyle = question.MarksStyle;
    style.Rotation = question.Rotation;
}

QString AverageText(double average)
{
    return QStringLiteral("Average: ") + QString::asprintf("%5.0f", std::round(average));
}

TChartData BuildChartData(const TQuestion& question, const TResultsList& results)
{
    TChartData data;
    data.FirstLine = TypeLine(question.Style);
    if (question.Style == qsNumericValue) {
        const TNumericResults* numeric = NumericResultsOf(results, question.ID);
        data.FirstLine += QStringLiteral("\r\n") + AverageText(numeric ? numeric->Average : 0);
        data.HasPoints = true;
        if (numeric) {
            for (const TCountResults& range : numeric->Ranges)
                data.Points.push_back({double(range.Count), range.Caption});
        }
    } else if (question.Style != qsFreeFormText && !question.IsRenderedAsHeader()) {
        data.HasPoints = true;
        for (const TCountResults* option : CountResultsOf(results, question.ID)) {
            if (option->Count > 0)
                data.Points.push_back({double(option->Count), option->Caption});
        }
    }
    data.Title = data.FirstLine + QStringLiteral("\r\n") + question.Text;
    return data;
}

double PointTotal(const std::vector<TChartPoint>& points)
{
    double total = 0;
    for (const TChartPoint& p : points)
        total += p.Value;
    return total;
}

QString LegendText(const TChartPoint& point, int legendStyle, double total)
{
    const QString value = ValueText(point.Value);
    const QString percent = PercentText(point.Value, total);
    switch (legendStyle) {
    case 1:
        return value + QLatin1Char(' ') + point.Label;
    case 2:
        return point.Label + QLatin1Char(' ') + value;
    case 3:
        return percent + QLatin1Char(' ') + point.Label;
    case 4:
        return point.Label + QLatin1Char(' ') + percent;
    default:
        return point.Label;
    }
}

QString MarkText(const TChartPoint& point, int marksStyle, int legendStyle, double total)
{
    const QString value = ValueText(point.Value);
    const QString percent = PercentText(point.Value, total);
    const QString ofTotal = percent + QStringLiteral(" of ") + ValueText(total);
    switch (marksStyle) {
    case 1:
        return percent;
    case 2:
        return point.Label;
    case 3:
        return point.Label + QLatin1Char(' ') + percent;
    case 4:
        return point.Label + QLatin1Char(' ') + value;
    case 5:
        return LegendText(point, legendStyle, total);
    case 6:
        return ofTotal;
    case 7:
        return point.Label + QLatin1Char(' ') + ofTotal;
    default:
        return value;
    }
}

QStringList ChartTypeNames()
{
    return {"Bar", "Pie", "Area", "Horizontal Bar", "Line", "Scatter"};
}

QStringList LegendStyleNames()
{
    return {"Plain", "Left Value", "Right Value", "Left Percent", "Right Percent"};
}

QStringList MarksStyleNames()
{
    return {"Value", "Percent", "Label", "Label & Percent", "Label & Value", "Legend", "Percent Total",
        "Label & Percent Total"};
}

QStringList GradientDirectionNames()
{
    return {"Top to Bottom", "Bottom to Top", "Left to Right", "Right to Left"};
}

const std::vector<TNamedColour>& ChartColours()
{
    static const std::vector<TNamedColour> colours = {
        {"Aqua", 0xFFFF00},
        {"Black", 0x000000},
        {"Blue", 0xFF0000},
        {"Gray", 0x808080},
        {"Fuchsia", 0xFF00FF},
        {"Gray", 0x808080},
        {"Green", 0x008000},
        {"Lime", 0x00FF00},
        {"Silver", 0xC0C0C0},
        {"Maroon", 0x000080},
        {"Navy", 0x800000},
        {"Olive", 0x008080},
        {"Purple", 0x800080},
        {"Red", 0x0000FF},
        {"Silver", 0xC0C0C0},
        {"Teal", 0x808000},
        {"White", 0xFFFFFF},
        {"Yellow", 0x00FFFF},
    };
    return colours;
}

int ChartColourIndex(int value)
{
    const auto& colours = ChartColours();
    for (size_t i = 0; i < colours.size(); ++i) {
        if (colours[i].Value == value)
            return int(i);
    }
    return -1;
}
