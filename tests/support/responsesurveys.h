#pragma once

// Surveys for the response tests, built through the survey's own operations.

#include "core/survey/survey.h"

#include <QString>

#include <memory>
#include <ostream>

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

struct TQuestionSpec {
    int Style = qsSingleSelect;
    QString Options;
    bool Other = false;
    bool Comment = false;
    int Length = 0; // LengthOfResponse
    int Min = 0;
    int Max = 0;
    int OtherLength = 40;
    int CommentLength = 60;
};

// Adds a question and gives it the wanted ID (the survey hands out LastID + 1).
inline int AddWithID(TSurvey& s, int id, const TQuestionSpec& q, const QString& text = QStringLiteral("Q"))
{
    const int index = s.AddQuestion({text, q.Style, q.Options, q.Length, q.Other, q.OtherLength, q.Comment,
        q.CommentLength, q.Min, q.Max, 1});
    s.GetQuestion(index).ID = id;
    return index;
}

// A survey stored at `dir`/test.orv with a fixed UniqueName.
inline std::unique_ptr<TSurvey> MakeSurvey(const QString& dir)
{
    auto s = std::make_unique<TSurvey>();
    s->NewSurvey();
    s->SetName(QStringLiteral("Customer Poll"));
    s->SetUniqueName(QStringLiteral("S981203101500"));
    if (!dir.isEmpty())
        s->SetFileName(dir + QStringLiteral("/test.orv"));
    return s;
}
