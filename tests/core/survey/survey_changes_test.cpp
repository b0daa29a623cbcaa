#include "core/survey/survey.h"
#include "support/testsurvey.h"

#include <QTemporaryDir>

#include <functional>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Records every announcement of a survey.
struct TRecorder {
    explicit TRecorder(TSurvey& survey)
        : survey_(survey)
        , key_(survey.Changes().AddListener([this](TSurveyChanges c) { Told.push_back(c); }))
    {
    }
    ~TRecorder() { survey_.Changes().RemoveListener(key_); }
    std::vector<TSurveyChanges> Told;

private:
    TSurvey& survey_;
    int key_;
};

int AddPlain(TSurvey& s, const QString& text)
{
    return s.AddQuestion({text, qsSingleSelect, "a,b", 0, false, 40, false, 40, 0, 0, 0});
}

struct TChangeCase {
    const char* Name;
    std::function<void(TSurvey&)> operation;
    TSurveyChanges Expected;
};

} // namespace

TEST(SurveyChanges, EachOperationAnnouncesWhatItChanged)
{
    const TSurveyChanges items = TSurveyChange::Items | TSurveyChange::Modified;
    const TSurveyChanges properties = TSurveyChange::Properties | TSurveyChange::Modified;
    const std::vector<TChangeCase> cases = {
        {"add", [](TSurvey& s) { AddPlain(s, "new"); }, items},
        {"update",
            [](TSurvey& s) {
                s.UpdateQuestion(0, {"Q", 1, "x", 0, false, 40, false, 40, 0, 0, 0});
            },
            items},
        {"delete", [](TSurvey& s) { s.DeleteQuestion(0); }, items},
        {"move", [](TSurvey& s) { s.MoveQuestion(0, 1); }, items},
        {"mark modified", [](TSurvey& s) { s.MarkModified(); }, items},
        {"clear", [](TSurvey& s) { s.ClearQuestions(); }, items},
        {"stored item", [](TSurvey& s) { s.AppendStored(s.GetQuestion(0)); }, TSurveyChange::Items},
        {"name", [](TSurvey& s) { s.SetName("N"); }, properties},
        {"page state", [](TSurvey& s) { s.SetHTMLStatus("HTML file generated"); }, properties},
        {"e-mail state", [](TSurvey& s) { s.SetEMailStatus("Sent"); }, TSurveyChange::Properties},
        {"modified flag", [](TSurvey& s) { s.SetModified(false); }, TSurveyChange::Modified},
        {"responses", [](TSurvey& s) { s.SetSRResponseCount(4); },
            TSurveyChange::Responses | TSurveyChange::Modified},
    };
    for (const TChangeCase& c : cases) {
        TSurvey survey;
        survey.NewSurvey();
        AddPlain(survey, "one");
        AddPlain(survey, "two");
        TRecorder recorder(survey);
        c.operation(survey);
        ASSERT_EQ(recorder.Told.size(), 1u) << c.Name;
        EXPECT_EQ(recorder.Told[0], c.Expected) << c.Name;
    }
}

TEST(SurveyChanges, ANewSurveyOrAFileLoadIsOneAnnouncement)
{
    QTemporaryDir dir;
    TSurvey written;
    written.NewSurvey();
    FillFullSurvey(written);
    written.SaveAs(dir.filePath("full.orv"));

    TSurvey survey;
    TRecorder recorder(survey);
    survey.NewSurvey();
    survey.Load(dir.filePath("full.orv"));
    ASSERT_EQ(recorder.Told.size(), 2u);
    EXPECT_TRUE(recorder.Told[1].testFlag(TSurveyChange::Items));
    EXPECT_TRUE(recorder.Told[1].testFlag(TSurveyChange::Responses));

    // A load that fails half-way still tells what it changed.
    WriteBytes(dir.filePath("bad.orv"), MinimalSurveyFile(2, "[Question 1]\r\nID=1\r\n"));
    recorder.Told.clear();
    survey.NewSurvey();
    EXPECT_THROW(survey.Load(dir.filePath("bad.orv")), ESurveyException);
    EXPECT_EQ(recorder.Told.size(), 2u);
}

TEST(SurveyChanges, BatchesAndRemovedListeners)
{
    TSurvey survey;
    survey.NewSurvey();
    TRecorder recorder(survey);
    {
        const TSurveyChangeBatch outer(survey.Changes());
        AddPlain(survey, "a");
        {
            const TSurveyChangeBatch inner(survey.Changes());
            survey.SetName("b");
        }
        EXPECT_TRUE(recorder.Told.empty());
    }
    ASSERT_EQ(recorder.Told.size(), 1u);
    EXPECT_EQ(recorder.Told[0], TSurveyChange::Items | TSurveyChange::Properties | TSurveyChange::Modified);

    int other = 0;
    const int key = survey.Changes().AddListener([&other](TSurveyChanges) { ++other; });
    survey.SetName("c");
    survey.Changes().RemoveListener(key);
    survey.SetName("d");
    EXPECT_EQ(other, 1);
}
