#pragma once

// Builds a Qt Charts chart from what the analysis shows (points, title) and how (chart type,
// legend and marks styles, rotation, background). The analysis view, the clipboard copies and the
// printed reports all draw through this one builder.

#include "core/analysis/chartdata.h"

#include <QColor>

#include <functional>

class QChart;

// A stored colour (0x00BBGGRR) as a QColor.
QColor ColourFromStored(int value);

// The colour of the n-th point (a palette that stays legible on white and on a gradient).
QColor PointColour(int n);

// Builds the chart; the caller owns it. `clicked` (may be empty) hears the label of a clicked
// point (bar, slice or marker).
QChart* BuildChart(const TChartData& data, const TChartStyle& style,
    const std::function<void(const QString&)>& clicked = {});
