// E-mail lists of 100,000 people (open, sort by each column, find) and a mailing of 10,000
// invitations to a local SMTP server (smtpserver.py of the tests, storing nothing).

#include "core/publishing/emaillist.h"
#include "core/publishing/mailingrun.h"
#include "core/publishing/smtpsender.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kListSize = 100000;

QTemporaryDir& Folder()
{
    static QTemporaryDir dir;
    return dir;
}

QString BigList()
{
    static const QString path = [] {
        const QString p = Folder().filePath("big.eml");
        TEmailList list;
        list.Create(p);
        std::vector<TEmailPerson> people;
        people.reserve(kListSize);
        for (int i = 0; i < kListSize; ++i) {
            const int k = (i * 7919) % kListSize; // not in any sorted order
            people.push_back({QStringLiteral("First%1").arg(k), QStringLiteral("Last%1").arg(k % 9973),
                QStringLiteral("person%1@example.org").arg(k)});
        }
        list.AddMany(people);
        return p;
    }();
    return path;
}

long RssKb()
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// What the list manager does to show a list: open it and read the record numbers of its order.
void BM_OpenList(benchmark::State& state)
{
    const QString path = BigList();
    for (auto _ : state) {
        TEmailList list;
        list.Open(path);
        benchmark::DoNotOptimize(list.RowsInOrder());
    }
}
BENCHMARK(BM_OpenList)->Unit(benchmark::kMillisecond);

// The engine's part of opening: the table and its three tags, checked against the records.
void BM_EngineOpen(benchmark::State& state)
{
    const QString path = BigList();
    for (auto _ : state) {
        xbase::TTable table;
        benchmark::DoNotOptimize(table.Open(path).ok());
    }
}
BENCHMARK(BM_EngineOpen)->Unit(benchmark::kMillisecond);

void BM_SortByColumn(benchmark::State& state)
{
    TEmailList list;
    list.Open(BigList());
    std::vector<TEmailRow> rows = list.RowsInOrder();
    const TEmailOrder order = TEmailOrder(state.range(0));
    for (auto _ : state) {
        list.SetOrder(order); // what a click on the column title does
        SortRows(rows, order);
        state.PauseTiming();
        list.SetOrder(TEmailOrder::LastName);
        SortRows(rows, TEmailOrder::LastName);
        state.ResumeTiming();
    }
    state.SetLabel(OrderDisplayLabel(order).toStdString());
}
BENCHMARK(BM_SortByColumn)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// A find in the grid: the seek, then the row of the record found among the shown ones.
void BM_FindName(benchmark::State& state)
{
    TEmailList list;
    list.Open(BigList());
    const std::vector<TEmailRow> rows = list.RowsInOrder();
    int i = 0;
    for (auto _ : state) {
        list.Find(QStringLiteral("Last%1").arg((i++ * 31) % 9973));
        const int recno = list.Table().RecNo();
        benchmark::DoNotOptimize(std::find_if(
            rows.begin(), rows.end(), [recno](const TEmailRow& r) { return r.Record == recno; }));
    }
}
BENCHMARK(BM_FindName)->Unit(benchmark::kMicrosecond);

struct TCountingObserver : TMailingObserver {
    void StatusText(const QString&) override { }
    void ProgressRange(int) override { }
    void ProgressValue(int) override { }
    void MessageSent(int count, const QString&) override
    {
        if (count == 1000)
            RssAt1000 = RssKb();
    }
    long RssAt1000 = 0;
};

void BM_Mailing10000(benchmark::State& state)
{
    const int count = 10000;
    const QString listPath = Folder().filePath("mail.eml");
    if (!QFile::exists(listPath)) {
        TEmailList list;
        list.Create(listPath);
        std::vector<TEmailPerson> people;
        for (int i = 0; i < count; ++i)
            people.push_back({QStringLiteral("F%1").arg(i), QStringLiteral("L%1").arg(i),
                QStringLiteral("p%1@example.org").arg(i)});
        list.AddMany(people);
    }
    QProcess server;
    server.start("/usr/bin/python3",
        {ORVALLE_SOURCE_DIR "/tests/core/publishing/smtpserver.py", "--dir", Folder().path(), "--no-store"});
    server.waitForReadyRead(20000);
    const int port = server.readLine().trimmed().mid(6).toInt();
    TMailingJob job;
    job.SurveyName = QString::fromUtf8("Café survey");
    job.NotifyMessage = "\"Dear <FirstName> <LastName>,\",,\"Please take <SurveyTitle>.\"";
    job.ListPath = listPath;
    job.Mail.Host = "127.0.0.1";
    job.Mail.Port = port;
    job.Mail.ReplyAddress = "team@example.org";
    job.Mail.SendFormat = 4;
    double sent = 0, seconds = 0;
    long growth = 0;
    for (auto _ : state) {
        TSmtpSender sender(job.Mail);
        TCountingObserver observer;
        TMailingRun run(job, sender, observer);
        const auto start = std::chrono::steady_clock::now();
        const TMailingOutcome outcome = run.Run();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        sent += outcome.Sent;
        growth = RssKb() - observer.RssAt1000;
        if (outcome.Kind != TMailingOutcome::TKind::Completed)
            state.SkipWithError(outcome.Message.toStdString().c_str());
    }
    state.counters["messages_per_s"] = sent / seconds;
    state.counters["rss_growth_kB_after_1000"] = double(growth);
    server.closeWriteChannel();
    server.waitForFinished(5000);
}
BENCHMARK(BM_Mailing10000)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

namespace {
void BM_NaturalScan(benchmark::State& state)
{
    TEmailList list;
    list.Open(BigList());
    xbase::TTable& t = list.Table();
    for (auto _ : state) {
        (void)t.SetOrder(0);
        int n = 0;
        for (xbase::TStatus st = t.First(); st.ok() && !t.Eof(); st = t.Skip()) {
            benchmark::DoNotOptimize(t.FieldText(0));
            benchmark::DoNotOptimize(t.FieldText(1));
            benchmark::DoNotOptimize(t.FieldText(2));
            ++n;
        }
    }
}
BENCHMARK(BM_NaturalScan)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
