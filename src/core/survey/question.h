#pragma once

#include <QString>
#include <QStringList>

// Style codes of an item. The editor lists the first six in this order; anything outside 1..6
// is rendered as a header, but the program itself only writes 1..7.
enum TQuestionStyle : int {
    qsSingleSelect = 1,
    qsMultipleSelect = 2,
    qsSlidingScale = 3,
    qsFreeFormText = 4,
    qsPullDownList = 5,
    qsNumericValue = 6,
    qsHeader = 7,
};

// The caption of a style code as the editor's style list shows it ("Single Select", ...);
// empty for a header or an unknown code.
QString StyleName(int style);

// What the author writes for an item: its text and style, the response options and the sizes
// and range of its answer boxes. The editors, list editing, libraries and imports exchange items
// as this value; identity, numbering, skip groups and chart settings are not part of it.
struct TQuestionContent {
    QString Text{};
    int Style = qsSingleSelect;
    QString Options{}; // comma text of the response options
    int LengthOfResponse = 0; // Free Form Text: maximum length; -1 = verbose answer
    bool IncludeOther = false;
    int OtherLength = 40;
    bool IncludeComment = false;
    int CommentLength = 40;
    int MinValue = 0;
    int MaxValue = 0;
    int StepValue = 0;

    friend bool operator==(const TQuestionContent&, const TQuestionContent&) = default;
};

// The label of an option in lists and analysis: the part after its first "~", else the option.
QString OptionValue(const QString& option);
// What respondents see of an option: the part before its first "~", else the option.
QString OptionCaption(const QString& option);

// One item of a survey: a question or a header. A plain record owned by its survey; the survey's
// operations keep `ID` unique. `NumberLabel`, `SkipDistance` and `MoveMark` are derived or
// transient and never stored.
class TQuestion {
public:
    QString Text;
    int Style = 0;
    QString Options; // comma text of the response options
    int LengthOfResponse = 0; // Free Form Text: maximum length; -1 = verbose answer
    int ID = 0;
    bool IncludeOther = false;
    bool IncludeComment = false;
    int OtherLength = 0;
    int CommentLength = 0;
    int MinValue = 0;
    int MaxValue = 0;
    bool MoveMark = false;
    QString NumberLabel;
    int StepValue = 0;
    int ChartType = 1;
    bool DisplayLegend = true;
    int LegendStyle = 1;
    bool DisplayMarks = true;
    int MarksStyle = 0;
    int Rotation = 0;
    int SkipGroupOfQuestion = -1; // member of a skip group: the owner's ID
    int SkipGroupOfResponse = -1; // owner of a skip group: index of the skipping option
    int SkipDistance = -1; // owner: members + 1; -1 when the group runs to the end or none is owned

    // Style 7. The page renderer also treats codes outside 1..6 as headers: see IsRenderedAsHeader.
    bool IsHeader() const { return Style == qsHeader; }
    bool IsRenderedAsHeader() const { return Style < qsSingleSelect || Style > qsNumericValue; }
    bool IsSkipGroupMember() const { return SkipGroupOfQuestion != -1; }
    bool OwnsSkipGroup() const { return SkipGroupOfResponse != -1; }

    TQuestionContent Content() const;
    void SetContent(const TQuestionContent& content);

    // The options as a list (the comma text split), each option as stored (with any "~" part).
    QStringList OptionList() const;
    void SetOptionList(const QStringList& options);
    int OptionCount() const { return static_cast<int>(OptionList().size()); }
};
