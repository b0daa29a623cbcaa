#pragma once

#include "core/survey/question.h"

#include <QString>
#include <QStringList>

#include <vector>

class TSurvey;

// The list commands of the main window, on the survey alone. `selected` is always the selected
// rows in ascending order without duplicates; each function returns what the window needs to
// select or show afterwards.

// The question editor's controls as text, before they become the question's content.
struct TEditorValues {
    QString Text;
    int Style = 1; // 1..6
    QString Responses; // one option a line
    bool IncludeOther = false;
    QString OtherLength = QStringLiteral("40");
    bool IncludeComment = false;
    QString CommentLength = QStringLiteral("40");
    bool Limited = true;
    QString Length = QStringLiteral("40");
    QString MinValue = QStringLiteral("1");
    QString MaxValue = QStringLiteral("10");
    QString StepValue = QStringLiteral("10");
};

// Lengths that are not integers become 40; a limited Free Form Text keeps its length (0 when the
// box is empty); every other style stores -1.
TQuestionContent FieldsFromEditor(const TEditorValues& values);
// What the editor shows for an item (verbose with an empty length box for -1).
TEditorValues EditorFromItem(const TQuestion& item);

// Inserts after the one selected row, or appends when not exactly one is selected; the new index.
int AddItem(TSurvey& survey, const TQuestionContent& content, const std::vector<int>& selected);
int AddHeaderItem(TSurvey& survey, const QString& text, const std::vector<int>& selected);
void ReplaceItem(TSurvey& survey, int index, const TQuestionContent& content);
void ReplaceHeader(TSurvey& survey, int index, const QString& text);

// Deletes from the last to the first and returns the row to select afterwards: the focused row,
// or the new last row when the list got shorter than that (-1 when empty).
int DeleteItems(TSurvey& survey, const std::vector<int>& selected, int focusedRow);

// Any item of the survey belongs to or owns a skip group.
bool HasAnySkipGroup(const TSurvey& survey);

// Each selected item one place up (down); an item that cannot move stops the ones behind it, so
// the selection keeps its order. Returns the rows of the moved items.
std::vector<int> MoveItemsUp(TSurvey& survey, const std::vector<int>& selected);
std::vector<int> MoveItemsDown(TSurvey& survey, const std::vector<int>& selected);

// Empties the clipboard survey and copies the selected items into it (fresh IDs, no skip-group
// links); returns their plain-text rendering for the system clipboard.
QString CopyItems(const TSurvey& survey, const std::vector<int>& selected, TSurvey& clipboard);
// Appends every clipboard item to the end of the survey; returns the new rows.
std::vector<int> PasteItems(const TSurvey& clipboard, TSurvey& survey);

// The owner is the item just before the first selected row; false when there is none or the
// response index is not one of its options.
bool CreateSkipGroup(TSurvey& survey, const std::vector<int>& selected, int response);
// Clears the run of members and owners around the first selected item that belongs to a group,
// adjacent groups included. Returns the number of items cleared.
int UngroupSkipGroup(TSurvey& survey, const std::vector<int>& selected);

// Replaces the options of the selected choice questions (Single, Multiple, Sliding, Pull Down);
// headers, text and numeric questions stay as they are. Returns the number changed.
int ApplyOptions(TSurvey& survey, const std::vector<int>& selected, const QStringList& options);
