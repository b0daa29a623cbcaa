#include "core/base/clock.h"
#include "core/base/version.h"
#include "core/webform/page.h"
#include "surveys.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

const QString kDataDir = QStringLiteral(ORVALLE_SOURCE_DIR "/tests/core/webform/data/");

QString CreatedWith()
{
    return QStringLiteral("<!-- Created with Orvalle ") + VersionString() + QStringLiteral("-->\r\n");
}

void Describe(TSurvey& survey)
{
    survey.SetName(QStringLiteral("Visitor Survey"));
    survey.SetInstructions(QStringLiteral("Thank you for visiting.\r\nIt takes two minutes."));
    survey.SetFinalComments(QStringLiteral("We read every answer."));
    survey.SetUniqueName(QStringLiteral("S261207101500"));
    survey.SetResultURL(QStringLiteral("https://example.org/thanks.html"));
    survey.SetProcessResponses(1);
    survey.SetAccountID(QStringLiteral("acct-42"));
    survey.SetOnly1Email(true);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The page as the golden files hold it: the program version is not part of the contract.
QByteArray ForGolden(QString page)
{
    page.replace(CreatedWith(), QStringLiteral("<!-- Created with Orvalle @VERSION@-->\r\n"));
    return page.toUtf8();
}

TEST(BuildPage, WholePagesMatchTheGoldenFiles)
{
    const QString templateText = QString::fromUtf8(ReadTestFile(QStringLiteral("data/page.ovg")));
    auto all = AllStylesSurvey();
    Describe(*all);
    QString diff
        = CompareWithGolden(QStringLiteral("page-allstyles.htm"), ForGolden(BuildPage(*all, templateText)));
    EXPECT_TRUE(diff.isEmpty()) << qPrintable(diff);

    // Skip groups switch the one-line layout off and the jump links on.
    auto groups = SkipGroupSurvey();
    groups->SetOnly1Email(false);
    groups->SetProcessResponses(0);
    groups->SetServerURL(QStringLiteral("http://intranet.example/cgi/orv.dll"));
    groups->SetUniqueName(QStringLiteral("S261207101501"));
    const QString groupsTemplate = QStringLiteral("<!--ORVQSTYLE2-->\n") + templateText;
    diff = CompareWithGolden(
        QStringLiteral("page-skipgroups.htm"), ForGolden(BuildPage(*groups, groupsTemplate)));
    EXPECT_TRUE(diff.isEmpty()) << qPrintable(diff);
    const TPageLayout groupsLayout = PageLayout(*groups, groupsTemplate);
    EXPECT_FALSE(groupsLayout.QuestionStyle2);
    EXPECT_TRUE(groupsLayout.IncludeGotos);
}

TEST(BuildPage, TemplateWithoutPlaceholdersGetsOnlyTheCommentAndCredit)
{
    TSurvey survey;
    survey.NewSurvey();
    const QString page = BuildPage(survey, QString::fromUtf8(ReadTestFile(QStringLiteral("data/plain.ovg"))));
    EXPECT_EQ(page,
        CreatedWith() + QStringLiteral("A page with no placeholders\r\nJust text\r\n")
            + QStringLiteral("<FONT FACE=\"Verdana,Arial,Helvetica\" SIZE=-1><SMALL>This survey was "
                             "produced with <A HREF=\"https://orvalle.example.org/\">Orvalle</A>."
                             "</SMALL></FONT>\r\n</BODY>\r\n"));
}

TEST(BuildPage, ReplacementsAreScannedOnlyForLaterPlaceholders)
{
    struct Case {
        const char* What;
        const char* Name;
        const char* Question;
        const char* ResultURL;
        const char* Account;
        const char* ExpectedInPage;
    };
    const Case cases[] = {
        {"a question text gets the result address", "T", "see <!--ORVRESULTURL-->", "R", "A", "see R"},
        {"a question text keeps a title placeholder", "T", "x<!--ORVTITLE-->x", "R", "A",
            "x<!--ORVTITLE-->x"},
        {"a title is not scanned for itself", "<!--ORVTITLE-->!", "q", "R", "A", "[<!--ORVTITLE-->!]"},
        {"a result address gets the account", "T", "q", "r?<!--ORVACCOUNTID-->", "A", "r?A"},
        {"a title closing the body gets the credit", "T</BODY>", "q", "R", "A", "T<FONT FACE="},
        {"an account keeps a notice placeholder", "T", "q", "R", "<!--NOTICE-->", "{<!--NOTICE-->}"},
    };
    for (const Case& c : cases) {
        TSurvey survey;
        survey.NewSurvey();
        AddItem(survey, {QString::fromUtf8(c.Question), qsNumericValue, ""}, 1);
        survey.SetName(QString::fromUtf8(c.Name));
        survey.SetResultURL(QString::fromUtf8(c.ResultURL));
        survey.SetProcessResponses(1);
        survey.SetAccountID(QString::fromUtf8(c.Account));
        const QString page = BuildPage(survey,
            QStringLiteral("[<!--ORVTITLE-->]<!--ORVQUESTIONS-->|<!--ORVRESULTURL-->|{<!--ORVACCOUNTID-->}"));
        EXPECT_TRUE(page.contains(QString::fromUtf8(c.ExpectedInPage))) << c.What << "\n" << qPrintable(page);
    }
}

TEST(BuildPage, CreditLineFollowsTheBodyEndTagAndNoticeComments)
{
    TSurvey survey;
    survey.NewSurvey();
    const QString credit = CreditLine();
    struct Case {
        const char* TemplateText;
        int Credits;
    };
    const Case cases[] = {
        {"<body>text</body>", 0}, // lower case: no credit line
        {"text</BODY>", 1},
        {"<!--NOTICE-->\n</body>", 1},
        {"<!--NOTICE-->\n</BODY>", 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildPage(survey, QString::fromUtf8(c.TemplateText)).count(credit), c.Credits)
            << c.TemplateText;
}

TEST(BuildPage, EMailFieldAccountAndFormAction)
{
    TSurvey survey;
    survey.NewSurvey();
    survey.SetServerURL(QStringLiteral("http://private.example/orv.dll"));
    survey.SetAccountID(QStringLiteral("acct"));
    const QString templateText
        = QStringLiteral("[<!--ORVEMAILADDRESS-->][<!--ORVACCOUNTID-->][<!--ORVFORMACTION-->]");

    survey.SetOnly1Email(false);
    survey.SetProcessResponses(0);
    EXPECT_TRUE(
        BuildPage(survey, templateText).contains(QStringLiteral("[ ][NA][http://private.example/orv.dll]")));

    survey.SetOnly1Email(true);
    survey.SetProcessResponses(1);
    EXPECT_TRUE(
        BuildPage(survey, templateText)
            .contains(QStringLiteral("[Please enter your email address: <INPUT TYPE=\"TEXT\" "
                                     "NAME=\"ORVEMAILADDRESS\" SIZE=\"40\" MAXLENGTH=\"250\"><p>][acct][")
                + DefaultFormAction() + QStringLiteral("]")));
}

TEST(BuildPage, AnUnknownStyleIsAHeaderAndTakesNoNumber)
{
    TSurvey survey;
    survey.NewSurvey();
    AddItem(survey, {"Age", qsNumericValue, ""}, 1);
    AddItem(survey, {"Hand-made item", qsNumericValue, ""}, 2);
    survey.GetQuestion(1).Style = 9; // a style no editor writes
    AddItem(survey, {"Town", qsNumericValue, ""}, 3);
    const QString page = BuildPage(survey, QStringLiteral("<!--ORVQUESTIONS-->"));
    EXPECT_TRUE(page.contains(QStringLiteral("1) Age<p>"))) << qPrintable(page);
    EXPECT_TRUE(page.contains(QStringLiteral("2) Town<p>")))
        << "no gap in the numbering: " << qPrintable(page);
    EXPECT_FALSE(page.contains(QStringLiteral("3) Town")));
    survey.Renumber();
    EXPECT_EQ(survey.GetQuestion(2).NumberLabel, "2") << "the question list numbers it as the page does";
    EXPECT_EQ(survey.GetQuestion(1).NumberLabel, "2") << "like a header: the next question's number";
}

TEST(BuildPage, LayoutSwitchesComeFromTheTemplate)
{
    TSurvey survey;
    survey.NewSurvey();
    AddItem(survey, {"Age", qsNumericValue, ""}, 1);
    const TPageLayout all = PageLayout(
        survey, QStringLiteral("<!--ORVINCLUDEGOTOS--><!--ORVBOLDQUESTIONS--><!--ORVQSTYLE2-->"));
    EXPECT_TRUE(all.IncludeGotos && all.BoldQuestions && all.QuestionStyle2);
    const QString boldTemplate = QStringLiteral("<!--ORVBOLDQUESTIONS-->\n<!--ORVQUESTIONS-->");
    const QString page = BuildPage(survey, boldTemplate);
    const TPageLayout bold = PageLayout(survey, boldTemplate);
    EXPECT_FALSE(bold.IncludeGotos || bold.QuestionStyle2);
    EXPECT_TRUE(bold.BoldQuestions);
    EXPECT_TRUE(page.contains(QStringLiteral("<!--ORVBOLDQUESTIONS-->\r\n<B>1) Age</B><p>")));
}

TEST(BuildPage, EveryLineEndsWithCRLF)
{
    TSurvey survey;
    survey.NewSurvey();
    survey.SetInstructions(QStringLiteral("one\r\ntwo\nthree"));
    AddItem(survey, {"Story\nin two lines", qsFreeFormText, "", -1}, 1);
    const QString page
        = BuildPage(survey, QStringLiteral("a\rb\nc\r\n\r\n<!--ORVINTRO-->\n<!--ORVQUESTIONS-->"));
    for (qsizetype i = 0; i < page.size(); ++i) {
        if (page[i] == QLatin1Char('\r')) {
            ASSERT_TRUE(i + 1 < page.size() && page[i + 1] == QLatin1Char('\n')) << "bare CR at " << i;
        }
        if (page[i] == QLatin1Char('\n')) {
            ASSERT_TRUE(i > 0 && page[i - 1] == QLatin1Char('\r')) << "bare LF at " << i;
        }
    }
    EXPECT_TRUE(page.contains(QStringLiteral("a\r\nb\r\nc\r\n\r\none\r\ntwo\r\nthree\r\n")))
        << "a lone LF is a line break too";
    EXPECT_TRUE(page.endsWith(QStringLiteral("<A NAME=\"Question2\"></A>\r\n")));
}

class GeneratePageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        survey = AllStylesSurvey();
        survey->SetDisplayTemplate(QStringLiteral("page.ovg"));
        survey->SetModified(false);
        ASSERT_TRUE(out.isValid());
    }

    std::unique_ptr<TSurvey> survey;
    QTemporaryDir out;
    const QDateTime when{QDate(2026, 12, 7), QTime(10, 15, 30)};
};

TEST_F(GeneratePageTest, WritesThePageAndRecordsIt)
{
    TScopedClock clock(when);
    const QString path = out.filePath(QStringLiteral("survey.htm"));
    ASSERT_TRUE(GeneratePage(*survey, path, kDataDir).Succeeded());
    const QByteArray first = ReadFile(path);
    EXPECT_EQ(first,
        BuildPage(*survey, QString::fromUtf8(ReadFile(kDataDir + QStringLiteral("page.ovg")))).toUtf8());
    EXPECT_TRUE(survey->HTMLStatus().startsWith(QStringLiteral("HTML file generated at ")));
    EXPECT_EQ(survey->HTMLFileName(), path);
    EXPECT_EQ(survey->HTMLLastUpdate(), when);
    EXPECT_TRUE(survey->Modified());

    // Generating again writes the same page, replacing the first.
    ASSERT_TRUE(GeneratePage(*survey, path, kDataDir.chopped(1)).Succeeded());
    EXPECT_EQ(ReadFile(path), first);
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList{QStringLiteral("survey.htm")});
}

TEST_F(GeneratePageTest, TemplateProblemsChangeNothing)
{
    QTemporaryDir data;
    ASSERT_TRUE(QDir(data.path()).mkdir(QStringLiteral("folder.ovg")));
    QFile::copy(kDataDir + QStringLiteral("latin1.ovg"), data.filePath(QStringLiteral("latin1.ovg")));
    QFile::copy(kDataDir + QStringLiteral("page.ovg"), data.filePath(QStringLiteral("page.ovg")));
    QFile::copy(kDataDir + QStringLiteral("page.ovg"), out.filePath(QStringLiteral("outside.ovg")));
    struct Case {
        const char* TemplateName;
        TPageError Error;
    };
    const Case cases[] = {
        {"missing.ovg", TPageError::TemplateMissing},
        {"folder.ovg", TPageError::TemplateMissing},
        {"", TPageError::TemplateMissing},
        {"latin1.ovg", TPageError::TemplateUnreadable},
        {"../outside.ovg", TPageError::TemplateMissing},
    };
    for (const Case& c : cases) {
        survey->SetDisplayTemplate(QString::fromUtf8(c.TemplateName));
        survey->SetModified(false);
        const QString path = out.filePath(QStringLiteral("page.htm"));
        const TPageResult result = GeneratePage(*survey, path, data.path() + QLatin1Char('/'));
        EXPECT_EQ(result.Error, c.Error) << c.TemplateName;
        EXPECT_FALSE(QFile::exists(path)) << c.TemplateName;
        EXPECT_FALSE(survey->Modified()) << c.TemplateName;
        EXPECT_EQ(survey->HTMLStatus(), QLatin1String(kHTMLNotGenerated));
    }
}

TEST_F(GeneratePageTest, UnwritableOutputIsReportedAndLeavesNoFile)
{
    const QString paths[] = {
        out.filePath(QStringLiteral("no-such-folder/page.htm")),
        out.path(), // a folder where the page should go
    };
    for (const QString& path : paths) {
        survey->SetModified(false);
        const TPageResult result = GeneratePage(*survey, path, kDataDir);
        EXPECT_EQ(result.Error, TPageError::WriteFailed) << qPrintable(path);
        EXPECT_EQ(survey->HTMLStatus(), QLatin1String(kPageFailedStatus));
        EXPECT_TRUE(survey->Modified());
        EXPECT_TRUE(survey->HTMLFileName().isEmpty());
    }
    EXPECT_TRUE(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(GeneratePageTest, ReadOnlyFolderLeavesNoFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    ASSERT_TRUE(QFile::setPermissions(out.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const TPageResult result = GeneratePage(*survey, out.filePath(QStringLiteral("page.htm")), kDataDir);
    QFile::setPermissions(
        out.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(result.Error, TPageError::WriteFailed);
    EXPECT_TRUE(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

// A disk that fills up halfway through the page: the previous page stays whole.
TEST_F(GeneratePageTest, WriteFailingHalfwayKeepsThePreviousPage)
{
    const QString path = out.filePath(QStringLiteral("page.htm"));
    ASSERT_TRUE(GeneratePage(*survey, path, kDataDir).Succeeded());
    const QByteArray previous = ReadFile(path);
    for (int i = 0; i < 50; ++i)
        AddItem(*survey, {QStringLiteral("Extra question %1").arg(i), qsSingleSelect, "Yes,No"}, 100 + i);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = static_cast<rlim_t>(previous.size() + 100);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const TPageResult result = GeneratePage(*survey, path, kDataDir);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result.Error, TPageError::WriteFailed);
    EXPECT_EQ(survey->HTMLStatus(), QLatin1String(kPageFailedStatus));
    EXPECT_EQ(ReadFile(path), previous);
    EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList{QStringLiteral("page.htm")});
}

TEST_F(GeneratePageTest, PreviewKeepsTheNeverGeneratedStatusAndTheChosenTemplate)
{
    QTemporaryDir data;
    QFile::copy(kDataDir + QStringLiteral("plain.ovg"), data.filePath(QStringLiteral("plain.ovg")));
    QFile::copy(kDataDir + QStringLiteral("page.ovg"), data.filePath(QStringLiteral("page.ovg")));
    const QString path = out.filePath(QStringLiteral("preview.htm"));

    ASSERT_TRUE(GeneratePreview(*survey, path, data.path(), QStringLiteral("plain.ovg")).Succeeded());
    EXPECT_TRUE(ReadFile(path).contains("A page with no placeholders"));
    EXPECT_EQ(survey->DisplayTemplate(), QStringLiteral("page.ovg"));
    EXPECT_EQ(survey->HTMLStatus(), QLatin1String(kHTMLNotGenerated));
    EXPECT_EQ(survey->HTMLFileName(), path);

    // Once a page was published, a preview records itself like any generation.
    ASSERT_TRUE(GeneratePage(*survey, out.filePath(QStringLiteral("page.htm")), data.path()).Succeeded());
    ASSERT_TRUE(GeneratePreview(*survey, path, data.path()).Succeeded());
    EXPECT_TRUE(survey->HTMLStatus().startsWith(QStringLiteral("HTML file generated at ")));
}

// Templates come from anywhere: arbitrary bytes give a page or a refusal, never a crash.
TEST_F(GeneratePageTest, ArbitraryTemplateBytes)
{
    const QByteArray pieces[] = {"<!--ORVQUESTIONS-->", "<!--ORVTITLE", "-->", "</BODY>", "<!--NOTICE-->",
        "\r", "\n", "\r\n", "\xc3\xa9", "\xff", "\xe2\x82", "\0", "<!--ORVQSTYLE2-->", "x"};
    std::mt19937 random(20261207);
    QTemporaryDir data;
    const QString path = out.filePath(QStringLiteral("page.htm"));
    survey->SetDisplayTemplate(QStringLiteral("random.ovg"));
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i)
            bytes += pieces[random() % std::size(pieces)];
        QFile file(data.filePath(QStringLiteral("random.ovg")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        const TPageResult result = GeneratePage(*survey, path, data.path());
        if (QString::fromUtf8(bytes).toUtf8() != bytes) {
            EXPECT_EQ(result.Error, TPageError::TemplateUnreadable) << bytes.toHex().constData();
            continue;
        }
        ASSERT_TRUE(result.Succeeded()) << bytes.toHex().constData();
        const QByteArray page = ReadFile(path);
        EXPECT_EQ(page.count('\r'), page.count("\r\n"));
        EXPECT_EQ(page.count('\n'), page.count("\r\n"));
    }
}

} // namespace
