#pragma once

// The active filter of the analysis: a list of conditions, each held as an xBase expression over
// the response table's fields and as a sentence for the user. All conditions must hold.

#include <QString>
#include <QStringList>

class TQuestion;

// The label of an option: the part after the first "~" when the option holds one, else all of it.
QString OptionLabel(const QString& option);

// Whether the typed text can stand as a number in an expression: an optional sign, digits and at
// most one decimal point ("5", "-2", "2.5", ".5").
bool IsNumericValueText(const QString& text);

class TFilterList {
public:
    // One condition on a Single Select, Multiple Select, Sliding Scale or Pull Down List question:
    // the respondent selected (or did not select) option n.
    void AddChoiceItem(const TQuestion& question, bool selected, int n);
    // One condition on a Free Form Text question: the (upper-cased) text occurs in the answer or
    // not. False, and nothing added, when the text holds all three kinds of string delimiter.
    bool AddTextItem(const TQuestion& question, bool found, const QString& searchText);
    // One condition on a Numeric Value question: 0 greater than, 1 less than, 2 equal to. False,
    // and nothing added, when the operator is unknown or the value is not a number.
    bool AddNumericItem(const TQuestion& question, int op, const QString& valueText);

    // Empty without conditions; otherwise the expressions in order joined by " .AND. ".
    QString GetFilterExpression() const;
    const QStringList& Expressions() const { return expressions_; }
    const QStringList& Descriptions() const { return descriptions_; }
    void Delete(int index); // out-of-range indexes are ignored
    int Count() const { return static_cast<int>(expressions_.size()); }
    void Clear();
    void Assign(const TFilterList& other);

private:
    void Add(const QString& expression, const QString& description);

    QStringList expressions_;
    QStringList descriptions_;
};

// The search text as a string literal of the expression language: in double quotes, or, when it
// holds a double quote, in single quotes or square brackets. Empty when no delimiter fits.
QString SearchTextLiteral(const QString& text);
