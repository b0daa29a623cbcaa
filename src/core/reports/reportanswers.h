#pragma once

// The texts an analysis report shows for a question: the answers of a Free Form Text question,
// the "Other" texts and the comments, from the records that pass the report's filter, in record
// order, trimmed, empty ones left out.

#include <QString>
#include <QStringList>

#include <memory>

namespace xbase {
class TTable;
}

class TQuestion;

struct TQuestionAnswers {
    QStringList Answers; // Free Form Text
    QStringList Others;
    QStringList Comments;
};

// The records an analysis report reads: the response table through a read-only handle of its
// own, filtered by the analysis filter.
class TReportRecords {
public:
    TReportRecords();
    ~TReportRecords();
    // Opens the table with the filter; an empty string on success, else the message. An empty
    // path means "no table": every question then has no answers.
    QString Open(const QString& tablePath, const QString& filterExpression);
    TQuestionAnswers AnswersOf(const TQuestion& question);

private:
    QStringList Collect(const QString& fieldName);
    std::unique_ptr<xbase::TTable> table_;
};
