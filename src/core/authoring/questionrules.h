#pragma once

#include <QString>
#include <QStringList>

#include <stdexcept>

// A value in a dialog does not pass its check; the message is meant for the user and `Field`
// names the control that gets the focus.
class EValidationException : public std::runtime_error {
public:
    EValidationException(const QString& message, const QString& field);
    QString Message() const { return QString::fromUtf8(what()); }
    QString Field() const { return field_; }

private:
    QString field_;
};

// The step proposed for a numeric question's result groups, and how many groups it makes.
struct TStepProposal {
    int Step = 1;
    int Groups = 1;
};

// The step the question editor proposes whenever the minimum or maximum changes. Both are the
// editor's raw box texts; an empty minimum counts as 1 (so does 0), an empty maximum as 10.
// Anything that cannot be computed (not a number, a zero step) gives step 1 and one group.
TStepProposal AutomaticStep(const QString& minText, const QString& maxText);
// The number of result groups for a step typed by the author (an empty step counts as 10);
// 1 when it cannot be computed.
int StepGroups(const QString& minText, const QString& maxText, const QString& stepText);
// "(Results will be groups of N)"
QString StepGroupCaption(int groups);

// Round half to even, as the result groups are counted.
long long RoundHalfEven(double value);

// The integer in a box (blanks around it allowed), or nullopt-like `fallback` when it holds none.
int IntegerOr(const QString& text, int fallback);

// The OK check of the question editor: an other-specify length is checked only while its box
// is ticked and the responses page is shown; the comment length whenever its box is ticked.
// Throws EValidationException naming "eOtherLength" or "eCommentLength".
void ValidateQuestionLengths(bool includeOther, bool responsesPageShown, const QString& otherLength,
    bool includeComment, const QString& commentLength);
inline constexpr const char* kLengthRangeMessage = "You must enter a value between 30 and 250";

// The lines of a multi-line box as the item's options see them: a final line break does not
// start another line, so "a\nb\n" is two lines and "" is none.
QStringList MemoLines(const QString& text);
