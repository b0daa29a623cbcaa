// Load and save of large surveys: the survey file must stay quick at thousands of items.

#include "core/base/clock.h"
#include "core/survey/survey.h"

#include <QLocale>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void Fill(TSurvey& s, int items)
{
    s.NewSurvey();
    s.SetInstructions("Please take a few moments\r\nto complete our survey.");
    for (int i = 0; i < items; ++i) {
        if (i % 25 == 0)
            s.AddHeader(QStringLiteral("Section %1").arg(i / 25));
        else
            s.AddQuestion({QStringLiteral("How satisfied are you with item %1?").arg(i), 1 + i % 6,
                "\"Very satisfied~5\",Satisfied~4,Neutral~3,Dissatisfied~2,\"Very dissatisfied~1\"", 0,
                i % 3 == 0, 40, i % 5 == 0, 80, 0, 10, 1});
    }
}

void BM_SurveySave(benchmark::State& state)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QTemporaryDir dir;
    TSurvey s;
    Fill(s, static_cast<int>(state.range(0)));
    s.SetFileName(dir.filePath("bench.orv"));
    for (auto _ : state)
        s.Save();
    state.SetComplexityN(state.range(0));
}

void BM_SurveyLoad(benchmark::State& state)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QTemporaryDir dir;
    TSurvey s;
    Fill(s, static_cast<int>(state.range(0)));
    s.SaveAs(dir.filePath("bench.orv"));
    for (auto _ : state) {
        TSurvey loaded;
        loaded.Load(dir.filePath("bench.orv"));
        benchmark::DoNotOptimize(loaded.QuestionCount());
    }
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_SurveySave)->Arg(500)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_SurveyLoad)->Arg(500)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond)->Complexity();

BENCHMARK_MAIN();
