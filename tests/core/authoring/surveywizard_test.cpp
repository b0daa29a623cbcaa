// The survey builder wizard's set-up and Finish, without the dialog.
#include "core/authoring/surveywizard.h"
#include "core/base/settings.h"
#include "core/base/settingstable.h"
#include "core/survey/survey.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void Touch(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

} // namespace

TEST(SurveyWizard, SetupWithoutStoredDefaults)
{
    QTemporaryDir dir;
    const QString data = dir.path() + QLatin1Char('/');
    Touch(data + QStringLiteral("modern.ovg"));
    Touch(data + QStringLiteral("default.ovg"));
    TSurvey lib;
    lib.NewSurvey();
    lib.SetName(QStringLiteral("Staff"));
    lib.SaveAs(data + QStringLiteral("staff.ovl"));

    TMemorySettings none;
    const TWizardSetup setup = ReadWizardSetup(none, data);
    EXPECT_EQ(setup.Author, QString());
    EXPECT_EQ(setup.Instructions, QStringLiteral("Please take a few moments to complete our survey."));
    EXPECT_EQ(setup.FinalComments, QStringLiteral("Thank you for taking our survey!"));
    EXPECT_EQ(setup.LibraryNames, QStringList{QStringLiteral("Staff")});
    EXPECT_EQ(setup.LibraryPaths, QStringList{data + QStringLiteral("staff.ovl")});
    ASSERT_EQ(setup.DisplayTemplates.size(), 2);
    ASSERT_GE(setup.ChosenTemplate, 0);
    EXPECT_EQ(setup.DisplayTemplates[setup.ChosenTemplate], QStringLiteral("default.ovg"));

    TMemorySettings stored;
    stored.WriteString(settings::Defaults, settings::DisplayTemplate, QStringLiteral("gone.ovg"));
    EXPECT_EQ(ReadWizardSetup(stored, data).ChosenTemplate, -1);
}

TEST(SurveyWizard, FinishFillsTheSurveyInOrder)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/lib.ovl");
    TSurvey lib;
    lib.NewSurvey();
    lib.SetName(QStringLiteral("Lib"));
    lib.AddHeader(QStringLiteral("Part one"));
    lib.AddQuestion(
        {QStringLiteral("First"), qsSingleSelect, QStringLiteral("A,B"), 0, false, 40, false, 40, 0, 0, 0});
    lib.AddQuestion({QStringLiteral("Second"), qsNumericValue, QString(), 0, false, 40, false, 40, 1, 5, 1});
    lib.GetQuestion(1).SkipGroupOfResponse = 0;
    lib.GetQuestion(2).SkipGroupOfQuestion = lib.GetQuestion(1).ID;
    lib.SaveAs(path);

    TSurvey survey;
    survey.NewSurvey();
    TWizardChoices c;
    c.Author = QStringLiteral("Pat");
    c.IncludeSamples = true;
    c.LibraryName = QStringLiteral("Lib");
    c.LibraryPath = path;
    c.Instructions = QStringLiteral("Please take a few moments to complete our survey.");
    c.FinalComments = QStringLiteral("Thank you for taking our survey!");
    c.DisplayTemplate = QStringLiteral("default.ovg");
    EXPECT_EQ(ApplyWizard(c, survey), std::nullopt);
    EXPECT_EQ(survey.Name(), QStringLiteral("Sample Survey"));
    EXPECT_EQ(survey.Author(), QStringLiteral("Pat"));
    EXPECT_EQ(survey.DisplayTemplate(), QStringLiteral("default.ovg"));
    EXPECT_EQ(survey.GetFinalComments(), QStringLiteral("Thank you for taking our survey!"));
    ASSERT_EQ(survey.QuestionCount(), 3);
    survey.Renumber();
    EXPECT_EQ(survey.GetQuestion(1).NumberLabel, QStringLiteral("1"));
    EXPECT_EQ(survey.GetQuestion(2).NumberLabel, QStringLiteral("2")); // no skip-group link came along
    EXPECT_EQ(survey.GetQuestion(2).MaxValue, 5);
    EXPECT_TRUE(survey.Modified());
    EXPECT_FALSE(survey.HasFile());

    // The library has gone: the texts and template still arrive, no questions.
    TSurvey second;
    second.NewSurvey();
    c.LibraryPath = dir.path() + QStringLiteral("/gone.ovl");
    EXPECT_EQ(ApplyWizard(c, second),
        std::optional<QString>(
            QStringLiteral("Could not find the library file for Lib in ") + c.LibraryPath));
    EXPECT_EQ(second.QuestionCount(), 0);
    EXPECT_EQ(second.DisplayTemplate(), QStringLiteral("default.ovg"));
    EXPECT_EQ(second.Author(), QStringLiteral("Pat"));
}

TEST(SurveyWizard, PreviewPictureBesideTheTemplate)
{
    EXPECT_EQ(TemplatePreviewPicture(QStringLiteral("/data/"), QStringLiteral("modern.ovg")),
        QStringLiteral("/data/modern.bmp"));
    EXPECT_EQ(TemplatePreviewPicture(QStringLiteral("/data/"), QStringLiteral("plain")),
        QStringLiteral("/data/plain.bmp"));
}
