#pragma once

// "Chart Toolbox": a floating tool window that styles the analysis chart. It shows a chart style
// (the question's chart fields and the window's background); the author's changes are announced,
// and the analysis view applies them to the chart and stores them into the question. Loading a
// question's style into the toolbox announces nothing, so it never marks the survey modified.

#include "core/analysis/chartdata.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;

class TORVChartTool : public QWidget {
    Q_OBJECT
public:
    explicit TORVChartTool(QWidget* parent = nullptr);
    ~TORVChartTool() override;

    // Sets every control from the style without announcing a change.
    void LoadStyle(const TChartStyle& style);
    const TChartStyle& Style() const { return style_; }
    // Where the toolbox goes the first time: Top and Left of the settings, else the lower left
    // corner of `owner` (its bottom edge on the owner's bottom edge).
    void PlaceBeside(const QWidget* owner);

    QTabWidget* pcTool = nullptr;
    QComboBox* cmbChartType = nullptr;
    QCheckBox* cbDisplayLegend = nullptr;
    QComboBox* cmbLegend = nullptr;
    QCheckBox* cbMarks = nullptr;
    QComboBox* cmbMarks = nullptr;
    QLabel* lblRotation = nullptr;
    QSlider* tbRotation = nullptr;
    QLabel* lblDegrees = nullptr;
    QPushButton* btnApplyToAll = nullptr;
    QRadioButton* rbSolid = nullptr;
    QRadioButton* rbGradient = nullptr;
    QComboBox* cmbBGColor = nullptr;
    QComboBox* cmbFromColor = nullptr;
    QComboBox* cmbToColor = nullptr;
    QComboBox* cmbDirection = nullptr;

Q_SIGNALS:
    // The author changed the chart type, legend, marks or rotation.
    void ChartFieldsChanged(const TChartStyle& style);
    // The author changed the background.
    void BackgroundChanged(const TChartStyle& style);
    // The author asked to give every question these chart settings (after confirming).
    void ApplyToAllRequested(const TChartStyle& style);

private:
    QWidget* MakeStylePage();
    QWidget* MakeBackgroundPage();
    QComboBox* MakeColourList(QWidget* parent);
    void ShowStyle();
    void ReadStyleControls();
    void ReadBackgroundControls();
    void EnableControls();

    TChartStyle style_;
    bool loading_ = false;
};

// A swatch icon of a stored colour, as the colour lists draw their entries.
class QIcon;
QIcon ColourSwatch(int storedColour);
// The icon of a chart type in the type list.
QIcon ChartTypeIcon(int chartType);
