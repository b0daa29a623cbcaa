#include "core/authoring/questionrows.h"

#include "core/base/utils.h"
#include "core/survey/survey.h"

namespace {

int ImageOf(int style)
{
    return (style >= qsSingleSelect && style <= qsNumericValue) ? style - 1 : 0;
}

QString OptionsLine(const TQuestion& item)
{
    const QStringList options = item.OptionList();
    QString line = QStringLiteral("Response Options: ");
    for (int i = 0; i < options.size(); ++i) {
        if (i > 0)
            line += QStringLiteral(", ");
        line += OptionValue(options[i]);
        if (i == item.SkipGroupOfResponse)
            line += QStringLiteral(" (skip following group)");
    }
    return line;
}

} // namespace

QString OneLine(const QString& text)
{
    QString s = text;
    while (s.endsWith(QLatin1Char('\n')) || s.endsWith(QLatin1Char('\r')))
        s.chop(1);
    s.replace(QLatin1String("\r\n"), QLatin1String(" "));
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return s;
}

QString RowText(const TQuestion& item)
{
    if (item.IsRenderedAsHeader())
        return OneLine(item.Text);
    return item.NumberLabel + QStringLiteral(") ") + OneLine(item.Text);
}

QString DetailLine(const TQuestion& item)
{
    switch (item.Style) {
    case qsFreeFormText:
        if (item.LengthOfResponse == -1)
            return QStringLiteral("Verbose text response");
        return QStringLiteral("Text response limited to %1 characters").arg(item.LengthOfResponse);
    case qsNumericValue:
        return QStringLiteral("Range of %1 to %2, step %3")
            .arg(item.MinValue)
            .arg(item.MaxValue)
            .arg(item.StepValue);
    case qsSingleSelect:
    case qsMultipleSelect:
    case qsSlidingScale:
    case qsPullDownList:
        return OptionsLine(item);
    default:
        return {};
    }
}

std::vector<TQuestionRow> BuildQuestionRows(const TSurvey& survey)
{
    std::vector<TQuestionRow> rows;
    rows.reserve(survey.QuestionCount());
    for (int i = 0; i < survey.QuestionCount(); ++i) {
        const TQuestion& item = survey.GetQuestion(i);
        TQuestionRow row;
        row.Text = RowText(item);
        row.Header = item.IsRenderedAsHeader(); // as the page draws it
        if (!row.Header) {
            row.Detail = DetailLine(item);
            row.Image = ImageOf(item.Style);
            row.Indent = item.IsSkipGroupMember();
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

TSkipGroupOffer SkipGroupOffer(const TSurvey& survey, const std::vector<int>& selected)
{
    const int count = survey.QuestionCount();
    if (selected.empty() || count < 2)
        return TSkipGroupOffer::None;
    for (int row : selected) {
        if (row < 0 || row >= count)
            return TSkipGroupOffer::None;
        const TQuestion& q = survey.GetQuestion(row);
        if (q.IsSkipGroupMember() || q.OwnsSkipGroup())
            return TSkipGroupOffer::Ungroup;
    }
    if (selected.front() == 0)
        return TSkipGroupOffer::None;
    for (size_t i = 1; i < selected.size(); ++i) {
        if (selected[i] != selected[i - 1] + 1)
            return TSkipGroupOffer::None;
    }
    for (int row : selected) {
        if (survey.GetQuestion(row).IsHeader())
            return TSkipGroupOffer::None;
    }
    const TQuestion& owner = survey.GetQuestion(selected.front() - 1);
    if (owner.IsHeader() || owner.IsSkipGroupMember() || owner.Style != qsSingleSelect)
        return TSkipGroupOffer::None;
    return TSkipGroupOffer::Create;
}
