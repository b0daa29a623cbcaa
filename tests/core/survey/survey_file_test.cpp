#include "core/base/clock.h"
#include "core/base/profilefile.h"
#include "core/survey/survey.h"
#include "core/survey/surveyjson.h"
#include "support/testsurvey.h"

#include <QFile>
#include <QJsonDocument>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QDateTime kT0(QDate(2026, 12, 7), QTime(15, 4, 5));

class SurveyFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ASSERT_TRUE(dir_.isValid());
    }
    QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir_;
    TScopedClock clock_{kT0};
};

QByteArray Json(TSurvey& s)
{
    return QJsonDocument(SurveyToJson(s)).toJson();
}

// Loads a survey from file bytes; returns the exception message, empty on success.
QString LoadBytes(TSurvey& s, const QString& path, const QByteArray& bytes)
{
    WriteBytes(path, bytes);
    try {
        s.Load(path);
    } catch (const ESurveyException& e) {
        return e.Message();
    }
    return QString();
}

} // namespace

TEST_F(SurveyFile, FullSurveyRoundTripsByteForByte)
{
    TSurvey original;
    original.NewSurvey();
    FillFullSurvey(original);
    original.SaveAs(Path("a.orv"));
    EXPECT_TRUE(original.HasFile());
    EXPECT_FALSE(original.Modified());

    TSurvey first;
    first.Load(Path("a.orv"));
    first.SaveAs(Path("b.orv"));
    TSurvey second;
    second.Load(Path("b.orv"));
    second.SaveAs(Path("c.orv"));

    EXPECT_EQ(ReadBytes(Path("a.orv")), ReadBytes(Path("b.orv")));
    EXPECT_EQ(ReadBytes(Path("b.orv")), ReadBytes(Path("c.orv")));
    first.SetFileName(second.FileName());
    EXPECT_EQ(Json(first), Json(second));

    // The model survives the file (apart from what is never stored).
    EXPECT_EQ(first.Name(), original.Name());
    EXPECT_EQ(first.Author(), "  Ann Lee  ");
    EXPECT_EQ(first.NotifyMessage(), original.NotifyMessage());
    EXPECT_EQ(first.GetInstructions(), "Line one\rLine two, with \"quotes\"\r  indented");
    EXPECT_EQ(first.PubHistory(), original.PubHistory());
    EXPECT_EQ(first.RegDate(), QDateTime(QDate(2026, 12, 5), QTime(9, 30)));
    EXPECT_EQ(first.SRServerUpdate(), original.SRServerUpdate());
    EXPECT_EQ(first.HTMLLastUpdate(), original.HTMLLastUpdate());
    EXPECT_EQ(first.LastID(), original.LastID());
    ASSERT_EQ(first.QuestionCount(), original.QuestionCount());
    for (int i = 0; i < first.QuestionCount(); ++i) {
        const TQuestion& a = first.GetQuestion(i);
        const TQuestion& b = original.GetQuestion(i);
        EXPECT_EQ(a.Options, b.Options) << i;
        EXPECT_EQ(a.ID, b.ID) << i;
        EXPECT_EQ(a.SkipGroupOfQuestion, b.SkipGroupOfQuestion) << i;
        EXPECT_EQ(a.ChartType, b.ChartType) << i;
        EXPECT_EQ(a.Text, b.Text.section(u'\r', 0, 0)) << i;
    }
}

TEST_F(SurveyFile, LayoutOfANewFile)
{
    TSurvey s;
    s.NewSurvey();
    s.AddQuestion({"Q", qsSingleSelect, "Yes,No,\"Don't know\"", 0, false, 40, false, 40, 0, 0, 0});
    s.SaveAs(Path("n.orv"));
    const QByteArray bytes = ReadBytes(Path("n.orv"));
    const QList<QByteArray> lines = bytes.split('\n');
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_FALSE(bytes.contains("\r\r"));
    QStringList keys;
    for (const QByteArray& raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        keys.append(line.startsWith('[') ? line : line.section('=', 0, 0));
    }
    const QString joined = keys.join(' ');
    EXPECT_TRUE(
        joined.startsWith("[Details] Name Author Password UniqueName QuestionCount LastID Instructions "
                          "FinalComments PublishMethod DisplayTemplate ProcessResponses AccountID "
                          "ServerURL ResultURL EMailAddress NotificationFile NotifyMessage AllAddresses "
                          "AttachSurvey SamplingPercent IncomingDomain Domain Only1Email Only1IP "
                          "LimitByIP ServerStatus LastUpdated HTMLLastUpdate SRServerUpdate RegDate "
                          "EMailStatus HTMLStatus HTMLFileName SRLastUpdate SRResponseCount "
                          "SRResponseFile DataFileName IPAddresses PubHistory  [Defaults] "
                          "ServerMajorVer ServerMinorVer  [Question 1] Text Style Options "
                          "LengthOfResponse ID IncludeOther OtherLength IncludeComment CommentLength "
                          "MinValue MaxValue StepValue ChartType DisplayLegend LegendStyle DisplayMarks "
                          "MarksStyle Rotation SkipGroupOfQuestion SkipGroupOfResponse"))
        << joined.toStdString();
    EXPECT_TRUE(bytes.contains("\r\nOptions=Yes|No|Don't know|\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nPubHistory=\"This survey has never been published\"\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nSRServerUpdate=6/15/1963\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nLastUpdated=12/7/2026 3:04:05 PM\r\n"));
}

TEST_F(SurveyFile, ReadingRules)
{
    struct Case {
        const char* What;
        QByteArray Question; // lines of section [Question 1]
        std::function<void(const TQuestion&)> check;
    } cases[] = {
        {"no final bar", "Options=Yes|No",
            [](const TQuestion& q) { EXPECT_EQ(q.OptionList(), QStringList{"Yes"}); }},
        {"empty options", "Options=", [](const TQuestion& q) { EXPECT_EQ(q.OptionCount(), 0); }},
        {"one bar", "Options=|", [](const TQuestion& q) { EXPECT_EQ(q.OptionList(), QStringList{""}); }},
        {"two bars", "Options=||", [](const TQuestion& q) { EXPECT_EQ(q.OptionCount(), 2); }},
        {"hex style", "Style=0x1F", [](const TQuestion& q) { EXPECT_EQ(q.Style, 31); }},
        {"bad style", "Style=abc", [](const TQuestion& q) { EXPECT_EQ(q.Style, 4); }},
        {"defaults", "",
            [](const TQuestion& q) {
                EXPECT_EQ(q.Text, "N/A");
                EXPECT_EQ(q.OtherLength, 40);
                EXPECT_EQ(q.MinValue, -1);
                EXPECT_EQ(q.StepValue, 1);
                EXPECT_TRUE(q.DisplayLegend);
                EXPECT_EQ(q.SkipGroupOfQuestion, -1);
            }},
        {"case and quotes", "tEXt=\"  Hello  \"\r\nincludeother=7",
            [](const TQuestion& q) {
                EXPECT_EQ(q.Text, "  Hello  ");
                EXPECT_TRUE(q.IncludeOther);
            }},
        {"long value read whole", "Text=" + QByteArray(70000, 'x'),
            [](const TQuestion& q) { EXPECT_EQ(q.Text.size(), 70000); }},
    };
    for (const Case& c : cases) {
        TSurvey s;
        const QString error = LoadBytes(
            s, Path("r.orv"), MinimalSurveyFile(1, "[Question 1]\r\nID=5\r\n" + c.Question + "\r\n"));
        ASSERT_TRUE(error.isEmpty()) << c.What << ": " << error.toStdString();
        ASSERT_EQ(s.QuestionCount(), 1) << c.What;
        EXPECT_EQ(s.GetQuestion(0).ID, 5) << c.What;
        c.check(s.GetQuestion(0));
    }
}

TEST_F(SurveyFile, DetailsReadingRules)
{
    TSurvey s;
    ASSERT_EQ(LoadBytes(s, Path("d.orv"),
                  "[details]\nQuestionCount=2\nLastID=1\n[question 1]\nID=4\n[Question 2]\nID=9\n"
                  "[Question 3]\nID=10\n"),
        "");
    EXPECT_EQ(s.QuestionCount(), 2); // section 3 is beyond the count
    EXPECT_EQ(s.Name(), "N/A");
    EXPECT_EQ(s.Author(), "N/A");
    EXPECT_TRUE(s.Only1Email());
    EXPECT_TRUE(s.Only1IP());
    EXPECT_EQ(s.SamplingPercent(), 10);
    EXPECT_EQ(s.UniqueName(), "S261207150405");
    EXPECT_EQ(s.LastID(), 9); // never behind the items, so no identifier is handed out twice
    EXPECT_EQ(s.LastUpdated(), kT0);
    EXPECT_EQ(s.SRServerUpdate(), NoDownloadDateTime());
    EXPECT_EQ(s.FileName(), Path("d.orv"));
    EXPECT_TRUE(s.HasFile());
    EXPECT_FALSE(s.Modified());

    TSurvey empty;
    ASSERT_EQ(LoadBytes(empty, Path("e.orv"), MinimalSurveyFile(0, "")), "");
    EXPECT_EQ(empty.QuestionCount(), 0);
    EXPECT_EQ(empty.Name(), "Minimal");
}

TEST_F(SurveyFile, DateFailuresKeepWhatWasReadBefore)
{
    struct Case {
        const char* What;
        QByteArray Dates;
        QDateTime html, download, Reg;
    } cases[] = {
        {"all good", "HTMLLastUpdate=12/1/2026 1:00:00 PM\nSRServerUpdate=12/2/2026\nRegDate=12/3/2026\n",
            QDateTime(QDate(2026, 12, 1), QTime(13, 0)), QDateTime(QDate(2026, 12, 2), QTime(0, 0)),
            QDateTime(QDate(2026, 12, 3), QTime(0, 0))},
        {"RegDate missing", "HTMLLastUpdate=12/1/2026\nSRServerUpdate=12/2/2026\n",
            QDateTime(QDate(2026, 12, 1), QTime(0, 0)), QDateTime(QDate(2026, 12, 2), QTime(0, 0)),
            ZeroDateTime()},
        {"HTMLLastUpdate garbage", "HTMLLastUpdate=soon\nSRServerUpdate=12/2/2026\nRegDate=12/3/2026\n",
            ZeroDateTime(), NoDownloadDateTime(), ZeroDateTime()},
        // Two-digit years as the original platform wrote them: one rule for every key.
        {"two-digit years", "HTMLLastUpdate=12/1/98 1:00:00 PM\nSRServerUpdate=6/15/63\nRegDate=12/30/99\n",
            QDateTime(QDate(1998, 12, 1), QTime(13, 0)), NoDownloadDateTime(), ZeroDateTime()},
        {"two-digit years, dates only", "HTMLLastUpdate=12/30/99\nSRServerUpdate=6/15/63\nRegDate=1/2/03\n",
            ZeroDateTime(), NoDownloadDateTime(), QDateTime(QDate(2003, 1, 2), QTime(0, 0))},
    };
    for (const Case& c : cases) {
        TSurvey s;
        ASSERT_EQ(LoadBytes(s, Path("t.orv"), "[Details]\nLastUpdated=1/1/2020\n" + c.Dates), "") << c.What;
        EXPECT_EQ(s.HTMLLastUpdate(), c.html) << c.What;
        EXPECT_EQ(s.SRServerUpdate(), c.download) << c.What;
        EXPECT_EQ(s.RegDate(), c.Reg) << c.What;
        EXPECT_EQ(s.LastUpdated(), kT0) << c.What;
    }
}

TEST_F(SurveyFile, HistoryAndTextsAcrossTheFile)
{
    TSurvey s;
    s.NewSurvey();
    s.AddQuestion({"First line\r\nsecond line", qsFreeFormText, "", -1, false, 40, false, 40, 0, 0, 0});
    s.SaveAs(Path("h.orv"));
    TSurvey back;
    back.Load(Path("h.orv"));
    EXPECT_EQ(back.PubHistory(), "This survey has never been published\r\n");
    EXPECT_EQ(back.GetQuestion(0).Text, "First line");
    // A loaded history no longer equals the placeholder, so the first entry is appended to it.
    back.AddHistory("Published");
    EXPECT_EQ(
        back.PubHistory(), "This survey has never been published\r\n12/7/2026 3:04:05 PM: Published\r\n");
}

TEST_F(SurveyFile, SavingIntoAnExistingFileKeepsItsLines)
{
    WriteBytes(Path("x.orv"),
        "; written by hand\r\n"
        "[Foreign]\r\n"
        "keep=me\r\n"
        "[Details]\r\n"
        "Name=Old\r\n"
        "Custom=1\r\n"
        "[Question 1]\r\nID=1\r\n"
        "[Question 2]\r\nID=2\r\n");
    TSurvey s;
    s.Load(Path("x.orv"));
    ASSERT_EQ(s.QuestionCount(), 0); // QuestionCount missing: no items are read
    s.SetName("New");
    s.AddQuestion({"Only", qsSingleSelect, "a", 0, false, 40, false, 40, 0, 0, 0});
    s.Save();
    const QString text = QString::fromUtf8(ReadBytes(Path("x.orv")));
    EXPECT_TRUE(
        text.startsWith("; written by hand\r\n[Foreign]\r\nkeep=me\r\n[Details]\r\nName=New\r\nCustom=1\r\n"))
        << text.toStdString();
    EXPECT_LT(text.indexOf("[Question 1]"), text.indexOf("[Question 2]"));
    EXPECT_TRUE(text.contains("[Question 2]\r\nID=2\r\n"));
    TSurvey back;
    back.Load(Path("x.orv"));
    ASSERT_EQ(back.QuestionCount(), 1); // the stale section 2 is ignored
    EXPECT_EQ(back.GetQuestion(0).Text, "Only");
}

TEST_F(SurveyFile, Failures)
{
    TSurvey s;
    try {
        s.Load(Path("missing.orv"));
        FAIL();
    } catch (const ESurveyException& e) {
        EXPECT_EQ(e.Message(), "Could not find file " + Path("missing.orv"));
    }
    EXPECT_EQ(s.FileName(), "Survey1.orv");

    // An item without a usable ID stops the load; what was read before stays.
    TSurvey partial;
    const QString error = LoadBytes(partial, Path("bad.orv"),
        MinimalSurveyFile(3,
            "[Question 1]\nID=1\nText=kept\n[Question 2]\nID=two\n"
            "[Question 3]\nID=3\n"));
    EXPECT_EQ(error, "Error reading file " + Path("bad.orv") + ". File incorrectly formatted.");
    EXPECT_EQ(partial.Name(), "Minimal");
    ASSERT_EQ(partial.QuestionCount(), 1);
    EXPECT_EQ(partial.GetQuestion(0).Text, "kept");

    // A refused write reports the path and leaves the old file and the survey's state alone.
    TSurvey w;
    w.NewSurvey();
    w.SaveAs(Path("keep.orv"));
    const QByteArray before = ReadBytes(Path("keep.orv"));
    w.SetName("changed");
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::ExeOwner);
    bool threw = false;
    try {
        w.Save();
    } catch (const ESurveyException& e) {
        threw = true;
        EXPECT_EQ(e.Message(), "Unable to write to " + Path("keep.orv"));
    }
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (threw) { // root ignores the permission
        EXPECT_TRUE(w.Modified());
        EXPECT_EQ(ReadBytes(Path("keep.orv")), before);
    }
    try {
        w.SaveAs(Path("no-such-folder/s.orv"));
        FAIL();
    } catch (const ESurveyException& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + Path("no-such-folder/s.orv"));
    }
}

TEST_F(SurveyFile, ReadsFilesFromTheOriginalPlatform)
{
    TSurvey s;
    const QByteArray bytes = "[Details]\r\nName=Caf\xE9 survey\r\nQuestionCount=1\r\n"
                             "PubHistory=\"12/1/2026 9:00:00 AM: Survey registered with server\","
                             "\"12/2/2026 9:00:00 AM: HTML file generated\"\r\n"
                             "[Question 1]\r\nText=\x93Quoted\x94 question\r\nID=1\r\nOptions=S\xED|No|\r\n";
    ASSERT_EQ(LoadBytes(s, Path("w.orv"), bytes), "");
    EXPECT_EQ(s.Name(), QString::fromUtf8("Café survey"));
    EXPECT_EQ(s.GetQuestion(0).Text, QString::fromUtf8("“Quoted” question"));
    EXPECT_EQ(s.GetQuestion(0).OptionList(), QStringList({QString::fromUtf8("Sí"), "No"}));
    EXPECT_EQ(s.PubHistory(),
        "12/1/2026 9:00:00 AM: Survey registered with server\r\n"
        "12/2/2026 9:00:00 AM: HTML file generated\r\n");
    s.Save();
    EXPECT_TRUE(ReadBytes(Path("w.orv")).contains("Name=Caf\xC3\xA9 survey\r\n"));
}
