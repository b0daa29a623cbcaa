#pragma once

// What the analysis chart shows for a question (not how it is drawn): the title, the points
// with their values and labels, the texts of legend entries and point marks, and the names of
// the chart settings as the chart toolbox lists them.

#include "core/analysis/results.h"

#include <QString>
#include <QStringList>

#include <vector>

class TQuestion;

// ChartType codes: the six series in this order.
enum TChartType : int { ctBar = 0, ctPie, ctArea, ctHorizontalBar, ctLine, ctScatter };

struct TChartPoint {
    double Value = 0;
    QString Label;
};

struct TChartData {
    // False for Free Form Text, whose chart is left as it was.
    bool HasPoints = false;
    // "Type: Single Choice", ...; for Numeric Value two lines, the second the average text.
    QString FirstLine;
    // FirstLine, CR LF, the question's text.
    QString Title;
    std::vector<TChartPoint> Points;
};

// How the chart is drawn: the question's chart fields and the window's background settings.
struct TChartStyle {
    int ChartType = ctBar;
    bool DisplayLegend = true;
    int LegendStyle = 1;
    bool DisplayMarks = true;
    int MarksStyle = 0;
    int Rotation = 0; // degrees, the pie only
    bool SolidBackground = true;
    int SolidColor = 0xFFFFFF; // 0x00BBGGRR, as the settings store colours
    int FromColor = 0xFFFFFF;
    int ToColor = 0x808000;
    int GradientDirection = 0; // 0 top to bottom, 1 bottom to top, 2 left to right, 3 right to left
};

// The question's six chart fields into a style (background left as it is).
void TakeChartFields(TChartStyle& style, const TQuestion& question);

// "Average: " and the average rounded to a whole number (halves away from zero), right-aligned in
// five characters: 3.6 gives "Average:     4".
QString AverageText(double average);

// Choice questions: one point per option (Other last) counted at least once; Numeric Value: one
// point per range, zero counts included.
TChartData BuildChartData(const TQuestion& question, const TResultsList& results);

// The sum of the points' values (the base of the percent texts).
double PointTotal(const std::vector<TChartPoint>& points);
// Text of a legend entry in LegendStyle (0 "Plain", 1 "Left Value", 2 "Right Value",
// 3 "Left Percent", 4 "Right Percent").
QString LegendText(const TChartPoint& point, int legendStyle, double total);
// Text of a point's mark in MarksStyle (0 "Value", 1 "Percent", 2 "Label", 3 "Label & Percent",
// 4 "Label & Value", 5 "Legend", 6 "Percent Total", 7 "Label & Percent Total"); the legend style
// is used by "Legend".
QString MarkText(const TChartPoint& point, int marksStyle, int legendStyle, double total);

QStringList ChartTypeNames(); // "Bar", "Pie", "Area", "Horizontal Bar", "Line", "Scatter"
QStringList LegendStyleNames();
QStringList MarksStyleNames();
QStringList GradientDirectionNames(); // "Top to Bottom", "Bottom to Top", "Left to Right", "Right to Left"

// The colour lists of the chart toolbox: 18 entries, "Gray" and "Silver" twice.
struct TNamedColour {
    const char* Name;
    int Value; // as stored in the settings: 0x00BBGGRR
};
const std::vector<TNamedColour>& ChartColours();
// The first entry holding that colour; -1 for a colour not in the list.
int ChartColourIndex(int value);
