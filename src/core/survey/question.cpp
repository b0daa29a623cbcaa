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

QStringList TQuestion::OptionList() const
{
    return SplitCommaText(Options);
}

void TQuestion::SetOptionList(const QStringList& options)
{
    Options = JoinCommaText(options);
}
