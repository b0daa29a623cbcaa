// Page generation for surveys of growing size: the cost should grow linearly with the items.

#include "core/survey/survey.h"
#include "core/webform/page.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString ReadTemplate(const char* name)
{
    QFile file(QStringLiteral(ORVALLE_SOURCE_DIR "/data/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A realistic mix: every tenth item a header, all six styles, some with Other and comments.
void Fill(TSurvey& survey, int items)
{
    for (int i = 0; i < items; ++i) {
        if (i % 10 == 9) {
            survey.AddHeader(QStringLiteral("Section %1").arg(i / 10 + 1));
            continue;
        }
        const int style = i % 6 + 1;
        const QString options = style == 4 || style == 6
            ? QString()
            : QStringLiteral("\"Strongly disagree~1\",Disagree~2,Neutral~3,Agree~4,\"Strongly agree~5\"");
        survey.AddQuestion({QStringLiteral("How do you rate item number %1 of this survey?").arg(i), style,
            options, style == 4 ? (i % 2 ? -1 : 80) : 0, i % 3 == 0, 40, i % 4 == 0, 80, 0, 100, 10});
    }
    survey.Renumber();
}

void BM_BuildPage(benchmark::State& state, const char* templateName)
{
    TSurvey survey;
    survey.NewSurvey();
    Fill(survey, static_cast<int>(state.range(0)));
    const QString templateText = ReadTemplate(templateName);
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QString page = BuildPage(survey, templateText);
        bytes = page.size();
        benchmark::DoNotOptimize(page.constData());
    }
    state.SetComplexityN(state.range(0));
    state.counters["page_kchars"] = static_cast<double>(bytes) / 1000.0;
}

// The whole operation as the publish dialog runs it: template read, page built and written.
void BM_GeneratePage(benchmark::State& state)
{
    TSurvey survey;
    survey.NewSurvey();
    Fill(survey, static_cast<int>(state.range(0)));
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("page.htm"));
    for (auto _ : state) {
        if (!GeneratePage(survey, path, QStringLiteral(ORVALLE_SOURCE_DIR "/data/")).Succeeded())
            state.SkipWithError("page not written");
    }
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_GeneratePage)
    ->Arg(500)
    ->Arg(2000)
    ->Arg(8000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(BM_BuildPage, default_template, "default.ovg")
    ->Arg(500)
    ->Arg(2000)
    ->Arg(8000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
// The jump-link layout writes the most text per question.
BENCHMARK_CAPTURE(BM_BuildPage, guided_template, "guided.ovg")
    ->Arg(500)
    ->Arg(2000)
    ->Arg(8000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

BENCHMARK_MAIN();
