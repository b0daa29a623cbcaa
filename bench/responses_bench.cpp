// Merging server data files into the response table of a 50-question survey with one response
// per address and per e-mail address enforced: the cost of AddResponses as the file grows.
// Run: build-*/bench/responses_bench  (reports seconds per merge and peak memory).

#include "core/responses/addresponses.h"
#include "core/survey/survey.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <benchmark/benchmark.h>

namespace {

// 50 questions of every style, as a real survey mixes them.
void AddQuestions(TSurvey& survey)
{
    for (int i = 0; i < 50; ++i) {
        switch (i % 5) {
        case 0:
            survey.AddQuestion({"Single", qsSingleSelect, "a,b,c,d,e", 0, true, 40, true, 60, 0, 0, 0});
            break;
        case 1:
            survey.AddQuestion({"Multiple", qsMultipleSelect, "a,b,c,d", 0, true, 40, false, 40, 0, 0, 0});
            break;
        case 2:
            survey.AddQuestion({"Scale", qsSlidingScale, "1,2,3,4,5,6,7", 0, false, 40, false, 40, 0, 0, 0});
            break;
        case 3:
            survey.AddQuestion({"Text", qsFreeFormText, "", 80, false, 40, false, 40, 0, 0, 0});
            break;
        default:
            survey.AddQuestion({"Number", qsNumericValue, "", 0, false, 40, false, 40, 0, 100, 10});
            break;
        }
    }
}

QByteArray ResponseLine(int n)
{
    QByteArray line = "RemoteAddr=10." + QByteArray::number((n >> 16) & 255) + "."
        + QByteArray::number((n >> 8) & 255) + "." + QByteArray::number(n & 255)
        + ",\"UserAgent=Mozilla/5.0 (X11; Linux x86_64; rv:120.0)\"," + "DateRec=2026010112"
        + QByteArray::number(100000 + n % 10000).right(4) + ",ORVEMAILADDRESS=person" + QByteArray::number(n)
        + "@example.org";
    for (int id = 1; id <= 50; ++id) {
        const QByteArray name = ",orv" + QByteArray::number(id);
        switch ((id - 1) % 5) {
        case 0:
            line += name + "=" + QByteArray::number(n % 5) + name + "Comment=\"fine, thanks\"";
            break;
        case 1:
            line += name + "-0=1" + name + "-2=1";
            break;
        case 2:
            line += name + "=" + QByteArray::number(n % 7);
            break;
        case 3:
            line += "\"" + name.mid(1) + "=some words typed by the respondent\"";
            break;
        default:
            line += name + "=" + QByteArray::number(n % 101);
            break;
        }
    }
    return line;
}

QString WriteDataFile(const QString& path, int responses)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write("<DATA>\r\n");
    for (int n = 0; n < responses; ++n)
        f.write(ResponseLine(n) + "\r\n");
    f.write("</DATA>\r\n");
    return path;
}

long PeakMemoryMB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

void BM_MergeResponses(benchmark::State& state)
{
    const int responses = static_cast<int>(state.range(0));
    QTemporaryDir dir;
    const QString data = WriteDataFile(dir.filePath("in.dat"), responses);
    int added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TSurvey survey;
        survey.NewSurvey();
        survey.SetFileName(dir.filePath("bench.orv"));
        survey.SetUniqueName(QStringLiteral("S%1").arg(state.iterations()));
        survey.SetOnly1IP(true);
        survey.SetOnly1Email(true);
        AddQuestions(survey);
        TResponseTable table;
        state.ResumeTiming();

        TAddResponseResult result;
        AddResponses(survey, table, data, result);
        added = result.AddedCount;

        state.PauseTiming();
        table.Close();
        state.ResumeTiming();
    }
    state.counters["added"] = added;
    state.counters["peak_MB"] = static_cast<double>(PeakMemoryMB());
    state.SetComplexityN(responses);
}

BENCHMARK(BM_MergeResponses)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(400000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Complexity(benchmark::oNLogN);

} // namespace

BENCHMARK_MAIN();
