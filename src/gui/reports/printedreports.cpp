#include "gui/reports/printedreports.h"

#include "core/authoring/questionrows.h"
#include "core/reports/htmlreport.h"
#include "core/reports/reportanswers.h"
#include "core/survey/survey.h"
#include "gui/analysis/chart.h"
#include "gui/reports/reportpage.h"

#include <QPagedPaintDevice>

namespace {

// The chart is laid out at a screen-like width and scaled into its place on the page, so its
// fonts and lines keep their proportions on any printer.
constexpr double kChartLayoutWidth = 720;

enum class TMark { Circle, Square };

void DrawMark(TReportPage& page, TMark mark, double x, double y)
{
    const double side = page.TextHeight() - page.Dots(5);
    QPainter& painter = page.Painter();
    painter.save();
    painter.setPen(QPen(Qt::black, page.Dots(4)));
    painter.setBrush(Qt::NoBrush);
    const QRectF box(x, y + page.Dots(5), side, side);
    if (mark == TMark::Square)
        painter.drawRect(box);
    else
        painter.drawEllipse(box);
    painter.restore();
}

void MarkedLine(TReportPage& page, TMark mark, double x0, const QString& text)
{
    DrawMark(page, mark, x0, page.Y());
    page.TextOut(x0 + 2 * page.TextWidth(QStringLiteral("X")), page.Y(), text);
    page.AddY(page.LineStep());
    page.PageCheck();
}

void FreeTextLines(TReportPage& page, const TQuestion& q, double x0)
{
    page.TextOut(x0, page.Y(), QStringLiteral("(Write in your response below)"));
    page.AddY(page.LineStep());
    const bool verbose = q.LengthOfResponse == -1;
    const int lines = verbose ? 3 : 1;
    const double right = verbose ? page.PageWidth() - x0 : page.PageWidth() / 2;
    page.AddY(page.LineStep());
    for (int i = 0; i < lines; ++i) {
        page.Rule(x0, page.Y(), right, 2);
        page.AddY(page.LineStep());
        page.PageCheck();
    }
}

void ChoiceLines(TReportPage& page, const TSurvey& survey, int index, double x0)
{
    const TQuestion& q = survey.GetQuestion(index);
    const TMark mark = q.Style == qsMultipleSelect ? TMark::Square : TMark::Circle;
    page.TextOut(x0, page.Y(),
        q.Style == qsMultipleSelect ? QStringLiteral("(Choose all that apply)")
                                    : QStringLiteral("(Choose only one)"));
    page.AddY(page.LineStep());
    page.PageCheck();
    const QStringList options = q.OptionList();
    for (int n = 0; n < options.size(); ++n) {
        const bool skips = q.OwnsSkipGroup() && q.SkipGroupOfResponse == n;
        MarkedLine(page, mark, x0, options[n] + (skips ? SkipHint(survey, index, options[n]) : QString()));
    }
    const QString blank(38, QLatin1Char('_'));
    if (q.IncludeOther)
        MarkedLine(page, mark, x0, QStringLiteral("Other, please specify: ") + blank);
    if (q.IncludeComment)
        MarkedLine(page, mark, x0, QStringLiteral("Additional Comments: ") + blank);
    page.AddY(page.LineStep());
}

void Section(TReportPage& page, const QString& heading, const QStringList& texts)
{
    page.TextOut(page.M(), page.Y(), heading);
    page.AddY(page.LineStep());
    page.PageCheck();
    page.Rule(page.M(), page.Y(), page.PageWidth() - page.M(), 1);
    page.PageCheck();
    for (const QString& text : texts)
        page.WrappedText(text);
}

void ChartOf(TReportPage& page, const TAnalysisSource& source, const TQuestion& q)
{
    const double height = page.PageWidth() / 2;
    if (page.Y() + height > page.PageHeight() - 2 * page.TextHeight() - page.Dots(15))
        page.NewPage();
    const QRectF target(2 * page.M(), page.Y(), page.PageWidth() - 4 * page.M(), height);
    TChartStyle style = source.Background;
    TakeChartFields(style, q);
    const TChartData data = BuildChartData(q, *source.Results);
    QPainter& painter = page.Painter();
    const QFont font = painter.font();
    painter.save();
    painter.translate(target.topLeft());
    const double scale = target.width() / kChartLayoutWidth;
    painter.scale(scale, scale);
    PaintChart(painter, QRectF(0, 0, kChartLayoutWidth, target.height() / scale), data, style);
    painter.restore();
    painter.setFont(font);
    page.AddY(height + page.Dots(10));
    page.PageCheck();
}

} // namespace

QString QuestionnaireTitle(const TSurvey& survey)
{
    return QStringLiteral("Orvalle Report - ") + survey.Name();
}

QString AnalysisReportTitle(const TSurvey& survey)
{
    return QStringLiteral("Orvalle Analysis Report - ") + survey.Name();
}

QString QuestionAnalysisTitle(const TSurvey& survey, int index)
{
    return AnalysisReportTitle(survey) + QStringLiteral(", Question #")
        + survey.GetQuestion(index).NumberLabel;
}

QString QuestionTypeLabel(int style)
{
    switch (style) {
    case qsSingleSelect:
        return QStringLiteral("  [Single Choice]");
    case qsMultipleSelect:
        return QStringLiteral("  [Multiple Choice]");
    case qsSlidingScale:
        return QStringLiteral("  [Slider - Single Choice]");
    case qsFreeFormText:
        return QStringLiteral("  [Text Comment]");
    case qsPullDownList:
        return QStringLiteral("  [Pulldown - Single Choice]");
    case qsNumericValue:
        return QStringLiteral("  [Numeric]");
    }
    return QString();
}

QString SkipHint(const TSurvey& survey, int index, const QString& option)
{
    const TQuestion& q = survey.GetQuestion(index);
    const int target = index + q.SkipDistance;
    const QString where = q.SkipDistance > 0 && target < survey.QuestionCount()
        ? QStringLiteral("question ") + survey.GetQuestion(target).NumberLabel
        : QStringLiteral("the end of the survey");
    return QStringLiteral(" (if you choose ") + option + QStringLiteral(", please skip to ") + where
        + QLatin1Char(')');
}

void PrintQuestionItem(TReportPage& page, const TSurvey& survey, int index)
{
    const TQuestion& q = survey.GetQuestion(index);
    if (q.IsRenderedAsHeader()) {
        page.SetFont(true, 2);
        page.WrappedText(q.Text);
        page.ResetFont();
        return;
    }
    page.SetFont(true);
    page.WrappedText(RowText(q));
    page.ResetFont();
    const double x0 = 4 * page.M();
    if (q.Style == qsFreeFormText) {
        FreeTextLines(page, q, x0);
    } else if (q.Style == qsNumericValue) {
        page.TextOut(x0, page.Y(),
            QStringLiteral("Please enter a numeric value between %1 and %2: _________")
                .arg(q.MinValue)
                .arg(q.MaxValue));
        page.AddY(2 * page.TextHeight() + page.Dots(20));
    } else {
        ChoiceLines(page, survey, index, x0);
    }
}

void PrintQuestionnaire(const TSurvey& survey, QPagedPaintDevice& device)
{
    TReportPage page(device, QuestionnaireTitle(survey));
    for (int i = 0; i < survey.QuestionCount() && page.IsActive(); ++i) {
        PrintQuestionItem(page, survey, i);
        page.PageCheck();
    }
}

void PrintQuestionIndex(TReportPage& page, const TSurvey& survey)
{
    page.SetFont(true, 3);
    page.TextOut(page.M(), page.Y(), QStringLiteral("Questions"));
    page.AddY(2 * page.TextHeight() + page.Dots(20));
    for (int i = 0; i < survey.QuestionCount(); ++i) {
        const TQuestion& q = survey.GetQuestion(i);
        const bool header = q.IsRenderedAsHeader();
        page.SetFont(true, header ? 2 : 0);
        page.WrappedText(header ? q.Text : RowText(q) + QuestionTypeLabel(q.Style));
        page.PageCheck();
    }
    page.ResetFont();
}

void PrintAnalysisOf(TReportPage& page, const TAnalysisSource& source, int index)
{
    const TQuestion& q = source.Survey->GetQuestion(index);
    page.SetFont(true, 2);
    page.WrappedText(q.NumberLabel + QStringLiteral(") ") + q.Text);
    if (!source.FilterConditions.isEmpty()) {
        page.SetFont(false, -2);
        page.WrappedText(
            QStringLiteral("Active Filter: ") + source.FilterConditions.join(QStringLiteral(" and ")));
    }
    page.ResetFont();
    page.PageCheck();
    const TQuestionAnswers answers = source.Records ? source.Records->AnswersOf(q) : TQuestionAnswers();
    if (q.Style == qsFreeFormText) {
        for (const QString& answer : answers.Answers)
            page.WrappedText(answer);
        return;
    }
    ChartOf(page, source, q);
    if (q.IncludeOther)
        Section(page, QStringLiteral("Other Responses"), answers.Others);
    if (q.IncludeComment)
        Section(page, QStringLiteral("Additional Comments"), answers.Comments);
}

void PrintAnalysisReport(
    const TAnalysisSource& source, QPagedPaintDevice& device, const std::function<bool()>& stopped)
{
    TReportPage page(device, AnalysisReportTitle(*source.Survey));
    if (!page.IsActive())
        return;
    PrintQuestionIndex(page, *source.Survey);
    const std::vector<int> entries = AnalysisEntries(*source.Survey);
    for (size_t at = 0; at < entries.size(); ++at) {
        if (stopped && stopped())
            return;
        page.NewPage();
        PrintAnalysisOf(page, source, entries[at]);
    }
}

void PrintQuestionAnalysis(const TAnalysisSource& source, int index, QPagedPaintDevice& device)
{
    TReportPage page(device, QuestionAnalysisTitle(*source.Survey, index));
    if (page.IsActive())
        PrintAnalysisOf(page, source, index);
}
