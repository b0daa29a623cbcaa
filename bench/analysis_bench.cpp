// The tally of a 50-question survey over 100,000 responses, with SQLite as the yardstick:
//   AnalyzeResults/100000/0        every record
//   AnalyzeResults/100000/1        under ORV1="2" .AND. ORV10>50 (a choice and a number)
//   SqliteGroupBy/100000/0 and /1  the same counts in SQLite on an indexed copy of the data:
//                                  one GROUP BY query per question (a SUM per option for the
//                                  Multiple Select questions), then the same ranges
//   AnalyzeResults/10000/0         a tenth of the records, for the memory column
// rss_growth_kB: how far the peak resident size rose during the measured runs (flat in the
// number of records when the tally keeps nothing per record).

#include "core/analysis/analyzeresults.h"
#include "core/analysis/rangerule.h"
#include "core/responses/responsefields.h"
#include "core/survey/survey.h"
#include "xbase/table.h"

#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <random>
#include <sqlite3.h>
#include <sys/resource.h>

#include <benchmark/benchmark.h>

namespace {

const QString kFilter = QStringLiteral("ORV1=\"2\" .AND. ORV10>50");
const char* kSqlFilter = "ORV1='2' AND ORV10>50";

void Check(const xbase::TStatus& st)
{
    if (!st.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(st.Message()));
        std::abort();
    }
}

long PeakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// 50 questions: every fifth a Numeric Value (0 to 100, step 9), every fifth a Multiple Select of
// four options with Other, the rest Single Select of five options with Other.
std::unique_ptr<TSurvey> MakeSurvey()
{
    auto survey = std::make_unique<TSurvey>();
    survey->NewSurvey();
    for (int id = 1; id <= 50; ++id) {
        const int style = id % 5 == 0 ? qsNumericValue : id % 5 == 3 ? qsMultipleSelect : qsSingleSelect;
        const QString options = style == qsMultipleSelect ? "a,b,c,d"
            : style == qsSingleSelect                     ? "a,b,c,d,e"
                                                          : "";
        const int index = survey->AddQuestion({.Text = QStringLiteral("Q%1").arg(id),
            .Style = style,
            .Options = options,
            .IncludeOther = style != qsNumericValue,
            .OtherLength = 30,
            .CommentLength = 30,
            .MaxValue = 100,
            .StepValue = 9});
        survey->GetQuestion(index).ID = id;
    }
    return survey;
}

struct TData {
    QTemporaryDir Dir;
    std::unique_ptr<TSurvey> Survey = MakeSurvey();
    xbase::TTable Table;
    sqlite3* Db = nullptr;
    ~TData() { sqlite3_close(Db); }
};

QString Answer(const TQuestion& q, std::mt19937& random)
{
    if (q.Style == qsNumericValue)
        return QString::number(random() % 20 == 0 ? -9999 : int(random() % 101));
    if (q.Style == qsMultipleSelect)
        return random() % 3 == 0 ? "Y" : "N";
    const int pick = int(random() % 7);
    return pick == 6 ? QString() : pick == 5 ? QStringLiteral("Oth") : QString::number(pick);
}

void Fill(TData& data, int records)
{
    std::vector<xbase::TFieldSpec> columns;
    for (const TResponseField& f : ResponseTableFields(*data.Survey))
        columns.push_back({f.Name, f.Type, f.Width, f.Decimals});
    const QString path = data.Dir.filePath("responses.dbf");
    Check(data.Table.CreateTable(path, columns));
    sqlite3_open(":memory:", &data.Db);
    QString create = "CREATE TABLE t(";
    for (size_t i = 0; i < columns.size(); ++i)
        create += (i ? "," : "") + columns[i].Name + (columns[i].Type == 'N' ? " INTEGER" : " TEXT");
    sqlite3_exec(data.Db, (create + ")").toUtf8(), nullptr, nullptr, nullptr);
    QString insert = "INSERT INTO t VALUES(" + QString("?,").repeated(int(columns.size())).chopped(1) + ")";
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(data.Db, insert.toUtf8(), -1, &stmt, nullptr);
    sqlite3_exec(data.Db, "BEGIN", nullptr, nullptr, nullptr);
    std::mt19937 random(7);
    std::map<QString, QString> row;
    for (int r = 0; r < records; ++r) {
        Check(data.Table.Append());
        row.clear();
        row["REMOTEIP"] = QStringLiteral("10.0.%1.%2").arg(r / 256 % 256).arg(r % 256);
        for (int i = 0; i < data.Survey->QuestionCount(); ++i) {
            const TQuestion& q = data.Survey->GetQuestion(i);
            if (q.Style == qsMultipleSelect) {
                for (int n = 0; n < 4; ++n)
                    row[OptionFieldName(q.ID, n)] = Answer(q, random);
                row[QuestionFieldName(q.ID)] = Answer(q, random);
            } else {
                row[QuestionFieldName(q.ID)] = Answer(q, random);
            }
        }
        for (size_t i = 0; i < columns.size(); ++i) {
            const auto it = row.find(columns[i].Name);
            const QString value = it == row.end() ? QString() : it->second;
            if (!value.isEmpty())
                Check(data.Table.AssignField(columns[i].Name, value));
            const QByteArray bytes = value.toUtf8();
            if (columns[i].Type == 'N' && !value.isEmpty())
                sqlite3_bind_int(stmt, int(i) + 1, value.toInt());
            else if (columns[i].Type == 'N')
                sqlite3_bind_null(stmt, int(i) + 1);
            else
                sqlite3_bind_text(stmt, int(i) + 1, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        }
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
        if (r % 20000 == 19999)
            Check(data.Table.Commit());
    }
    Check(data.Table.Commit());
    Check(data.Table.CreateIndexTag("REMOTEIP", "REMOTEIP"));
    Check(data.Table.CreateIndexTag("EMAIL", "LEFT(EMAIL,240)"));
    Check(data.Table.SetOrder(data.Table.TagNumber("EMAIL")));
    sqlite3_exec(data.Db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_finalize(stmt);
    for (int i = 0; i < data.Survey->QuestionCount(); ++i) {
        const TQuestion& q = data.Survey->GetQuestion(i);
        if (q.Style != qsMultipleSelect) {
            const QString name = QuestionFieldName(q.ID);
            sqlite3_exec(
                data.Db, QString("CREATE INDEX i%1 ON t(%1)").arg(name).toUtf8(), nullptr, nullptr, nullptr);
        }
    }
    sqlite3_exec(data.Db, "ANALYZE", nullptr, nullptr, nullptr);
}

TData& Data(int records)
{
    static std::map<int, std::unique_ptr<TData>> made;
    auto& slot = made[records];
    if (!slot) {
        slot = std::make_unique<TData>();
        Fill(*slot, records);
    }
    return *slot;
}

void AnalyzeResultsBench(benchmark::State& state)
{
    TData& data = Data(int(state.range(0)));
    const QString filter = state.range(1) ? kFilter : QString();
    const long before = PeakRssKb();
    int records = 0;
    for (auto _ : state) {
        TResultsList results;
        records = AnalyzeResults(*data.Survey, data.Table, filter, results).Records;
        benchmark::DoNotOptimize(results);
    }
    state.counters["records"] = records;
    state.counters["rss_growth_kB"] = double(PeakRssKb() - before);
}

// The same tallies from SQLite: one query per question.
int SqliteTally(sqlite3* db, const TSurvey& survey, bool filtered)
{
    const QString where = filtered ? QStringLiteral(" WHERE ") + kSqlFilter : QString();
    int rows = 0;
    for (int i = 0; i < survey.QuestionCount(); ++i) {
        const TQuestion& q = survey.GetQuestion(i);
        const QString name = QuestionFieldName(q.ID);
        QString sql;
        if (q.Style == qsMultipleSelect) {
            QStringList sums;
            for (int n = 0; n < 4; ++n)
                sums << QStringLiteral("SUM(%1='Y')").arg(OptionFieldName(q.ID, n));
            sums << QStringLiteral("SUM(%1='Y')").arg(name);
            sql = "SELECT " + sums.join(',') + " FROM t" + where;
        } else {
            sql = QStringLiteral("SELECT %1, COUNT(*) FROM t%2 GROUP BY %1").arg(name, where);
        }
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, sql.toUtf8(), -1, &stmt, nullptr);
        TNumericResults numeric;
        if (q.Style == qsNumericValue)
            BuildRanges(numeric, q.MinValue, q.MaxValue, q.StepValue);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            ++rows;
            if (q.Style == qsNumericValue && sqlite3_column_type(stmt, 0) != SQLITE_NULL) {
                const int value = sqlite3_column_int(stmt, 0);
                for (int k = sqlite3_column_int(stmt, 1); k > 0 && value != -9999; --k)
                    numeric.AddValue(value);
            }
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(numeric);
    }
    return rows;
}

void SqliteGroupByBench(benchmark::State& state)
{
    TData& data = Data(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(SqliteTally(data.Db, *data.Survey, state.range(1) != 0));
}

} // namespace

BENCHMARK(AnalyzeResultsBench)
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Args({10000, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteGroupByBench)->Args({100000, 0})->Args({100000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
