#pragma once

// The response table seen as a data set for statistics programs and spreadsheets: one variable
// per field of the table, in table order, with a label taken from the question and, for coded
// answers, the labels of the codes.

#include <QString>

#include <utility>
#include <vector>

namespace xbase {
class TTable;
}

class TSurvey;

enum class TVariableKind {
    Text, // stored as typed (fixed fields, Other and comment texts, free-form answers)
    Choice, // option index; "Oth" is the code after the last option
    Flag, // a Multiple Select box: "Y" 1, "N" 0
    Number, // a Numeric Value answer; -9999 (not a valid number) is missing
};

struct TExportVariable {
    QString Name; // the table's field name
    QString Label; // empty when the field belongs to no question of the survey
    TVariableKind Kind = TVariableKind::Text;
    int FieldIndex = 0; // into the table's layout
    int Width = 0; // the field's width in the table (10 for a memo)
    std::vector<std::pair<int, QString>> ValueLabels; // code -> label, for Choice and Flag
    int OtherCode = 0; // Choice: the code of "Oth", one past the last option
};

// One value of a record: a code or number, a text, or nothing.
struct TExportValue {
    bool Missing = true;
    double Number = 0;
    QString Text;
};

inline constexpr int kInvalidNumber = -9999;

// The variables of the open table, named and labelled after the survey's questions.
std::vector<TExportVariable> ExportVariables(const TSurvey& survey, const xbase::TTable& table);

// The value of `variable` in the table's current record.
TExportValue ReadExportValue(const xbase::TTable& table, const TExportVariable& variable);

// The label of a code for the labels sheet; the code itself when it has no label.
QString ValueLabelOf(const TExportVariable& variable, const TExportValue& value);
