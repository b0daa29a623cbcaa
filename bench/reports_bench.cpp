// The reports and exports of a 50-question survey with 100,000 responses: the whole HTML report
// (tallies, 50 pages, 40 JPEG charts), the CSV export and the SPSS export.
// Run: build-*/bench/reports_bench  (the table is built once, before the first benchmark).

#include "core/analysis/analyzeresults.h"
#include "core/reports/htmlreport.h"
#include "core/reports/responseexport.h"
#include "core/responses/responsefields.h"
#include "core/responses/responsetable.h"
#include "core/survey/survey.h"
#include "gui/reports/chartimages.h"
#include "xbase/table.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kResponses = 100000;

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

void FillRecord(xbase::TTable& t, const TSurvey& survey, int n)
{
    (void)t.AssignField("REMOTEIP", QStringLiteral("10.0.%1.%2").arg(n >> 8 & 255).arg(n & 255));
    (void)t.AssignField("DATERCVD", QStringLiteral("20260101120000"));
    for (int i = 0; i < survey.QuestionCount(); ++i) {
        const TQuestion& q = survey.GetQuestion(i);
        switch (q.Style) {
        case qsSingleSelect:
            (void)t.AssignField(
                QuestionFieldName(q.ID), n % 11 == 0 ? QStringLiteral("Oth") : QString::number(n % 5));
            if (n % 11 == 0)
                (void)t.AssignField(OtherFieldName(q.ID), QStringLiteral("something else, number %1").arg(n));
            if (n % 13 == 0)
                (void)t.AssignField(CommentFieldName(q.ID), QStringLiteral("fine, thanks"));
            break;
        case qsMultipleSelect:
            for (int o = 0; o < 4; ++o)
                (void)t.AssignField(
                    OptionFieldName(q.ID, o), (n >> o) & 1 ? QStringLiteral("Y") : QStringLiteral("N"));
            (void)t.AssignField(QuestionFieldName(q.ID), QStringLiteral("N"));
            break;
        case qsSlidingScale:
            (void)t.AssignField(QuestionFieldName(q.ID), QString::number(n % 7));
            break;
        case qsFreeFormText:
            if (n % 4 == 0)
                (void)t.AssignField(
                    QuestionFieldName(q.ID), QStringLiteral("An answer of a few words, %1").arg(n));
            break;
        default:
            (void)t.AssignField(QuestionFieldName(q.ID), static_cast<long long>(n % 101));
            break;
        }
    }
}

struct TBenchData {
    QTemporaryDir Dir;
    TSurvey Survey;
    QString Table;

    TBenchData()
    {
        Survey.NewSurvey();
        Survey.SetName("Benchmark");
        AddQuestions(Survey);
        Survey.Renumber();
        Table = Dir.filePath("bench.dbf");
        TResponseTable created;
        TResponseTable::TCreateFailure failure;
        if (!created.CreateAt(Table, ResponseTableFields(Survey), failure).isEmpty())
            std::abort();
        xbase::TTable& t = created.Table();
        for (int n = 0; n < kResponses; ++n) {
            (void)t.Append();
            FillRecord(t, Survey, n);
            if (n % 5000 == 4999)
                (void)t.Commit();
        }
        (void)t.Commit();
        Survey.SetSRResponseCount(kResponses);
    }
};

TBenchData& Data()
{
    static TBenchData data;
    return data;
}

void BM_HtmlReport(benchmark::State& state)
{
    TBenchData& d = Data();
    for (auto _ : state) {
        const QString out = d.Dir.filePath("web");
        QDir().mkpath(out);
        xbase::TTable table;
        (void)table.OpenReadOnly(d.Table);
        TResultsList results;
        AnalyzeResults(d.Survey, table, QString(), results);
        THtmlReportSettings settings;
        settings.Directory = out;
        settings.Base = "bench";
        settings.TablePath = d.Table;
        settings.GeneratedAt = QDateTime::currentDateTime();
        const THtmlReportResult result
            = WriteHtmlReport(d.Survey, settings, MakeChartImageWriter(d.Survey, results, {}));
        if (!result.Error.isEmpty())
            state.SkipWithError(result.Error.toUtf8().constData());
    }
}
BENCHMARK(BM_HtmlReport)->Unit(benchmark::kSecond)->Iterations(1);

void BM_Export(benchmark::State& state, TExportFormat format, const char* name)
{
    TBenchData& d = Data();
    for (auto _ : state) {
        const TExportResult result = ExportResponses(d.Survey, d.Table, format, d.Dir.filePath(name));
        if (!result.Ok)
            state.SkipWithError(result.Error.toUtf8().constData());
    }
}
BENCHMARK_CAPTURE(BM_Export, Csv, TExportFormat::Csv, "out.csv")->Unit(benchmark::kSecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_Export, Sav, TExportFormat::Sav, "out.sav")->Unit(benchmark::kSecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_Export, Xlsx, TExportFormat::Xlsx, "out.xlsx")->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Data();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
