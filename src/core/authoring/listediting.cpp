#include "core/authoring/listediting.h"

#include "core/authoring/questionrules.h"
#include "core/base/commatext.h"
#include "core/survey/survey.h"
#include "core/webform/render.h"

#include <algorithm>

namespace {

int CopyOf(const TQuestion& q, TSurvey& into)
{
    return into.AddQuestion(q.Content());
}

bool InGroup(const TQuestion& q)
{
    return q.IsSkipGroupMember() || q.OwnsSkipGroup();
}

bool Valid(const TSurvey& survey, int row)
{
    return row >= 0 && row < survey.QuestionCount();
}

std::vector<int> MarkedRows(const TSurvey& survey)
{
    std::vector<int> rows;
    for (int i = 0; i < survey.QuestionCount(); ++i)
        if (survey.GetQuestion(i).MoveMark)
            rows.push_back(i);
    return rows;
}

void Mark(TSurvey& survey, const std::vector<int>& selected)
{
    for (int i = 0; i < survey.QuestionCount(); ++i)
        survey.GetQuestion(i).MoveMark = std::binary_search(selected.begin(), selected.end(), i);
}

} // namespace

TQuestionContent FieldsFromEditor(const TEditorValues& v)
{
    TQuestionContent f;
    f.Text = v.Text;
    f.Style = v.Style;
    f.Options = JoinCommaText(MemoLines(v.Responses));
    f.IncludeOther = v.IncludeOther;
    f.OtherLength = IntegerOr(v.OtherLength, 40);
    f.IncludeComment = v.IncludeComment;
    f.CommentLength = IntegerOr(v.CommentLength, 40);
    // The editor keeps the numeric boxes from being left empty; anything else that is not a
    // number (an item read with a broken value) falls back to the editor's defaults.
    f.MinValue = IntegerOr(v.MinValue, 1);
    f.MaxValue = IntegerOr(v.MaxValue, 10);
    f.StepValue = IntegerOr(v.StepValue, 10);
    f.LengthOfResponse = -1;
    if (v.Style == qsFreeFormText && v.Limited)
        f.LengthOfResponse = v.Length.trimmed().isEmpty() ? 0 : IntegerOr(v.Length, 0);
    return f;
}

TEditorValues EditorFromItem(const TQuestion& item)
{
    TEditorValues v;
    v.Text = item.Text;
    v.Style = item.Style;
    v.Responses = item.OptionList().join(QLatin1Char('\n'));
    v.IncludeOther = item.IncludeOther;
    v.OtherLength = QString::number(item.OtherLength);
    v.IncludeComment = item.IncludeComment;
    v.CommentLength = QString::number(item.CommentLength);
    v.Limited = item.LengthOfResponse != -1;
    v.Length = v.Limited ? QString::number(item.LengthOfResponse) : QString();
    v.MinValue = QString::number(item.MinValue);
    v.MaxValue = QString::number(item.MaxValue);
    v.StepValue = QString::number(item.StepValue);
    return v;
}

int AddItem(TSurvey& survey, const TQuestionContent& content, const std::vector<int>& selected)
{
    const int position = selected.size() == 1 ? selected.front() : survey.QuestionCount();
    return survey.InsertQuestion(position, content);
}

int AddHeaderItem(TSurvey& survey, const QString& text, const std::vector<int>& selected)
{
    const int position = selected.size() == 1 ? selected.front() : survey.QuestionCount();
    const int index = survey.AddHeader(text);
    if (position >= index)
        return index;
    const int target = std::max(position + 1, 0);
    survey.MoveQuestion(index, target);
    return target;
}

void ReplaceItem(TSurvey& survey, int index, const TQuestionContent& content)
{
    if (Valid(survey, index))
        survey.UpdateQuestion(index, content);
}

void ReplaceHeader(TSurvey& survey, int index, const QString& text)
{
    if (!Valid(survey, index))
        return;
    survey.UpdateQuestion(index, {.Text = text, .Style = qsHeader});
}

int DeleteItems(TSurvey& survey, const std::vector<int>& selected, int focusedRow)
{
    for (auto it = selected.rbegin(); it != selected.rend(); ++it)
        survey.DeleteQuestion(*it);
    const int count = survey.QuestionCount();
    if (count == 0)
        return -1;
    return std::clamp(focusedRow, 0, count - 1);
}

bool HasAnySkipGroup(const TSurvey& survey)
{
    for (int i = 0; i < survey.QuestionCount(); ++i)
        if (InGroup(survey.GetQuestion(i)))
            return true;
    return false;
}

std::vector<int> MoveItemsUp(TSurvey& survey, const std::vector<int>& selected)
{
    Mark(survey, selected);
    int floor = 0; // rows above this hold marked items that could not move
    for (int i = 0; i < survey.QuestionCount(); ++i) {
        if (!survey.GetQuestion(i).MoveMark)
            continue;
        if (i > floor)
            survey.MoveQuestion(i, i - 1);
        else
            floor = i + 1;
    }
    return MarkedRows(survey);
}

std::vector<int> MoveItemsDown(TSurvey& survey, const std::vector<int>& selected)
{
    Mark(survey, selected);
    int ceiling = survey.QuestionCount() - 1;
    for (int i = survey.QuestionCount() - 1; i >= 0; --i) {
        if (!survey.GetQuestion(i).MoveMark)
            continue;
        if (i < ceiling)
            survey.MoveQuestion(i, i + 1);
        else
            ceiling = i - 1;
    }
    return MarkedRows(survey);
}

QString CopyItems(const TSurvey& survey, const std::vector<int>& selected, TSurvey& clipboard)
{
    clipboard.ClearQuestions();
    QString text;
    for (int row : selected) {
        if (!Valid(survey, row))
            continue;
        CopyOf(survey.GetQuestion(row), clipboard);
        text += RenderQuestionText(survey, row);
    }
    return text;
}

std::vector<int> PasteItems(const TSurvey& clipboard, TSurvey& survey)
{
    std::vector<int> rows;
    for (int i = 0; i < clipboard.QuestionCount(); ++i)
        rows.push_back(CopyOf(clipboard.GetQuestion(i), survey));
    return rows;
}

bool CreateSkipGroup(TSurvey& survey, const std::vector<int>& selected, int response)
{
    if (selected.empty() || !Valid(survey, selected.front() - 1))
        return false;
    TQuestion& owner = survey.GetQuestion(selected.front() - 1);
    if (response < 0 || response >= owner.OptionCount())
        return false;
    owner.SkipGroupOfResponse = response;
    for (int row : selected)
        if (Valid(survey, row))
            survey.GetQuestion(row).SkipGroupOfQuestion = owner.ID;
    survey.MarkModified();
    return true;
}

int UngroupSkipGroup(TSurvey& survey, const std::vector<int>& selected)
{
    // Start at the first selected item that takes part in a group, so that an ordinary row
    // selected above it does not make the command do nothing.
    auto first = std::find_if(selected.begin(), selected.end(),
        [&](int row) { return Valid(survey, row) && InGroup(survey.GetQuestion(row)); });
    if (first == selected.end())
        return 0;
    int start = *first;
    while (start >= 0 && InGroup(survey.GetQuestion(start)))
        --start;
    int cleared = 0;
    for (int i = start + 1; i < survey.QuestionCount() && InGroup(survey.GetQuestion(i)); ++i) {
        TQuestion& q = survey.GetQuestion(i);
        q.SkipGroupOfQuestion = -1;
        q.SkipGroupOfResponse = -1;
        ++cleared;
    }
    survey.MarkModified();
    return cleared;
}

int ApplyOptions(TSurvey& survey, const std::vector<int>& selected, const QStringList& options)
{
    int changed = 0;
    for (int row : selected) {
        if (!Valid(survey, row))
            continue;
        TQuestion& q = survey.GetQuestion(row);
        if (q.Style == qsSingleSelect || q.Style == qsMultipleSelect || q.Style == qsSlidingScale
            || q.Style == qsPullDownList) {
            q.SetOptionList(options);
            ++changed;
        }
    }
    survey.MarkModified();
    return changed;
}
