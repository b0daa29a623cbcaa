#include "core/analysis/filterlist.h"

#include "core/survey/question.h"

#include <QRegularExpression>

QString OptionLabel(const QString& option)
{
    const qsizetype tilde = option.indexOf(QLatin1Char('~'));
    return tilde < 0 ? option : option.mid(tilde + 1);
}

bool IsNumericValueText(const QString& text)
{
    static const QRegularExpression number(QStringLiteral(R"(^[+-]?(\d+(\.\d*)?|\.\d+)$)"));
    return number.match(text).hasMatch();
}

QString SearchTextLiteral(const QString& text)
{
    if (!text.contains(QLatin1Char('"')))
        return QLatin1Char('"') + text + QLatin1Char('"');
    if (!text.contains(QLatin1Char('\'')))
        return QLatin1Char('\'') + text + QLatin1Char('\'');
    if (!text.contains(QLatin1Char(']')))
        return QLatin1Char('[') + text + QLatin1Char(']');
    return QString();
}

void TFilterList::AddChoiceItem(const TQuestion& question, bool selected, int n)
{
    const QString label = OptionLabel(question.OptionList().value(n));
    const QString field = QStringLiteral("ORV%1").arg(question.ID);
    QString expression;
    if (question.Style == qsMultipleSelect)
        expression = QStringLiteral("%1_%2=\"%3\"")
                         .arg(field)
                         .arg(n)
                         .arg(selected ? QStringLiteral("Y") : QStringLiteral("N"));
    else
        expression = QStringLiteral("%1%2\"%3\"").arg(field, selected ? "=" : "<>").arg(n);
    const QString verb = selected ? QStringLiteral("Selected") : QStringLiteral("Did not select");
    Add(expression, QStringLiteral("%1 \"%2\" in \"%3\"").arg(verb, label, question.Text));
}

bool TFilterList::AddTextItem(const TQuestion& question, bool found, const QString& searchText)
{
    const QString literal = SearchTextLiteral(searchText);
    if (literal.isEmpty())
        return false;
    // The two forms differ in the blank before the closing parentheses.
    const QString expression = found
        ? QStringLiteral("RAT( %1, UPPER( ORV%2) ) > 0").arg(literal).arg(question.ID)
        : QStringLiteral("RAT( %1, UPPER( ORV%2 ) ) = 0").arg(literal).arg(question.ID);
    const QString verb = found ? QStringLiteral("is found in") : QStringLiteral("is not found in");
    Add(expression, QStringLiteral("\"%1\" %2 \"%3\"").arg(searchText, verb, question.Text));
    return true;
}

bool TFilterList::AddNumericItem(const TQuestion& question, int op, const QString& valueText)
{
    static const char* const operators[] = {">", "<", "="};
    static const char* const phrases[] = {"greater than", "less than", "is equal to"};
    if (op < 0 || op > 2 || !IsNumericValueText(valueText))
        return false;
    Add(QStringLiteral("ORV%1%2%3").arg(question.ID).arg(QLatin1String(operators[op]), valueText),
        QStringLiteral("Response %1 \"%2\" in \"%3\"")
            .arg(QLatin1String(phrases[op]), valueText, question.Text));
    return true;
}

QString TFilterList::GetFilterExpression() const
{
    return expressions_.join(QStringLiteral(" .AND. "));
}

void TFilterList::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    expressions_.removeAt(index);
    descriptions_.removeAt(index);
}

void TFilterList::Clear()
{
    expressions_.clear();
    descriptions_.clear();
}

void TFilterList::Assign(const TFilterList& other)
{
    expressions_ = other.expressions_;
    descriptions_ = other.descriptions_;
}

void TFilterList::Add(const QString& expression, const QString& description)
{
    expressions_.append(expression);
    descriptions_.append(description);
}
