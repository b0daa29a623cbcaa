#include "core/survey/question.h"

#include "core/base/commatext.h"

QString StyleName(int style)
{
    switch (style) {
    case qsSingleSelect:
        return QStringLiteral("Single Select");
    case qsMultipleSelect:
        return QStringLiteral("Multiple Select");
    case qsSlidingScale:
        return QStringLiteral("Sliding Scale");
    case qsFreeFormText:
        return QStringLiteral("Free Form Text");
    case qsPullDownList:
        return QStringLiteral("Pull Down List");
    case qsNumericValue:
        return QStringLiteral("Numeric Value");
    default:
        return QString();
    }
}

QString OptionValue(const QString& option)
{
    const qsizetype tilde = option.indexOf(u'~');
    return tilde < 0 ? option : option.mid(tilde + 1);
}

QString OptionCaption(const QString& option)
{
    const qsizetype tilde = option.indexOf(u'~');
    return tilde < 0 ? option : option.left(tilde);
}

TQuestionContent TQuestion::Content() const
{
    return {Text, Style, Options, LengthOfResponse, IncludeOther, OtherLength, IncludeComment, CommentLength,
        MinValue, MaxValue, StepValue};
}

void TQuestion::SetContent(const TQuestionContent& c)
{
    Text = c.Text;
    Style = c.Style;
    Options = c.Options;
    LengthOfResponse = c.LengthOfResponse;
    IncludeOther = c.IncludeOther;
    OtherLength = c.OtherLength;
    IncludeComment = c.IncludeComment;
    CommentLength = c.CommentLength;
    MinValue = c.MinValue;
    MaxValue = c.MaxValue;
    StepValue = c.StepValue;
}

QStringList TQuestion::OptionList() const
{
    return SplitCommaText(Options);
}

void TQuestion::SetOptionList(const QStringList& options)
{
    Options = JoinCommaText(options);
}
