// Fragments are long chains of concatenations: build each in one allocation.
#define QT_USE_QSTRINGBUILDER

#include "core/webform/render.h"

#include "core/base/utils.h"
#include "core/survey/survey.h"

#include <QStringList>

#include <algorithm>

namespace {

// The survey as one page layout shows it: the renderer's view of both.
class TLaidOutSurvey {
public:
    TLaidOutSurvey(const TSurvey& survey, const TPageLayout& layout)
        : survey_(survey)
        , layout_(layout)
    {
    }
    int QuestionCount() const { return survey_.QuestionCount(); }
    const TQuestion& GetQuestion(int index) const { return survey_.GetQuestion(index); }
    bool BoldQuestions() const { return layout_.BoldQuestions; }
    bool QuestionStyle2() const { return layout_.QuestionStyle2; }
    bool IncludeGotos() const { return layout_.IncludeGotos; }

private:
    const TSurvey& survey_;
    const TPageLayout& layout_;
};

const QString kCRLF = QStringLiteral("\r\n");

// Longest answer line the plain-text block draws for a limited text answer; a corrupt survey
// file could otherwise ask for gigabytes of underscores.
constexpr int kMaxAnswerLine = 32767;

QString Num(int value)
{
    return QString::number(value);
}

QString LabelAt(const TLaidOutSurvey& survey, int index)
{
    // A stale SkipDistance may point past the list; an empty label beats a crash.
    if (index < 0 || index >= survey.QuestionCount())
        return {};
    return survey.GetQuestion(index).NumberLabel;
}

QString TitleLine(const TLaidOutSurvey& survey, const TQuestion& q)
{
    if (survey.BoldQuestions())
        return QStringLiteral("<B>") + q.NumberLabel + QStringLiteral(") ") + q.Text
            + QStringLiteral("</B><p>") + kCRLF;
    if (survey.QuestionStyle2())
        return q.Style == qsSlidingScale ? QString() : q.Text + QStringLiteral("<p>") + kCRLF;
    return q.NumberLabel + QStringLiteral(") ") + q.Text + QStringLiteral("<p>") + kCRLF;
}

QString OtherTextBox(const TQuestion& q)
{
    return QStringLiteral("<INPUT TYPE=\"TEXT\" NAME=\"orv") + Num(q.ID)
        + QStringLiteral("Other\" SIZE=40 MAXLENGTH=") + Num(q.OtherLength) + QStringLiteral(">") + kCRLF;
}

QString OtherChoice(const TQuestion& q, const char* type)
{
    return QStringLiteral("<br>") + kCRLF + QStringLiteral("<INPUT TYPE=\"") + QLatin1String(type)
        + QStringLiteral("\" NAME=\"orv") + Num(q.ID) + QStringLiteral("\" VALUE=\"Other\">")
        + QStringLiteral("Other (Please specify):&nbsp;") + kCRLF + OtherTextBox(q);
}

QString RadioButton(const TQuestion& q, int i, const QString& text)
{
    return QStringLiteral("<INPUT TYPE=\"RADIO\" NAME=\"orv") + Num(q.ID) + QStringLiteral("\" VALUE=\"")
        + Num(i) + QStringLiteral("\">") + text;
}

// What follows option i of a Single Select: a line break, or on a skip-group owner the jump
// that the answer leads to.
QString OptionEnding(
    const TLaidOutSurvey& survey, int index, int ordinal, const TQuestion& q, int i, const QString& text)
{
    if (!q.OwnsSkipGroup())
        return QStringLiteral("<br>");
    const QString lead = QStringLiteral("<SMALL>&nbsp;&nbsp;&nbsp;");
    const QString tail = QStringLiteral("</A></SMALL><br>");
    if (i == q.SkipGroupOfResponse) {
        if (q.SkipDistance == -1)
            return lead + QStringLiteral("<A HREF=\"#EndOfSurvey\">Go to End") + tail;
        return lead + QStringLiteral("<A HREF=\"#Question") + Num(ordinal + q.SkipDistance)
            + QStringLiteral("\">If ") + text + QStringLiteral(" then go to ")
            + LabelAt(survey, index + q.SkipDistance) + tail;
    }
    const QString target
        = index + 1 < survey.QuestionCount() ? LabelAt(survey, index + 1) : QStringLiteral("End");
    return lead + QStringLiteral("<A HREF=\"#Question") + Num(ordinal + 1) + QStringLiteral("\">If ") + text
        + QStringLiteral(" then go to ") + target + tail;
}

// The comment box and the jump part that close a question in the normal layout.
QString Trailer(const TLaidOutSurvey& survey, int index, int ordinal, const TQuestion& q)
{
    QString out;
    if (q.IncludeComment)
        out += QStringLiteral("<p>Additional Comments:&nbsp;") + kCRLF
            + QStringLiteral("<INPUT TYPE=\"TEXT\" NAME=\"orv") + Num(q.ID)
            + QStringLiteral("Comment\" SIZE=40 MAXLENGTH=") + Num(q.CommentLength) + QStringLiteral(">")
            + kCRLF + QStringLiteral("<p>");
    const QString anchor
        = QStringLiteral("<A NAME=\"Question") + Num(ordinal + 1) + QStringLiteral("\"></A>");
    if (!survey.IncludeGotos())
        return out + anchor;
    // Blank space below a question, so that a jump puts its target at the top of the window.
    const QString space = QStringLiteral("<p>&nbsp;").repeated(40);
    if (q.OwnsSkipGroup())
        return out + space + anchor;
    if (index + 1 < survey.QuestionCount())
        return out + QStringLiteral("<SMALL>[ <A HREF=\"#Question") + Num(ordinal + 1)
            + QStringLiteral("\">Go to next question</A> ]</SMALL><p>") + space + anchor;
    return out + QStringLiteral("<SMALL>[ <A HREF=\"#EndOfSurvey\">Go to End</A> ]</SMALL><p>") + space;
}

QString ListEnd()
{
    return QStringLiteral("</UL><p>") + kCRLF;
}

QString SingleSelect(
    const TLaidOutSurvey& survey, int index, int ordinal, const TQuestion& q, const QStringList& options)
{
    QString out = TitleLine(survey, q) + QStringLiteral("<UL>") + kCRLF;
    for (int i = 0; i < options.size(); ++i) {
        const QString text = OptionCaption(options[i]);
        out += RadioButton(q, i, text) + OptionEnding(survey, index, ordinal, q, i, text);
    }
    if (q.IncludeOther)
        out += OtherChoice(q, "RADIO");
    return out + ListEnd() + Trailer(survey, index, ordinal, q);
}

QString MultipleSelect(
    const TLaidOutSurvey& survey, int index, int ordinal, const TQuestion& q, const QStringList& options)
{
    QString out = TitleLine(survey, q) + QStringLiteral("<UL>") + kCRLF;
    for (int i = 0; i < options.size(); ++i)
        out += QStringLiteral("<INPUT TYPE=\"CHECKBOX\" NAME=\"orv") + Num(q.ID) + QLatin1Char('-') + Num(i)
            + QStringLiteral("\" VALUE=\"1\">") + OptionCaption(options[i]) + QStringLiteral("<br>");
    if (q.IncludeOther)
        out += OtherChoice(q, "CHECKBOX");
    return out + ListEnd() + Trailer(survey, index, ordinal, q);
}

QString SlidingScale(
    const TLaidOutSurvey& survey, int index, int ordinal, const TQuestion& q, const QStringList& options)
{
    QString row;
    for (int i = 0; i < options.size(); ++i)
        row += RadioButton(q, i, OptionCaption(options[i])) + QStringLiteral("&nbsp;&nbsp;");
    if (survey.QuestionStyle2()) {
        // One line per question: the buttons first, the question text after them.
        if (q.IncludeOther)
            row += QStringLiteral("&nbsp;&nbsp;<INPUT TYPE=\"RADIO\" NAME=\"orv") + Num(q.ID)
                + QStringLiteral("\" VALUE=\"Other\">Other (Please specify):&nbsp;") + OtherTextBox(q);
        return row + QStringLiteral("&nbsp;&nbsp;&nbsp;") + q.Text + QStringLiteral("<br>") + kCRLF;
    }
    QString out = TitleLine(survey, q) + QStringLiteral("<UL>") + kCRLF + row;
    if (q.IncludeOther)
        out += OtherChoice(q, "RADIO");
    return out + ListEnd() + Trailer(survey, index, ordinal, q);
}

QString FreeFormText(const TLaidOutSurvey& survey, int index, int ordinal, const TQuestion& q)
{
    QString out = TitleLine(survey, q) + QStringLiteral("<UL>") + kCRLF;
    if (q.LengthOfResponse == -1)
        out += QStringLiteral("<TEXTAREA NAME=\"orv") + Num(q.ID) + QStringLiteral("\" ROWS=4 COLS=40>")
            + kCRLF + QStringLiteral("</TEXTAREA>") + kCRLF;
    else
        out += QStringLiteral("<INPUT TYPE=\"TEXT\" NAME=\"orv") + Num(q.ID) + QStringLiteral("\" SIZE=")
            + (q.LengthOfResponse <= 40 ? Num(q.LengthOfResponse) : QStringLiteral("40"))
            + QStringLiteral(" MAXLENGTH=") + Num(q.LengthOfResponse) + QStringLiteral(">") + kCRLF;
    return out + ListEnd() + Trailer(survey, index, ordinal, q);
}

QString PullDownList(
    const TLaidOutSurvey& survey, int index, int ordinal, const TQuestion& q, const QStringList& options)
{
    const QString select = QStringLiteral("<SELECT NAME=\"orv") + Num(q.ID) + QStringLiteral("\">") + kCRLF;
    const bool style2 = survey.QuestionStyle2();
    QString out;
    if (q.IncludeOther)
        out = TitleLine(survey, q) + QStringLiteral("<UL>") + kCRLF + select;
    else if (style2)
        out = select;
    else if (survey.BoldQuestions())
        out = QStringLiteral("<B>") + q.NumberLabel + QStringLiteral(") ") + q.Text + QStringLiteral("</B>")
            + kCRLF + select;
    else
        out = q.NumberLabel + QStringLiteral(") ") + q.Text + kCRLF + select;

    out += QStringLiteral("    <OPTION VALUE=\" \" SELECTED>  ") + kCRLF;
    for (int i = 0; i < options.size(); ++i)
        out += QStringLiteral("    <OPTION VALUE=\"") + Num(i) + QStringLiteral("\">")
            + OptionCaption(options[i]) + kCRLF;

    if (q.IncludeOther)
        out += QStringLiteral("    <OPTION VALUE=\"Other\">Other") + kCRLF + QStringLiteral("</SELECT><p>")
            + kCRLF + QStringLiteral("If you selected other please specify:<br>") + kCRLF + OtherTextBox(q)
            + ListEnd();
    else if (style2)
        return out + QStringLiteral("</SELECT>&nbsp;&nbsp;&nbsp;") + q.Text + QStringLiteral("<br>") + kCRLF;
    else
        out += QStringLiteral("</SELECT>") + kCRLF + ListEnd();
    return style2 ? out : out + Trailer(survey, index, ordinal, q);
}

QString NumericValue(const TLaidOutSurvey& survey, int index, int ordinal, const TQuestion& q)
{
    return TitleLine(survey, q) + QStringLiteral("<UL>") + kCRLF
        + QStringLiteral("<INPUT TYPE=\"TEXT\" NAME=\"orv") + Num(q.ID)
        + QStringLiteral("\" SIZE=5 MAXLENGTH=5>") + kCRLF + ListEnd() + Trailer(survey, index, ordinal, q);
}

QString Header(const TLaidOutSurvey& survey, int index, const TQuestion& q)
{
    if (!survey.QuestionStyle2())
        return QStringLiteral("<H3>") + q.Text + QStringLiteral("</H3><p>") + kCRLF;
    // After a one-line rating or list the heading needs a paragraph break of its own.
    const bool afterOneLiner = index > 0
        && (survey.GetQuestion(index - 1).Style == qsSlidingScale
            || survey.GetQuestion(index - 1).Style == qsPullDownList);
    return (afterOneLiner ? QStringLiteral("<p><B>") : QStringLiteral("<B>")) + q.Text
        + QStringLiteral("</B><p>") + kCRLF;
}

QString OtherBlank(const TQuestion& q)
{
    if (!q.IncludeOther)
        return {};
    return kCRLF + QStringLiteral("Other (Please specify): ") + QString(40, QLatin1Char('_')) + kCRLF;
}

} // namespace

QString RenderQuestionHTML(const TSurvey& model, int index, int ordinal, const TPageLayout& layout)
{
    const TLaidOutSurvey survey(model, layout);
    if (index < 0 || index >= survey.QuestionCount())
        return {};
    const TQuestion& q = survey.GetQuestion(index);
    switch (q.Style) {
    case qsSingleSelect:
        return SingleSelect(survey, index, ordinal, q, q.OptionList());
    case qsMultipleSelect:
        return MultipleSelect(survey, index, ordinal, q, q.OptionList());
    case qsSlidingScale:
        return SlidingScale(survey, index, ordinal, q, q.OptionList());
    case qsFreeFormText:
        return FreeFormText(survey, index, ordinal, q);
    case qsPullDownList:
        return PullDownList(survey, index, ordinal, q, q.OptionList());
    case qsNumericValue:
        return NumericValue(survey, index, ordinal, q);
    default:
        return Header(survey, index, q);
    }
}

QString RenderQuestionText(const TSurvey& survey, int index)
{
    if (index < 0 || index >= survey.QuestionCount())
        return {};
    const TQuestion& q = survey.GetQuestion(index);
    if (q.Style == qsHeader)
        return QStringLiteral("---[ ") + q.Text + QStringLiteral("]---") + kCRLF + kCRLF;

    QString out = q.Text + kCRLF;
    switch (q.Style) {
    case qsFreeFormText:
        out += QStringLiteral("(Type in your response below)") + kCRLF;
        if (q.LengthOfResponse == -1)
            out += kCRLF + kCRLF + kCRLF;
        else
            out += kCRLF + QString(std::clamp(q.LengthOfResponse, 0, kMaxAnswerLine), QLatin1Char('_'));
        return out + kCRLF + kCRLF;
    case qsNumericValue:
        return out + QStringLiteral("(Please enter the value below)") + kCRLF + kCRLF
            + QStringLiteral("______") + kCRLF + kCRLF;
    default:
        break;
    }
    // The options are shown as stored, "~" part included: the block is for the author's eyes.
    const bool multiple = q.Style == qsMultipleSelect;
    out += (multiple ? QStringLiteral("(Select all that apply)") : QStringLiteral("(Select only one)"))
        + kCRLF + kCRLF;
    const QString mark = multiple ? QStringLiteral("[ ] ") : QStringLiteral("( ) ");
    for (const QString& option : q.OptionList())
        out += mark + option + kCRLF;
    return out + OtherBlank(q) + kCRLF + kCRLF;
}
