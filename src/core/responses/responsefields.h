#pragma once

// The layout of a survey's response table: which fields a question gets, in which order, with
// which types and widths. The page's input names, the merge, the tallies, the filters and the
// exports all follow these names, so they are built in this one place.

#include <QString>

#include <vector>

class TQuestion;
class TSurvey;

struct TResponseField {
    QString Name;
    char Type = 'C'; // 'C' character, 'N' numeric, 'M' memo
    int Width = 0; // bytes in the record (10 for a memo)
    int Decimals = 0;
};

// Field names built from a question's identifier.
QString QuestionFieldName(int id); // ORV<id>
QString CommentFieldName(int id); // ORV<id>CM
QString OtherFieldName(int id); // ORV<id>OT
QString OptionFieldName(int id, int option); // ORV<id>_<n>

// Styles whose answer is one option index: Single Select, Sliding Scale, Pull Down List.
bool IsSingleChoiceStyle(int style);
// Whether the item has no answer fields (a header, or a style code outside 1..6).
bool HasNoResponseFields(const TQuestion& question);

// Room for any IPv6 address in text form (an IPv4 tail included). Tables made before held 25
// and keep that width.
inline constexpr int kRemoteIPFieldWidth = 45;

// The four fields every table starts with: REMOTEIP, EMAIL, AGENT, DATERCVD.
const std::vector<TResponseField>& FixedResponseFields();
// The fields of one item in table order: comment field first, then those of its style.
std::vector<TResponseField> QuestionResponseFields(const TQuestion& question);
// Every field of the table for the survey's items as they stand now.
std::vector<TResponseField> ResponseTableFields(const TSurvey& survey);

// The field a Free Form Text answer is stored in. A verbose answer, and a limited one longer
// than a character field can hold, go to a memo; a limit of 0 (or below, other than verbose)
// gets the widest character field.
TResponseField FreeTextField(const TQuestion& question);

// Where a new table for the survey goes: the survey file's directory, UniqueName, ".dbf".
QString ResponseTablePath(const TSurvey& survey);
// The index and memo files that belong to a table path (".cdx", ".fpt"), and the code page
// marker file the engine writes beside a UTF-8 table (".cpg").
QStringList ResponseTableCompanions(const QString& tablePath);
