#pragma once

// A survey in a temporary folder, its response table and recorded error boxes, for the tests
// that merge data files into real tables.

#include "core/base/clock.h"
#include "core/responses/addresponses.h"
#include "support/responsesurveys.h"
#include "xbase/table.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <vector>

#include <gtest/gtest.h>

using TRecord = QMap<QString, QString>;

class TMergeFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        survey = MakeSurvey(dir.path());
        hooks.ShowError = [this](const QString& message) { errors << message; };
    }

    QString WriteFile(const QString& name, const QByteArray& bytes) const
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        return path;
    }

    // A data file with the markers around the lines.
    QString Data(const QList<QByteArray>& lines, const QString& name = QStringLiteral("in.dat")) const
    {
        QByteArray bytes = "<DATA>\r\n";
        for (const QByteArray& line : lines)
            bytes += line + "\r\n";
        bytes += "</DATA>\r\n";
        return WriteFile(name, bytes);
    }

    TAddResponseResult Merge(const QString& path)
    {
        TAddResponseResult result;
        AddResponses(*survey, table, path, result, hooks);
        return result;
    }

    // Every record of the table as field name -> text, read through a handle of its own.
    std::vector<TRecord> Records(QString path = QString()) const
    {
        if (path.isEmpty())
            path = survey->SRResponseFile();
        std::vector<TRecord> records;
        xbase::TTable t;
        if (!t.OpenReadOnly(path))
            return records;
        (void)t.SetOrder(0);
        for ((void)t.First(); !t.Eof(); (void)t.Skip(1)) {
            TRecord record;
            for (const xbase::TFieldDef& f : t.Layout().Fields)
                record[f.Name] = t.FieldText(f.Name);
            records.push_back(record);
        }
        return records;
    }

    QTemporaryDir dir;
    std::unique_ptr<TSurvey> survey;
    TResponseTable table;
    TIntakeHooks hooks;
    QStringList errors;
    TScopedClock clock{QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))};
};
