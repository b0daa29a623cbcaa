#include "core/base/clock.h"
#include "core/survey/survey.h"
#include "core/survey/surveyjson.h"
#include "support/testsurvey.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SurveyJson : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    QTemporaryDir dir_;
    TScopedClock clock_{QDateTime(QDate(2026, 12, 7), QTime(15, 4, 5))};
};

} // namespace

TEST_F(SurveyJson, DescribesEveryKeyAndTheDerivedNumbers)
{
    TSurvey s;
    s.NewSurvey();
    FillFullSurvey(s);
    const QJsonObject json = SurveyToJson(s);
    const QJsonObject d = json["Details"].toObject();
    EXPECT_EQ(d.size(), 39);
    EXPECT_EQ(d["QuestionCount"].toInt(), 9);
    EXPECT_EQ(d["LastID"].toInt(), 10);
    EXPECT_EQ(d["Only1IP"], QJsonValue(true));
    EXPECT_EQ(d["RegDate"].toString(), "2026-12-05T09:30:00");
    EXPECT_EQ(d["Instructions"].toString(), "Line one\nLine two, with \"quotes\"\n  indented");
    EXPECT_EQ(json["Defaults"].toObject()["ServerMajorVer"].toInt(), 2);
    const QJsonArray questions = json["Questions"].toArray();
    ASSERT_EQ(questions.size(), 9);
    const QJsonObject owner = questions[1].toObject();
    EXPECT_EQ(owner.size(), 22);
    EXPECT_EQ(owner["NumberLabel"].toString(), "1");
    EXPECT_EQ(owner["SkipDistance"].toInt(), 3);
    EXPECT_EQ(owner["Options"].toArray(), QJsonArray({"Yes~Y", "No~N"}));
    EXPECT_EQ(questions[3].toObject()["NumberLabel"].toString(), "1b");
}

TEST_F(SurveyJson, FromJsonThroughSaveGivesTheSameFile)
{
    TSurvey s;
    s.NewSurvey();
    FillFullSurvey(s);
    s.SaveAs(dir_.filePath("a.orv"));
    const QJsonObject json = SurveyFileToJson(dir_.filePath("a.orv"));
    TSurvey rebuilt;
    rebuilt.NewSurvey();
    SurveyFromJson(json, rebuilt);
    rebuilt.SaveAs(dir_.filePath("b.orv"));
    EXPECT_EQ(ReadBytes(dir_.filePath("a.orv")), ReadBytes(dir_.filePath("b.orv")));
}

TEST_F(SurveyJson, RefusesWrongTypes)
{
    const char* bad[] = {
        R"({"Details": []})",
        R"({"Details": {"QuestionCount": "3"}})",
        R"({"Details": {"QuestionCount": 2}, "Questions": [{"ID": 1}]})",
        R"({"Details": {"Only1IP": 1}})",
        R"({"Details": {"RegDate": "yesterday"}})",
        R"({"Questions": [{"Text": "no id"}]})",
        R"({"Questions": [{"ID": 1, "Options": "a,b"}]})",
        R"({"Questions": [{"ID": 1.5}]})",
    };
    for (const char* text : bad) {
        TSurvey s;
        EXPECT_THROW(SurveyFromJson(QJsonDocument::fromJson(text).object(), s), ESurveyException) << text;
    }
}

TEST_F(SurveyJson, CommandLine)
{
    TSurvey s;
    s.NewSurvey();
    FillFullSurvey(s);
    const QString orv = dir_.filePath("a.orv");
    s.SaveAs(orv);
    const QString cli = QStringLiteral(ORVALLE_CLI);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "en_US.UTF-8");
    p.setProcessEnvironment(env);

    p.start(cli, {"survey", "to-json", orv});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QByteArray json = p.readAllStandardOutput();
    QFile jsonFile(dir_.filePath("a.json"));
    ASSERT_TRUE(jsonFile.open(QIODevice::WriteOnly));
    jsonFile.write(json);
    jsonFile.close();

    p.start(cli, {"survey", "from-json", dir_.filePath("a.json"), dir_.filePath("b.orv")});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    p.start(cli, {"survey", "to-json", dir_.filePath("b.orv")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.readAllStandardOutput(), json);

    p.start(cli, {"survey", "to-json", dir_.filePath("missing.orv")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_NE(p.exitCode(), 0);
    EXPECT_EQ(
        p.readAllStandardError().trimmed(), "Could not find file " + dir_.filePath("missing.orv").toUtf8());
}
