#include "core/responses/codebook.h"

#include "core/responses/responsefields.h"
#include "core/survey/question.h"
#include "core/survey/survey.h"
#include "xbase/table.h"

#include <QFileInfo>

#include <algorithm>

namespace {

const QString kCRLF = QStringLiteral("\r\n");
constexpr int kLabelWidth = 14;

QString Label(const char* label)
{
    return QString::fromLatin1(label).leftJustified(kLabelWidth, QLatin1Char(' '));
}

// Collects the lines of one block, each ended by CR LF.
class TBlock {
public:
    void Line(const QString& text) { text_ += text + kCRLF; }
    void Labelled(const char* label, const QString& value) { Line(Label(label) + value); }
    QString Text() const { return text_; }

private:
    QString text_;
};

QString DoubleLine()
{
    return QString(70, QLatin1Char('='));
}

QString SectionHeading(const char* title)
{
    return QString::fromLatin1(title) + QString(50, QLatin1Char('-'));
}

void SingleSelectLines(const TQuestion& q, TBlock& b)
{
    b.Labelled("Style:", QStringLiteral("Single Select"));
    b.Labelled("Field Name:", QuestionFieldName(q.ID));
    b.Labelled("Field Type:", QStringLiteral("Character"));
    const QStringList options = q.OptionList();
    if (options.isEmpty()) {
        b.Labelled("Responses:", QStringLiteral("\"Error - No responses found!"));
        return;
    }
    for (int n = 0; n < options.size(); ++n) {
        const QString value = QLatin1Char('"') + QString::number(n) + QStringLiteral("\" = ") + options[n];
        if (n == 0)
            b.Labelled("Responses:", value);
        else
            b.Line(QString(kLabelWidth, QLatin1Char(' ')) + value);
    }
}

void MultipleSelectLines(const TQuestion& q, TBlock& b)
{
    b.Labelled("Style:", QStringLiteral("Multiple Select"));
    b.Line(QString());
    b.Line(QStringLiteral("Field Name    Values    Response Option"));
    b.Line(QStringLiteral("------------  --------  ") + QString(45, QLatin1Char('-')));
    const QStringList options = q.OptionList();
    for (int n = 0; n < options.size(); ++n) {
        const QString name = OptionFieldName(q.ID, n).leftJustified(kLabelWidth, QLatin1Char(' '), true);
        b.Line(name + QStringLiteral("Y/N").leftJustified(10, QLatin1Char(' ')) + options[n]);
    }
}

void OtherSection(const TQuestion& q, TBlock& b)
{
    b.Line(QString());
    b.Line(SectionHeading("--[ Other Response ]"));
    if (q.Style == qsMultipleSelect) {
        b.Labelled("Field Name:", QuestionFieldName(q.ID));
        b.Labelled("Field Type:", QStringLiteral("Character"));
        b.Labelled("Field Length:", QStringLiteral("1"));
        b.Labelled("Responses:", QStringLiteral("Y/N (User Specified Other)"));
    }
    b.Labelled("Field Name:", OtherFieldName(q.ID));
    b.Labelled("Field Type:", QStringLiteral("Character"));
    b.Labelled("Field Length:", QString::number(std::clamp(q.OtherLength, 1, 254)));
    b.Labelled("Responses:", QStringLiteral("Text description of \"Other\""));
}

void CommentSection(const TQuestion& q, TBlock& b)
{
    b.Line(QString());
    b.Line(SectionHeading("--[ Comments ]"));
    b.Labelled("Field Name:", CommentFieldName(q.ID));
    b.Labelled("Field Type:", QStringLiteral("Character"));
    b.Labelled("Field Length:", QString::number(std::clamp(q.CommentLength, 1, 254)));
    b.Labelled("Responses:", QStringLiteral("Text description of \"Comments\""));
}

void FreeTextLines(const TQuestion& q, TBlock& b)
{
    const bool verbose = q.LengthOfResponse == -1;
    b.Labelled("Style:", verbose ? QStringLiteral("Comment (verbose)") : QStringLiteral("Comment (limited)"));
    b.Labelled("Field Name:", QuestionFieldName(q.ID));
    // Describe the field the table really has: a limit no character field can hold gets a memo.
    const TResponseField field = FreeTextField(q);
    if (field.Type == 'M') {
        b.Labelled("Field Type:", QStringLiteral("Memo"));
        return;
    }
    b.Labelled("Field Type:", QStringLiteral("Character"));
    b.Labelled("Field Length:", QString::number(field.Width));
}

void NumericLines(const TQuestion& q, TBlock& b)
{
    b.Labelled("Style:", QStringLiteral("Numeric"));
    b.Labelled("Field Name:", QuestionFieldName(q.ID));
    b.Labelled("Field Type:", QStringLiteral("Numeric"));
    b.Labelled("Field Length:", QStringLiteral("5"));
}

bool AnswerIsMemo(const TQuestion& q)
{
    return q.Style == qsFreeFormText && FreeTextField(q).Type == 'M';
}

struct TFixedDescription {
    const char* Name;
    const char* Description;
};

constexpr TFixedDescription kFixedDescriptions[] = {
    {"REMOTEIP", "Remote IP Address of respondent"},
    {"EMAIL", "Email Address of respondent (if identified in survey properties)"},
    {"AGENT", "Web Browser type (signature) of respondent"},
    {"DATERCVD", "Year, Month, Day, Hour, Minute, Second response was received"},
};

} // namespace

QString GetFieldMapping(const TSurvey& survey, int index)
{
    const TQuestion& q = survey.GetQuestion(index);
    if (HasNoResponseFields(q))
        return QString();
    TBlock b;
    b.Line(DoubleLine());
    b.Labelled("Question:", q.Text);
    const bool choice = IsSingleChoiceStyle(q.Style) || q.Style == qsMultipleSelect;
    if (IsSingleChoiceStyle(q.Style))
        SingleSelectLines(q, b);
    else if (q.Style == qsMultipleSelect)
        MultipleSelectLines(q, b);
    else if (q.Style == qsFreeFormText)
        FreeTextLines(q, b);
    else
        NumericLines(q, b);
    if (choice && q.IncludeOther)
        OtherSection(q, b);
    if (choice && q.IncludeComment)
        CommentSection(q, b);
    b.Line(QString());
    return b.Text();
}

QString GetCSVHeaderNames(const TSurvey& survey, int index)
{
    QString out;
    for (const TResponseField& field : QuestionResponseFields(survey.GetQuestion(index)))
        if (field.Type != 'M')
            out += QLatin1Char('"') + field.Name + QStringLiteral("\",");
    return out;
}

QStringList FieldMappingEntries(
    const TSurvey& survey, const QString& exportedFileName, bool forCsv, int remoteIPWidth)
{
    QStringList out;
    out << QStringLiteral("Field Mapping for survey ") + survey.Name() + QLatin1Char('(')
            + QFileInfo(exportedFileName).fileName() + QLatin1Char(')');
    out << QString(70, QLatin1Char('*')) << QString();
    const std::vector<TResponseField>& fixed = FixedResponseFields();
    for (size_t i = 0; i < fixed.size(); ++i) {
        out << DoubleLine() << Label("Field Name:") + fixed[i].Name
            << Label("Field Type:") + QStringLiteral("Character")
            << Label("Field Length:") + QString::number(i == 0 ? remoteIPWidth : fixed[i].Width)
            << Label("Description:") + QString::fromLatin1(kFixedDescriptions[i].Description) << QString();
    }
    for (int i = 0; i < survey.QuestionCount(); ++i) {
        const TQuestion& q = survey.GetQuestion(i);
        if (HasNoResponseFields(q) || (forCsv && AnswerIsMemo(q)))
            continue;
        out << GetFieldMapping(survey, i);
    }
    return out;
}

QString FieldMappingText(
    const TSurvey& survey, const QString& exportedFileName, bool forCsv, int remoteIPWidth)
{
    QString text;
    for (const QString& entry : FieldMappingEntries(survey, exportedFileName, forCsv, remoteIPWidth))
        text += entry + kCRLF;
    return text;
}

QString CSVHeaderLine(const TSurvey& survey)
{
    QString line;
    for (const TResponseField& field : FixedResponseFields())
        line += QLatin1Char('"') + field.Name + QStringLiteral("\",");
    for (int i = 0; i < survey.QuestionCount(); ++i)
        line += GetCSVHeaderNames(survey, i);
    return line;
}

int RemoteIPWidthOf(const QString& tablePath)
{
    xbase::TTable table;
    if (tablePath.isEmpty() || !QFileInfo::exists(tablePath) || !table.OpenReadOnly(tablePath))
        return kRemoteIPFieldWidth;
    const int field = table.FieldIndex(QStringLiteral("REMOTEIP"));
    return field < 0 ? kRemoteIPFieldWidth : table.Layout().Fields[static_cast<size_t>(field)].Width;
}
