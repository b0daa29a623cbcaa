// Rebuilding the main window's question list (RefreshQuestionList) for a large survey: renumbering,
// building the rows, refilling the analysis combo and laying the list out again.
#include "core/authoring/questionrows.h"
#include "core/base/inisettings.h"
#include "core/base/settings.h"
#include "core/survey/survey.h"
#include "gui/mainwindow/mainform.h"
#include "support/scriptedseams.h"

#include <QApplication>
#include <QListView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void Fill(TSurvey& s, int count)
{
    for (int i = 0; i < count; ++i) {
        if (i % 25 == 0) {
            s.AddHeader(QStringLiteral("Section %1").arg(i / 25 + 1));
            continue;
        }
        const int style = 1 + i % 6;
        const int at = s.AddQuestion({QStringLiteral("Question number %1 of the large survey").arg(i), style,
            QStringLiteral("Strongly agree~SA,Agree,Neutral,Disagree,\"Strongly disagree\""),
            i % 2 ? -1 : 100, false, 40, false, 40, 0, 100, 10});
        // Every tenth Single Select owns a group of the two questions after it.
        if (style == 1 && i % 10 == 0 && i + 2 < count && (i + 1) % 25 && (i + 2) % 25) {
            s.GetQuestion(at).SkipGroupOfResponse = 1;
            for (int k = 1; k <= 2; ++k) {
                const int m = s.AddQuestion({QStringLiteral("Member %1").arg(k), 1, QStringLiteral("Yes,No"),
                    0, false, 40, false, 40, 0, 0, 0});
                s.GetQuestion(m).SkipGroupOfQuestion = s.GetQuestion(at).ID;
            }
            i += 2;
        }
    }
}

void BM_BuildQuestionRows(benchmark::State& state)
{
    TSurvey s;
    Fill(s, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        s.Renumber();
        benchmark::DoNotOptimize(BuildQuestionRows(s));
    }
    state.SetItemsProcessed(state.iterations() * s.QuestionCount());
}
BENCHMARK(BM_BuildQuestionRows)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_RefreshQuestionList(benchmark::State& state)
{
    TScriptedSeams seams;
    TORVMainForm window;
    window.resize(900, 700);
    window.show();
    Fill(window.Survey(), static_cast<int>(state.range(0)));
    for (auto _ : state) {
        window.RefreshQuestionList();
        window.findChild<QListView*>(QStringLiteral("lbQuestions"))
            ->doItemsLayout(); // the list lays out every row's height
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * window.Survey().QuestionCount());
}
BENCHMARK(BM_RefreshQuestionList)->Arg(2000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // A private home, so that the window's first start does not touch the user's settings.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto settings = std::make_unique<TMemorySettings>();
    settings->WriteBool(QStringLiteral("Preferences"), QStringLiteral("TipAtStartup"), false);
    SetAppSettings(std::move(settings));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SetAppSettings(nullptr);
    return 0;
}
