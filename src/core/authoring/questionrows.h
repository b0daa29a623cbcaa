#pragma once

#include <QString>

#include <vector>

class TSurvey;
class TQuestion;

// What one row of the main window's question list shows. Built from the survey after every
// change; the list never edits rows one by one.
struct TQuestionRow {
    QString Text; // Header: its Text; question: number label + ") " + Text
    QString Detail; // the second line of a question row (empty for headers)
    int Image = 0; // style Image: Style - 1 for styles 1..6, else 0
    bool Header = false;
    bool Indent = false; // a member of a skip group
};

// One row per item in survey order, from the labels of the last Renumber; changes nothing.
std::vector<TQuestionRow> BuildQuestionRows(const TSurvey& survey);

// The row text and detail line of one renumbered item.
QString RowText(const TQuestion& item);
QString DetailLine(const TQuestion& item);
// Text shown on one line: line breaks become blanks and trailing ones are dropped.
QString OneLine(const QString& text);

// What the skip-group button offers for the selected rows (sorted ascending, no duplicates).
enum class TSkipGroupOffer { None, Create, Ungroup };
TSkipGroupOffer SkipGroupOffer(const TSurvey& survey, const std::vector<int>& selectedRows);
