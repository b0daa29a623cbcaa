#pragma once

// A survey with questions of every style and a response table for it in a temporary folder, with
// records written straight through the table engine.

#include "core/responses/responsefields.h"
#include "core/survey/survey.h"
#include "xbase/table.h"

#include <QMap>
#include <QTemporaryDir>

#include <memory>
#include <ostream>

#include <gtest/gtest.h>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

using TAnswers = QMap<QString, QString>; // field name -> text

class TAnalysisFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        survey.NewSurvey();
    }

    // Adds a question and gives it the wanted ID.
    int Add(int id, int style, const QString& options = {}, bool other = false, int min = 0, int max = 0,
        int step = 1, int length = 40)
    {
        const int index = survey.AddQuestion(QStringLiteral("Question %1").arg(id), style, options, length,
            other, 40, false, 40, min, max, step);
        survey.GetQuestion(index).ID = id;
        return index;
    }

    void CreateTable()
    {
        std::vector<xbase::TFieldSpec> specs;
        for (const TResponseField& f : ResponseTableFields(survey))
            specs.push_back({f.Name, f.Type, f.Width, f.Decimals});
        path = dir.filePath(QStringLiteral("responses.dbf"));
        ASSERT_TRUE(table.CreateTable(path, specs).ok()) << qPrintable(table.LastError());
    }

    // Appends records (not committed until Commit, so bulk loads stay fast).
    void Append(const TAnswers& answers)
    {
        ASSERT_TRUE(table.Append().ok());
        for (auto it = answers.begin(); it != answers.end(); ++it)
            ASSERT_TRUE(table.AssignField(it.key(), it.value()).ok()) << qPrintable(table.LastError());
    }
    void Commit() { ASSERT_TRUE(table.Commit().ok()) << qPrintable(table.LastError()); }

    QTemporaryDir dir;
    TSurvey survey;
    xbase::TTable table;
    QString path;
};
