#pragma once

// How the values of one response line go into the fields of a record: which server name feeds
// which field, and how each style turns the value into what is stored. Built once per merge
// against the table actually open, so a table made for an older set of questions is handled:
// every field it has is written, and answers for fields it lacks are counted, not stored.

#include "core/responses/datafile.h"
#include "xbase/status.h"

#include <QString>

#include <vector>

namespace xbase {
class TTable;
}

class TSurvey;

class TResponseWriter {
public:
    TResponseWriter(const TSurvey& survey, const xbase::TTable& table, TResponseValues& values);

    // Slots of the fixed names in `values`.
    int RemoteAddrSlot() const { return remoteAddr_; }
    int EmailSlot() const { return email_; }
    int DateRecSlot() const { return dateRec_; }

    // Writes the fields of the current record from the values last parsed, in survey order.
    // Returns how many answers were not stored: the table has no field for them (a question
    // added after it was made), or the field refused the value.
    int Write(xbase::TTable& table) const;

private:
    enum class TKind { Text, Flag, OtherFlag, FreeText, Numeric };
    struct TStep {
        TKind Kind;
        int Slot;
        int Field; // -1: the table has no field for it
        int Min = 0;
        int Max = 0;
    };

    void Add(TKind kind, const QString& serverName, const QString& field, int min = 0, int max = 0);
    xbase::TStatus WriteStep(xbase::TTable& table, const TStep& step) const;
    bool Answered(int slot) const { return values_.Has(slot) && !values_.Raw(slot).empty(); }

    const xbase::TTable& table_;
    TResponseValues& values_;
    std::vector<TStep> steps_;
    int remoteAddr_ = -1;
    int email_ = -1;
    int dateRec_ = -1;
};

// The stored value of a Numeric Value answer: the integer typed, or -9999 when the text is no
// integer, lies outside min..max (both allowed) or does not fit the five-character field.
int NumericAnswer(const QString& text, int min, int max);
inline constexpr int kInvalidNumber = -9999;

// A Free Form Text value with its encoded line breaks restored ("&CR;", then "&LF;").
QString FreeTextAnswer(QString text);

// The text cut to at most `bytes` bytes of UTF-8 without splitting a character, as the table
// stores it in a character field of that width.
QString CutToFieldBytes(const QString& text, int bytes);
