// Question library files, the dialog's rows, and the libraries shipped with the program.
#include "core/authoring/questionlibrary.h"
#include "core/base/settings.h"
#include "core/survey/survey.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

int AddSingle(TSurvey& s, const QString& text, const QString& options = QStringLiteral("Yes,No"))
{
    return s.AddQuestion({text, qsSingleSelect, options, 0, false, 40, false, 40, 0, 0, 0});
}

QString SaveLibrary(const QString& path, const QString& name, int items)
{
    TSurvey library;
    library.NewSurvey();
    library.SetName(name);
    for (int i = 0; i < items; ++i)
        AddSingle(library, QStringLiteral("%1 item %2").arg(name).arg(i + 1));
    library.SaveAs(path);
    return path;
}

QStringList Texts(const TSurvey& s)
{
    QStringList texts;
    for (int i = 0; i < s.QuestionCount(); ++i)
        texts.append(s.GetQuestion(i).Text);
    return texts;
}

} // namespace

TEST(QuestionLibrary, NewLibrariesTakeTheFirstFreeNumber)
{
    QTemporaryDir dir;
    const QString data = dir.path() + QLatin1Char('/');
    TMemorySettings settings;
    const QString first = CreateLibrary(data, QStringLiteral("First"), &settings);
    const QString second = CreateLibrary(data, QStringLiteral("Second"), &settings);
    EXPECT_EQ(first, data + QStringLiteral("ql0.ovl"));
    EXPECT_EQ(second, data + QStringLiteral("ql1.ovl"));
    EXPECT_EQ(LibraryName(second), QStringLiteral("Second"));
    ASSERT_TRUE(QFile::remove(first));
    EXPECT_EQ(NextLibraryPath(data), data + QStringLiteral("ql0.ovl"));
}

TEST(QuestionLibrary, NamesAreComparedWithoutLetterCase)
{
    const std::vector<TLibraryEntry> libraries{
        {QStringLiteral("/d/computer.ovl"), QStringLiteral("Computer Usage")},
        {QStringLiteral("/d/ql0.ovl"), QStringLiteral("Staff")}};
    struct Case {
        const char* Name;
        bool InUse;
    };
    const Case cases[] = {{"computer usage", true}, {"STAFF", true}, {"Staff", true}, {"Staff ", false},
        {"Computer", false}, {"", false}};
    for (const Case& c : cases)
        EXPECT_EQ(LibraryNameInUse(libraries, QString::fromUtf8(c.Name)), c.InUse) << c.Name;
    EXPECT_EQ(LibraryNameInUseMessage(QStringLiteral("Staff")),
        QStringLiteral("The name Staff is already in use.  Please try another."));
}

TEST(QuestionLibrary, ListKeepsDirectoryOrderAndNamesUnreadableFilesUnknown)
{
    QTemporaryDir dir;
    const QString data = dir.path() + QLatin1Char('/');
    SaveLibrary(data + QStringLiteral("b.ovl"), QStringLiteral("Bravo"), 1);
    SaveLibrary(data + QStringLiteral("a.ovl"), QStringLiteral("Alpha"), 1);
    QFile junk(data + QStringLiteral("junk.ovl"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("\x01\x02 not a library");
    junk.close();
    const std::vector<TLibraryEntry> listed = ListLibraries(data);
    const QStringList order = QDir(data).entryList({QStringLiteral("*.ovl")}, QDir::Files, QDir::NoSort);
    ASSERT_EQ(listed.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(listed[i].Path, data + order[i]);
    for (const TLibraryEntry& e : listed) {
        if (e.Path.endsWith(QLatin1String("junk.ovl"))) {
            EXPECT_EQ(e.Name, QStringLiteral("Unknown"));
        }
    }
}

TEST(QuestionLibrary, AddingCopiesContentWithoutSkipLinksAndNewIDs)
{
    QTemporaryDir dir;
    const QString path = SaveLibrary(dir.path() + QStringLiteral("/lib.ovl"), QStringLiteral("Lib"), 2);
    TSurvey survey;
    survey.NewSurvey();
    AddSingle(survey, QStringLiteral("Owner"));
    const int member = survey.AddQuestion(
        {QStringLiteral("Member"), qsFreeFormText, QString(), 120, false, 40, true, 90, 0, 0, 0});
    survey.GetQuestion(0).SkipGroupOfResponse = 1;
    survey.GetQuestion(member).SkipGroupOfQuestion = survey.GetQuestion(0).ID;
    survey.AddHeader(QStringLiteral("Header"));
    survey.SetModified(false);

    ASSERT_TRUE(AddToLibrary(path, survey, {0, 1, 2}));
    EXPECT_FALSE(survey.Modified());
    EXPECT_EQ(survey.GetQuestion(member).SkipGroupOfQuestion, survey.GetQuestion(0).ID);

    TSurvey library;
    library.NewSurvey();
    library.Load(path);
    ASSERT_EQ(library.QuestionCount(), 5);
    EXPECT_EQ(Texts(library).mid(2), (QStringList{"Owner", "Member", "Header"}));
    QSet<int> ids;
    for (int i = 0; i < library.QuestionCount(); ++i) {
        const TQuestion& q = library.GetQuestion(i);
        ids.insert(q.ID);
        EXPECT_EQ(q.SkipGroupOfQuestion, -1);
        EXPECT_EQ(q.SkipGroupOfResponse, -1);
    }
    EXPECT_EQ(ids.size(), 5);
    const TQuestion& copied = library.GetQuestion(3);
    EXPECT_EQ(copied.Style, qsFreeFormText);
    EXPECT_EQ(copied.LengthOfResponse, 120);
    EXPECT_TRUE(copied.IncludeComment);
    EXPECT_EQ(copied.CommentLength, 90);
    EXPECT_TRUE(library.GetQuestion(4).IsHeader());
}

TEST(QuestionLibrary, AddingToAMissingOrUnreadableLibraryChangesNothing)
{
    QTemporaryDir dir;
    TSurvey survey;
    survey.NewSurvey();
    AddSingle(survey, QStringLiteral("Q"));
    EXPECT_FALSE(AddToLibrary(dir.path() + QStringLiteral("/gone.ovl"), survey, {0}));
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/gone.ovl")));

    // An item without an ID stops the reading: writing back would lose the items after it.
    const QString broken = dir.path() + QStringLiteral("/broken.ovl");
    const QByteArray bytes
        = "[Details]\r\nName=Broken\r\nQuestionCount=2\r\n[Question 1]\r\nText=A\r\nID=1\r\n"
          "Style=1\r\n[Question 2]\r\nText=B\r\nStyle=1\r\n";
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    EXPECT_FALSE(AddToLibrary(broken, survey, {0}));
    QFile again(broken);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), bytes);
}

TEST(QuestionLibrary, RowsShowTextAloneAndRangesWithoutStep)
{
    TSurvey library;
    library.NewSurvey();
    library.AddHeader(QStringLiteral("About you"));
    AddSingle(library, QStringLiteral("Owner"), QStringLiteral("\"Yes, always~Always\",No"));
    library.AddQuestion(
        {QStringLiteral("Age"), qsNumericValue, QString(), 0, false, 40, false, 40, 18, 99, 9});
    library.AddQuestion(
        {QStringLiteral("Why?"), qsFreeFormText, QString(), -1, false, 40, false, 40, 0, 0, 0});
    library.AddQuestion(
        {QStringLiteral("Name"), qsFreeFormText, QString(), 30, false, 40, false, 40, 0, 0, 0});
    library.GetQuestion(1).SkipGroupOfResponse = 0;
    library.GetQuestion(2).SkipGroupOfQuestion = library.GetQuestion(1).ID;

    const std::vector<TQuestionRow> rows = BuildLibraryRows(library);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_TRUE(rows[0].Header);
    EXPECT_EQ(rows[0].Text, QStringLiteral("About you"));
    EXPECT_EQ(rows[1].Text, QStringLiteral("Owner"));
    EXPECT_EQ(rows[1].Detail, QStringLiteral("Response Options: Always, No"));
    EXPECT_EQ(rows[2].Detail, QStringLiteral("Range of 18 to 99"));
    EXPECT_FALSE(rows[2].Indent);
    EXPECT_EQ(rows[2].Image, 5);
    EXPECT_EQ(rows[3].Detail, QStringLiteral("Verbose text response"));
    EXPECT_EQ(rows[4].Detail, QStringLiteral("Text response limited to 30 characters"));
}

TEST(QuestionLibrary, DeletingSelectedItems)
{
    TSurvey library;
    library.NewSurvey();
    for (int i = 1; i <= 5; ++i)
        AddSingle(library, QStringLiteral("Q%1").arg(i));
    DeleteLibraryItems(library, {3, 0, 3, 9});
    EXPECT_EQ(Texts(library), (QStringList{"Q2", "Q3", "Q5"}));
    EXPECT_EQ(DeleteItemsQuestion(1), QStringLiteral("Are you sure you want to delete the selected item?"));
    EXPECT_EQ(DeleteItemsQuestion(3),
        QStringLiteral("Are you sure you want to delete the 3 items you have selected?"));
}

// Every library the program installs: readable, numbered 1..n, and each question answerable.
TEST(ShippedLibraries, AreWellFormed)
{
    const QString data = QStringLiteral(ORVALLE_SOURCE_DIR "/data/");
    const std::vector<TLibraryEntry> libraries = ListLibraries(data);
    QStringList files;
    QSet<QString> names;
    for (const TLibraryEntry& entry : libraries) {
        SCOPED_TRACE(entry.Path.toStdString());
        files.append(QFileInfo(entry.Path).fileName());
        EXPECT_NE(entry.Name, QStringLiteral("Unknown"));
        EXPECT_FALSE(names.contains(entry.Name.toLower())) << "two libraries share a name";
        names.insert(entry.Name.toLower());

        TSurvey library;
        library.NewSurvey();
        ASSERT_NO_THROW(library.Load(entry.Path));
        ASSERT_GE(library.QuestionCount(), 10);
        EXPECT_EQ(library.LastID(), library.QuestionCount());
        QSet<QString> texts;
        for (int i = 0; i < library.QuestionCount(); ++i) {
            const TQuestion& q = library.GetQuestion(i);
            SCOPED_TRACE(q.Text.toStdString());
            EXPECT_EQ(q.ID, i + 1);
            EXPECT_FALSE(q.Text.trimmed().isEmpty());
            EXPECT_FALSE(texts.contains(q.Text));
            texts.insert(q.Text);
            EXPECT_GE(q.Style, qsSingleSelect);
            EXPECT_LE(q.Style, qsHeader);
            EXPECT_EQ(q.SkipGroupOfQuestion, -1);
            EXPECT_EQ(q.SkipGroupOfResponse, -1);
            if (q.IncludeOther) {
                EXPECT_TRUE(q.OtherLength >= 30 && q.OtherLength <= 250);
            }
            if (q.IncludeComment) {
                EXPECT_TRUE(q.CommentLength >= 30 && q.CommentLength <= 250);
            }
            switch (q.Style) {
            case qsSingleSelect:
            case qsMultipleSelect:
            case qsSlidingScale:
            case qsPullDownList: {
                const QStringList options = q.OptionList();
                EXPECT_GE(options.size(), 2);
                QSet<QString> shown;
                for (const QString& option : options) {
                    const QStringList parts = option.split(QLatin1Char('~'));
                    EXPECT_LE(parts.size(), 2) << option.toStdString();
                    for (const QString& part : parts)
                        EXPECT_FALSE(part.trimmed().isEmpty()) << option.toStdString();
                    EXPECT_FALSE(shown.contains(parts.last())) << option.toStdString();
                    shown.insert(parts.last());
                }
                break;
            }
            case qsNumericValue:
                EXPECT_LT(q.MinValue, q.MaxValue);
                EXPECT_GT(q.StepValue, 0);
                break;
            case qsFreeFormText:
                EXPECT_TRUE(q.LengthOfResponse == -1 || q.LengthOfResponse > 0);
                break;
            default:
                EXPECT_TRUE(q.Options.isEmpty());
            }
        }
    }
    for (const char* file : {"computer.ovl", "customer.ovl", "employee.ovl", "event.ovl", "course.ovl"})
        EXPECT_TRUE(files.contains(QString::fromLatin1(file))) << file;
}
