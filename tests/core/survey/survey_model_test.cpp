#include "core/base/clock.h"
#include "core/base/settings.h"
#include "core/survey/survey.h"

#include <QLocale>

#include <functional>

#include <gtest/gtest.h>

namespace {

const QDateTime kT0(QDate(2026, 12, 7), QTime(15, 4, 5));

class SurveyModel : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    QDateTime now_ = kT0;
    TScopedClock clock_{[this] { return now_; }};
};

int AddPlain(TSurvey& s, const QString& text, int style = qsSingleSelect)
{
    return s.AddQuestion({text, style, "a,b", 0, false, 40, false, 40, 0, 0, 0});
}

QStringList Order(const TSurvey& s)
{
    QStringList texts;
    for (int i = 0; i < s.QuestionCount(); ++i)
        texts.append(s.GetQuestion(i).Text);
    return texts;
}

} // namespace

TEST_F(SurveyModel, NewSurveyDefaultsComeFromSettings)
{
    TMemorySettings reg;
    reg.WriteString("Defaults", "Author", "Ann");
    reg.WriteString("Defaults", "DisplayTemplate", "modern.ovg");
    reg.WriteString("Defaults", "Instructions", "Hello\r\nthere");
    reg.WriteString("Defaults", "ServerMajorVer", "0x2");
    reg.WriteBool("Defaults", "Only1Email", true);
    reg.WriteBool("Defaults", "LimitByIP", true);
    TSurvey s(&reg);
    EXPECT_EQ(s.FileName(), "Survey1.orv");
    EXPECT_EQ(s.Author(), "Ann");
    EXPECT_EQ(s.DisplayTemplate(), "default.ovg");
    EXPECT_EQ(s.NotifyMessage(), "");
    EXPECT_EQ(s.Instructions(), "Hello&crlf;there");
    EXPECT_EQ(s.ServerMajorVer(), 2);
    EXPECT_TRUE(s.Only1Email());
    EXPECT_FALSE(s.Only1IP());
    EXPECT_FALSE(s.LimitByIP());
    EXPECT_EQ(s.UniqueName(), "S261207150405");

    AddPlain(s, "q");
    s.SetName("Changed");
    reg.WriteString("Defaults", "Author", "Bob");
    now_ = kT0.addSecs(60);
    s.NewSurvey();
    EXPECT_EQ(s.FileName(), "Survey2.orv");
    EXPECT_EQ(s.Name(), "(Untitled)");
    EXPECT_EQ(s.Author(), "Bob");
    EXPECT_EQ(s.QuestionCount(), 0);
    EXPECT_EQ(s.LastID(), 0);
    EXPECT_EQ(s.UniqueName(), "S261207150505");
    EXPECT_EQ(s.NotifyMessage(), DefaultNotifyMessage());
    EXPECT_EQ(s.PubHistory(), "This survey has never been published");
    EXPECT_EQ(s.SRServerUpdate(), QDateTime(QDate(1963, 6, 15), QTime(0, 0)));
    EXPECT_FALSE(s.Modified());
    EXPECT_FALSE(s.HasFile());
    s.NewSurvey();
    EXPECT_EQ(s.FileName(), "Survey3.orv");
}

TEST_F(SurveyModel, SettersStampTheSurveyUnlessDirect)
{
    TSurvey s;
    struct Case {
        const char* Name;
        std::function<void(TSurvey&)> change;
        bool Stamps;
        bool Modifies;
    } cases[] = {
        {"SetName", [](TSurvey& x) { x.SetName("n"); }, true, true},
        {"SetSamplingPercent", [](TSurvey& x) { x.SetSamplingPercent(5); }, true, true},
        {"SetInstructions", [](TSurvey& x) { x.SetInstructions("i"); }, true, true},
        {"AddQuestion", [](TSurvey& x) { AddPlain(x, "q"); }, true, true},
        {"SetChartOptions", [](TSurvey& x) { x.SetChartOptions(0, 2, false, 1, false, 0, 0); }, true, true},
        {"AddHistory", [](TSurvey& x) { x.AddHistory("h"); }, true, true},
        {"SetHTMLLastUpdate", [](TSurvey& x) { x.SetHTMLLastUpdate(kT0); }, false, true},
        {"SetServerStatus", [](TSurvey& x) { x.SetServerStatus("ok"); }, false, false},
        {"SetServerMajorVer", [](TSurvey& x) { x.SetServerMajorVer(3); }, false, false},
    };
    for (const Case& c : cases) {
        s.SetModified(false);
        const QDateTime before = s.LastUpdated();
        now_ = now_.addSecs(1);
        c.change(s);
        EXPECT_EQ(s.LastUpdated() != before, c.Stamps) << c.Name;
        EXPECT_EQ(s.Modified(), c.Modifies) << c.Name;
    }
}

TEST_F(SurveyModel, IdentifiersAreNeverReused)
{
    TSurvey s;
    AddPlain(s, "one");
    const int two = AddPlain(s, "two");
    EXPECT_EQ(s.GetQuestion(two).ID, 2);
    s.DeleteQuestion(two);
    const int three = AddPlain(s, "three");
    EXPECT_EQ(s.GetQuestion(three).ID, 3);
    EXPECT_EQ(s.LastID(), 3);
    const int header = s.AddHeader("H");
    const TQuestion& h = s.GetQuestion(header);
    EXPECT_EQ(h.ID, 4);
    EXPECT_EQ(h.Style, 7);
    EXPECT_EQ(h.OtherLength, 40);
    EXPECT_EQ(h.CommentLength, 40);
    EXPECT_EQ(h.SkipGroupOfQuestion, -1);
    EXPECT_EQ(h.ChartType, 1);
}

TEST_F(SurveyModel, InsertAndMove)
{
    TSurvey s;
    AddPlain(s, "A");
    AddPlain(s, "B");
    EXPECT_EQ(s.InsertQuestion(-1, {"first", 1, "", 0, false, 40, false, 40, 0, 0, 0}), 0);
    EXPECT_EQ(s.InsertQuestion(0, {"second", 1, "", 0, false, 40, false, 40, 0, 0, 0}), 1);
    EXPECT_EQ(s.InsertQuestion(3, {"last", 1, "", 0, false, 40, false, 40, 0, 0, 0}), 4);
    EXPECT_EQ(s.InsertQuestion(99, {"beyond", 1, "", 0, false, 40, false, 40, 0, 0, 0}), 5);
    EXPECT_EQ(Order(s), QStringList({"first", "second", "A", "B", "last", "beyond"}));

    EXPECT_FALSE(s.MoveQuestion(0, 6));
    EXPECT_FALSE(s.MoveQuestion(-1, 0));
    EXPECT_EQ(Order(s), QStringList({"first", "second", "A", "B", "last", "beyond"}));
    EXPECT_TRUE(s.MoveQuestion(0, 5));
    EXPECT_EQ(Order(s), QStringList({"second", "A", "B", "last", "beyond", "first"}));
    s.DeleteQuestion(17); // out of range: ignored
    EXPECT_EQ(s.QuestionCount(), 6);
}

TEST_F(SurveyModel, UpdateKeepsIdentityChartAndSkipFields)
{
    TSurvey s;
    const int i = AddPlain(s, "old");
    s.SetChartOptions(i, 3, false, 2, false, 4, 45);
    s.GetQuestion(i).SkipGroupOfResponse = 1;
    s.UpdateQuestion(i, {"new", qsPullDownList, "x,y", 7, true, 50, true, 60, 1, 9, 2});
    const TQuestion& q = s.GetQuestion(i);
    EXPECT_EQ(q.Text, "new");
    EXPECT_EQ(q.Style, qsPullDownList);
    EXPECT_EQ(q.MaxValue, 9);
    EXPECT_EQ(q.ID, 1);
    EXPECT_EQ(q.ChartType, 3);
    EXPECT_EQ(q.Rotation, 45);
    EXPECT_EQ(q.SkipGroupOfResponse, 1);
}

TEST_F(SurveyModel, InstructionsAreStoredEscaped)
{
    TSurvey s;
    s.SetInstructions("Line one\r\nLine two");
    EXPECT_EQ(s.Instructions(), "Line one&crlf;Line two");
    EXPECT_EQ(s.GetInstructions(), "Line one\rLine two");
    // What text boxes return: lone LFs. Every kind of line break is one break.
    s.SetFinalComments("a\nb\rc\r\n\nd");
    EXPECT_EQ(s.FinalComments(), "a&crlf;b&crlf;c&crlf;&crlf;d");
    EXPECT_EQ(s.GetFinalComments(), "a\rb\rc\r\rd");
}

TEST_F(SurveyModel, HistoryAndDerivedTexts)
{
    TSurvey s;
    s.NewSurvey();
    s.AddHistory("Survey page generated");
    EXPECT_EQ(s.PubHistory(), "12/7/2026 3:04:05 PM: Survey page generated\r\n");
    now_ = QDateTime(QDate(2026, 12, 8), QTime(0, 0));
    s.SetRegistered(kT0);
    EXPECT_EQ(s.PubHistory(),
        "12/7/2026 3:04:05 PM: Survey page generated\r\n"
        "12/8/2026 12:00:00 AM: Survey registered with server\r\n");
    EXPECT_EQ(s.RegDate(), kT0);

    EXPECT_EQ(s.GetSRLastUpdate(), "Never");
    s.SetSRLastUpdate("  Never updated");
    EXPECT_EQ(s.GetSRLastUpdate(), "Never");
    s.SetSRLastUpdate("12/7/2026 3:04:05 PM");
    EXPECT_EQ(s.GetSRLastUpdate(), "12/7/2026 3:04:05 PM");

    s.SetServerURL("http://host/scripts/orv.dll");
    EXPECT_EQ(s.GetFormAction(), "http://host/scripts/orv.dll");
    s.SetProcessResponses(1);
    EXPECT_EQ(s.GetFormAction(), DefaultFormAction());
    EXPECT_TRUE(DefaultFormAction().endsWith("/orv.dll"));
}

TEST_F(SurveyModel, RenumberLabelsAndSkipDistances)
{
    TSurvey s;
    const int h = s.AddHeader("Intro");
    const int q1 = AddPlain(s, "1");
    const int m1 = AddPlain(s, "1a");
    const int m2 = AddPlain(s, "1b");
    const int q2 = AddPlain(s, "2");
    const int h2 = s.AddHeader("Part two");
    const int q3 = AddPlain(s, "3");
    const int m3 = AddPlain(s, "3a");
    s.GetQuestion(q1).SkipGroupOfResponse = 0;
    s.GetQuestion(m1).SkipGroupOfQuestion = s.GetQuestion(q1).ID;
    s.GetQuestion(m2).SkipGroupOfQuestion = s.GetQuestion(q1).ID;
    s.GetQuestion(q3).SkipGroupOfResponse = 1;
    s.GetQuestion(m3).SkipGroupOfQuestion = s.GetQuestion(q3).ID;
    s.GetQuestion(q2).SkipDistance = 7; // stale value from an earlier group
    s.Renumber();

    const char* labels[] = {"1", "1", "1a", "1b", "2", "3", "3", "3a"};
    for (int i = 0; i < s.QuestionCount(); ++i)
        EXPECT_EQ(s.GetQuestion(i).NumberLabel, labels[i]) << i;
    EXPECT_EQ(s.GetQuestion(h).NumberLabel, "1");
    EXPECT_EQ(s.GetQuestion(h2).NumberLabel, "3");
    EXPECT_EQ(s.GetQuestion(q1).SkipDistance, 3);
    EXPECT_EQ(s.GetQuestion(q2).SkipDistance, -1);
    EXPECT_EQ(s.GetQuestion(q3).SkipDistance, -1); // the group runs to the end

    // Deleting the question after a group makes the group run to the end.
    s.DeleteQuestion(q2);
    s.DeleteQuestion(s.QuestionCount() - 1);
    s.DeleteQuestion(s.QuestionCount() - 1);
    s.DeleteQuestion(s.QuestionCount() - 1);
    s.Renumber();
    EXPECT_EQ(s.GetQuestion(q1).SkipDistance, -1);
}

TEST_F(SurveyModel, QuestionOptionList)
{
    TQuestion q;
    q.SetOptionList({"Yes~Y", "Don't know", ""});
    EXPECT_EQ(q.Options, "Yes~Y,\"Don't know\",");
    EXPECT_EQ(q.OptionList(), QStringList({"Yes~Y", "Don't know", ""}));
    EXPECT_EQ(q.OptionCount(), 3);
    EXPECT_EQ(StyleName(qsNumericValue), "Numeric Value");
}

TEST(QuestionOptions, TheLabelIsWhatFollowsTheFirstTilde)
{
    EXPECT_EQ(OptionValue("Strongly agree~SA"), "SA");
    EXPECT_EQ(OptionValue("a~b~c"), "b~c");
    EXPECT_EQ(OptionValue("plain"), "plain");
    EXPECT_EQ(OptionCaption("Strongly agree~SA"), "Strongly agree");
}
