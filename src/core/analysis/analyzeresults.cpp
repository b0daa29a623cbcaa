#include "core/analysis/analyzeresults.h"

#include "core/analysis/filterlist.h"
#include "core/analysis/rangerule.h"
#include "core/interaction/progress.h"
#include "core/survey/survey.h"
#include "xbase/table.h"

#include <QElapsedTimer>

namespace {

// How one question's fields feed its tallies, resolved once before the walk.
struct TQuestionPlan {
    enum class Kind { SingleChoice, MultipleChoice, Numeric } kind = Kind::SingleChoice;
    int Field = -1; // ORV<id>: the choice, the Other box of a Multiple Select, or the value
    int OtherIndex = 0; // the number of options
    std::vector<int> OptionFields; // Multiple Select: ORV<id>_<n>, -1 when the table lacks it
    std::vector<TCountResults*> ByIndex; // option index (Other last) -> tally, null for none
    TNumericResults* Numeric = nullptr;
};

std::unique_ptr<TCountResults> OptionTally(int questionID, const QString& caption, int index)
{
    auto tally = std::make_unique<TCountResults>();
    tally->QuestionID = questionID;
    tally->Caption = caption;
    tally->OptionIndex = index;
    return tally;
}

bool IsChoiceStyle(int style)
{
    return style == qsSingleSelect || style == qsMultipleSelect || style == qsSlidingScale
        || style == qsPullDownList;
}

const QString kOther = QStringLiteral("Other");

// Field indexes are -1 where the table lacks the field, or when there is no table.
int FieldIndex(const xbase::TTable* table, const QString& name)
{
    return table ? table->FieldIndex(name) : -1;
}

TQuestionPlan ChoicePlan(
    const TQuestion& q, const TResultsList& results, size_t first, const xbase::TTable* table)
{
    TQuestionPlan plan;
    plan.kind = q.Style == qsMultipleSelect ? TQuestionPlan::Kind::MultipleChoice
                                            : TQuestionPlan::Kind::SingleChoice;
    const QString field = QStringLiteral("ORV%1").arg(q.ID);
    plan.Field = FieldIndex(table, field);
    plan.OtherIndex = q.OptionCount();
    plan.ByIndex.assign(size_t(plan.OtherIndex) + 1, nullptr);
    for (size_t i = first; i < results.size(); ++i) {
        auto* tally = static_cast<TCountResults*>(results[i].get());
        TCountResults*& slot = plan.ByIndex[size_t(tally->OptionIndex)];
        if (!slot)
            slot = tally;
    }
    if (plan.kind == TQuestionPlan::Kind::MultipleChoice) {
        for (int n = 0; n < plan.OtherIndex; ++n)
            plan.OptionFields.push_back(FieldIndex(table, QStringLiteral("%1_%2").arg(field).arg(n)));
        if (!q.IncludeOther)
            plan.Field = -1;
    }
    return plan;
}

std::vector<TQuestionPlan> MakePlans(const TSurvey& survey, TResultsList& results, const xbase::TTable* table)
{
    std::vector<TQuestionPlan> plans;
    results.clear();
    for (int i = 0; i < survey.QuestionCount(); ++i) {
        const TQuestion& q = survey.GetQuestion(i);
        const size_t first = results.size();
        if (IsChoiceStyle(q.Style)) {
            const QStringList options = q.OptionList();
            for (int n = 0; n < options.size(); ++n)
                results.push_back(OptionTally(q.ID, OptionLabel(options[n]), n));
            if (q.IncludeOther)
                results.push_back(OptionTally(q.ID, kOther, int(options.size())));
            plans.push_back(ChoicePlan(q, results, first, table));
        } else if (q.Style == qsNumericValue) {
            auto numeric = std::make_unique<TNumericResults>();
            numeric->QuestionID = q.ID;
            BuildRanges(*numeric, q.MinValue, q.MaxValue, q.StepValue);
            TQuestionPlan plan;
            plan.kind = TQuestionPlan::Kind::Numeric;
            plan.Field = FieldIndex(table, QStringLiteral("ORV%1").arg(q.ID));
            plan.Numeric = numeric.get();
            results.push_back(std::move(numeric));
            plans.push_back(std::move(plan));
        }
    }
    return plans;
}

void Bump(const TQuestionPlan& plan, int index)
{
    if (index >= 0 && size_t(index) < plan.ByIndex.size() && plan.ByIndex[size_t(index)])
        ++plan.ByIndex[size_t(index)]->Count;
}

// "OTH" in any case is the Other entry; a decimal number is an option index; anything else
// (an empty answer) counts nowhere.
int ChoiceIndex(const QString& text, int otherIndex)
{
    if (text.compare(QLatin1String("OTH"), Qt::CaseInsensitive) == 0)
        return otherIndex;
    bool ok = false;
    const int index = text.toInt(&ok, 10);
    return ok ? index : -1;
}

void CountRecord(const xbase::TTable& table, const std::vector<TQuestionPlan>& plans)
{
    static const QString yes = QStringLiteral("Y");
    for (const TQuestionPlan& plan : plans) {
        switch (plan.kind) {
        case TQuestionPlan::Kind::SingleChoice:
            if (plan.Field >= 0)
                Bump(plan, ChoiceIndex(table.FieldText(plan.Field), plan.OtherIndex));
            break;
        case TQuestionPlan::Kind::MultipleChoice:
            for (size_t n = 0; n < plan.OptionFields.size(); ++n) {
                if (plan.OptionFields[n] >= 0 && table.FieldText(plan.OptionFields[n]) == yes)
                    Bump(plan, int(n));
            }
            if (plan.Field >= 0 && table.FieldText(plan.Field) == yes)
                Bump(plan, plan.OtherIndex);
            break;
        case TQuestionPlan::Kind::Numeric: {
            if (plan.Field < 0)
                break;
            bool ok = false;
            const double value = table.FieldText(plan.Field).trimmed().toDouble(&ok);
            if (ok && value != -9999)
                plan.Numeric->AddValue(value);
            break;
        }
        }
    }
}

// Steps the progress a few dozen times a second, not once per record.
class TThrottledProgress {
public:
    TThrottledProgress(TProgress* progress, int total)
        : progress_(progress)
    {
        if (progress_)
            progress_->Start(total);
        clock_.start();
    }
    ~TThrottledProgress()
    {
        if (progress_)
            progress_->Finish();
    }
    void Step(int done)
    {
        if (progress_ && clock_.elapsed() >= kIntervalMs) {
            progress_->Step(done);
            clock_.restart();
        }
    }

private:
    static constexpr qint64 kIntervalMs = 40;
    TProgress* progress_;
    QElapsedTimer clock_;
};

// Sets the filter and counts what it lets through; a filter that passes nothing is reported and
// cleared, so that every record counts.
QString ApplyFilter(xbase::TTable& table, const QString& expression, const TAnalyzeHooks& hooks,
    TAnalyzeOutcome& outcome, int& visible)
{
    const xbase::TStatus set = table.SetFilter(expression);
    if (!set.ok())
        return set.Message();
    visible = table.VisibleCount();
    if (visible >= 1 || expression.trimmed().isEmpty())
        return QString();
    outcome.FilterEliminatedAll = true;
    if (hooks.ShowWarning)
        hooks.ShowWarning(QString::fromLatin1(kFilterEliminatesAll));
    const xbase::TStatus cleared = table.SetFilter(QString());
    visible = table.VisibleCount();
    return cleared.ok() ? QString() : cleared.Message();
}

int Walk(xbase::TTable& table, const std::vector<TQuestionPlan>& plans, int visible, TProgress* progress)
{
    // Record order reads the file front to back; the tallies do not depend on the order.
    const int order = table.Order();
    (void)table.SetOrder(0);
    TThrottledProgress steps(progress, visible);
    int done = 0;
    for (xbase::TStatus st = table.First(); st.ok() && !table.Eof(); st = table.Skip(1)) {
        CountRecord(table, plans);
        steps.Step(++done);
    }
    (void)table.SetOrder(order);
    return done;
}

} // namespace

void BuildEmptyTallies(const TSurvey& survey, TResultsList& results)
{
    MakePlans(survey, results, nullptr);
}

TAnalyzeOutcome AnalyzeResults(const TSurvey& survey, xbase::TTable& table, const QString& filterExpression,
    TResultsList& results, const TAnalyzeHooks& hooks)
{
    TAnalyzeOutcome outcome;
    const std::vector<TQuestionPlan> plans = MakePlans(survey, results, &table);
    if (!table.IsOpen()) {
        outcome.Error = QStringLiteral("The response table is not open");
        return outcome;
    }
    int visible = 0;
    outcome.Error = ApplyFilter(table, filterExpression, hooks, outcome, visible);
    if (!outcome.ok())
        return outcome;
    outcome.Records = Walk(table, plans, visible, hooks.Progress);
    return outcome;
}
