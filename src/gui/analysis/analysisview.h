#pragma once

// The display part of the "Analysis" tab: the chart, the verbose texts, the short texts with the
// "Other" and comment drill-down, and the raw records, for the question chosen in the main
// window's question combo, under the active filter. The tab's combo, status labels and buttons
// belong to the main window; it hands the combo to this view.

#include "core/analysis/analysisstate.h"
#include "core/analysis/chartdata.h"

#include <QWidget>

#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QListView;
class QMenu;
class QPushButton;
class QStackedWidget;
class QTableView;
class TORVChart;
class TORVChartTool;
class TProgress;
class TResponseTable;
class TResponseTableModel;
class TSurvey;

class TORVAnalysisView : public QWidget {
    Q_OBJECT
public:
    enum TPage { pgGraph = 0, pgDetail = 1, pgShortText = 2, pgRawMode = 3 };

    TORVAnalysisView(
        TSurvey& survey, TResponseTable& table, TAnalysisState& state, QWidget* parent = nullptr);
    ~TORVAnalysisView() override;

    // The main window's question combo: every non-header item, carrying its item index.
    void SetQuestionList(QComboBox* combo);
    // The floating chart toolbox (created by the main window at start-up; may be null).
    void SetChartTool(TORVChartTool* tool);
    // The main window's "&Raw Results Editing..." item (made checkable here).
    void SetRawResultsItem(QAction* item);
    // The background settings, as the main window keeps them.
    void SetBackground(const TChartStyle& background);
    const TChartStyle& Background() const { return background_; }

    // Rebuilds the tallies under the active filter (a warning box when it passes nothing) and
    // shows the chosen question again. Progress goes to `progress` when given.
    void Reanalyze(TProgress* progress = nullptr);
    // Empties the display (the survey was closed or replaced).
    void Clear();

    // The commands of the tab.
    void cmbQuestionListClick();
    void chartMainClickSeries(const QString& label);
    void btnViewCommentsClick();
    void btnBackToChartClick();
    void btnSetFilterOptionsClick();
    void btnChartViewClick();
    void miRawResultsEditingClick();
    void CopyChartBitmap();
    void CopyChartSvg();
    void CopyText();
    void HandOverToPresentation();
    void HandOverToWordProcessor();
    // The text the "&Text" export puts on the clipboard: the visible records' answers.
    QString AnswersText();
    // The selected question's item index, or -1.
    int SelectedItem() const;
    // How the chart is drawn now (the question's chart fields and the background).
    TChartStyle CurrentStyle() const { return style_; }

    QPushButton* btnViewComments = nullptr;
    QStackedWidget* nbAnalysis = nullptr;
    TORVChart* chartMain = nullptr;
    QListView* dbgMemo = nullptr;
    QWidget* pnlShortText = nullptr;
    QLabel* lblOtherResponses = nullptr;
    QPushButton* btnBackToChart = nullptr;
    QTableView* dbgShortText = nullptr;
    QTableView* dbgRawMode = nullptr;
    QMenu* pmExportChart = nullptr;
    QAction* miCopyBitmap = nullptr;
    QAction* miCopySvg = nullptr;
    QAction* miCopyText = nullptr;
    QAction* miPowerPoint = nullptr;
    QAction* miWord = nullptr;

Q_SIGNALS:
    // The survey was changed (chart settings stored): the window shows " Modified ".
    void SurveyChanged();
    // The filter or the number of responses changed: the window updates its labels and commands.
    void AnalysisChanged();
    // The page changed: the window updates the commands that depend on it.
    void PageChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* MakeGraphPage();
    QWidget* MakeDetailPage();
    QWidget* MakeShortTextPage();
    QWidget* MakeRawModePage();
    void MakeExportMenu();
    void ShowPage(TPage page);
    void UpdateExportCommands();
    void ShowFieldWithFilter(const QString& field, const QString& filter, const QString& caption);
    QString SetTableFilter(const QString& expression);
    void ShowChart(const TQuestion& question);
    void ApplyChartFields(const TChartStyle& style);
    void StoreChartFields(int item, const TChartStyle& style);
    void ApplyToAll(const TChartStyle& style);
    void DeleteSelectedRawRows();
    bool TableOpen() const;

    TSurvey& survey_;
    TResponseTable& table_;
    TAnalysisState& state_;
    QComboBox* questions_ = nullptr;
    TORVChartTool* tool_ = nullptr;
    QAction* rawItem_ = nullptr;
    TResponseTableModel* memoModel_ = nullptr;
    TResponseTableModel* shortTextModel_ = nullptr;
    TResponseTableModel* rawModel_ = nullptr;
    TChartStyle background_;
    TChartStyle style_;
    bool toolPlaced_ = false;
};
