// Table engine benchmarks, with SQLite on the same data as the yardstick:
//   Append100k      100,000 records of a 60-field response table with two tags, one commit
//   Seek100k        100,000 random seeks on the EMAIL tag of that table
//   CountFilter1M   count with ORV12="3" .AND. ORV30>5 over 1,000,000 records
//   Sqlite*         the same work in SQLite (same columns and indexes; the count without index)
// Memory while scanning a large table is measured by bench/xbase_scan_memory.sh, which runs
//   xbase_bench --make-table PATH RECORDS   and   xbase_bench --scan PATH
// under /usr/bin/time -v.

#include "core/responses/keyset.h"
#include "xbase/table.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sqlite3.h>

#include <benchmark/benchmark.h>

using namespace xbase;

namespace {

void Check(const TStatus& st)
{
    if (!st.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(st.Message()));
        std::abort();
    }
}

// The fixed fields and 56 question fields of a response table: single choices, multiple
// choices, other texts, numbers and two verbose answers.
std::vector<TFieldSpec> ResponseFields()
{
    std::vector<TFieldSpec> f = {
        {"REMOTEIP", 'C', 25, 0}, {"EMAIL", 'C', 250, 0}, {"AGENT", 'C', 250, 0}, {"DATERCVD", 'C', 14, 0}};
    for (int q = 1; f.size() < 60; ++q) {
        const QString id = QStringLiteral("ORV%1").arg(q);
        switch (q % 5) {
        case 0:
            f.push_back({id, 'N', 5, 0});
            break;
        case 1:
        case 2:
            f.push_back({id, 'C', 3, 0});
            break;
        case 3:
            f.push_back({id + "_0", 'C', 1, 0});
            f.push_back({id + "_1", 'C', 1, 0});
            f.push_back({id + "OT", 'C', 30, 0});
            break;
        default:
            f.push_back({id, q % 20 == 4 ? 'M' : 'C', q % 20 == 4 ? 10 : 80, 0});
        }
    }
    f.resize(60);
    return f;
}

QString Email(quint32 i)
{
    return QStringLiteral("person%1@example%2.org").arg(i * 2654435761u % 1000003u).arg(i % 97);
}

void FillResponse(TTable& t, const std::vector<TFieldSpec>& fields, quint32 i)
{
    Check(t.Append());
    Check(t.AssignField(
        "REMOTEIP", QStringLiteral("10.%1.%2.%3").arg(i >> 16 & 255).arg(i >> 8 & 255).arg(i & 255)));
    Check(t.AssignField("EMAIL", Email(i)));
    Check(t.AssignField("AGENT", QStringLiteral("Mozilla/5.0 (X11; Linux x86_64) Test/%1").arg(i % 13)));
    Check(t.AssignField("DATERCVD", QStringLiteral("20261207%1").arg(i % 1000000, 6, 10, QLatin1Char('0'))));
    // By index, as the merge writes its fields.
    for (size_t k = 4; k < fields.size(); ++k) {
        const TFieldSpec& f = fields[k];
        const int field = int(k);
        if (f.Type == 'N')
            Check(t.AssignField(field, (long long)(i * 31 + k) % 100));
        else if (f.Width == 1)
            Check(t.AssignField(field, (i + k) % 2 ? QStringLiteral("Y") : QStringLiteral("N")));
        else if (f.Width == 3)
            Check(t.AssignField(field, QString::number((i + k) % 7)));
        else if ((i + k) % 4 == 0)
            Check(t.AssignField(field, QStringLiteral("free text answer %1").arg(i)));
    }
}

QString MakeResponseTable(const QString& dir, quint32 records)
{
    const QString path = dir + "/responses.dbf";
    TTable t;
    const auto fields = ResponseFields();
    Check(t.CreateTable(path, fields));
    Check(t.CreateIndexTag("REMOTEIP", "REMOTEIP"));
    Check(t.CreateIndexTag("EMAIL", "LEFT(EMAIL,240)"));
    for (quint32 i = 0; i < records; ++i)
        FillResponse(t, fields, i);
    Check(t.Commit());
    return path;
}

void Append100k(benchmark::State& state)
{
    const auto fields = ResponseFields();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        TTable t;
        Check(t.CreateTable(dir.path() + "/r.dbf", fields));
        Check(t.CreateIndexTag("REMOTEIP", "REMOTEIP"));
        Check(t.CreateIndexTag("EMAIL", "LEFT(EMAIL,240)"));
        state.ResumeTiming();
        for (quint32 i = 0; i < 100000; ++i)
            FillResponse(t, fields, i);
        Check(t.Commit());
        state.PauseTiming();
        Check(t.Close());
        state.ResumeTiming();
    }
}
BENCHMARK(Append100k)->Unit(benchmark::kMillisecond)->Iterations(3);

void Seek100k(benchmark::State& state)
{
    static QTemporaryDir dir;
    static const QString path = MakeResponseTable(dir.path(), 100000);
    TTable t;
    Check(t.Open(path));
    Check(t.SetOrder(t.TagNumber("EMAIL")));
    QRandomGenerator rng(42);
    std::vector<QString> keys;
    for (int i = 0; i < 100000; ++i)
        keys.push_back(Email(rng.bounded(100000u)));
    for (auto _ : state) {
        int found = 0;
        for (const QString& key : keys)
            found += t.Seek(key, TSeekMode::Exact);
        if (found != 100000)
            state.SkipWithError("a seek failed");
    }
}
BENCHMARK(Seek100k)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same 60 columns and two indexes in SQLite, filled in one transaction.
void SqliteInsert100k(benchmark::State& state)
{
    const auto fields = ResponseFields();
    QString columns, marks;
    for (const TFieldSpec& f : fields) {
        columns += (columns.isEmpty() ? "" : ",") + f.Name + (f.Type == 'N' ? " INTEGER" : " TEXT");
        marks += marks.isEmpty() ? "?" : ",?";
    }
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        sqlite3* db = nullptr;
        sqlite3_open((dir.path() + "/r.sqlite").toUtf8().constData(), &db);
        sqlite3_exec(db,
            ("CREATE TABLE t(" + columns + "); CREATE INDEX ip ON t(REMOTEIP); CREATE INDEX em ON t(EMAIL)")
                .toUtf8()
                .constData(),
            nullptr, nullptr, nullptr);
        state.ResumeTiming();
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(
            db, ("INSERT INTO t VALUES(" + marks + ")").toUtf8().constData(), -1, &insert, nullptr);
        for (quint32 i = 0; i < 100000; ++i) {
            const QByteArray texts[]
                = {QStringLiteral("10.%1.%2.%3").arg(i >> 16 & 255).arg(i >> 8 & 255).arg(i & 255).toUtf8(),
                    Email(i).toUtf8(),
                    QStringLiteral("Mozilla/5.0 (X11; Linux x86_64) Test/%1").arg(i % 13).toUtf8(),
                    QStringLiteral("20261207%1").arg(i % 1000000, 6, 10, QLatin1Char('0')).toUtf8()};
            for (int c = 0; c < 4; ++c)
                sqlite3_bind_text(
                    insert, c + 1, texts[c].constData(), int(texts[c].size()), SQLITE_TRANSIENT);
            for (size_t k = 4; k < fields.size(); ++k) {
                const TFieldSpec& f = fields[k];
                QByteArray v;
                if (f.Type == 'N') {
                    sqlite3_bind_int(insert, int(k + 1), int((i * 31 + k) % 100));
                    continue;
                }
                if (f.Width == 1)
                    v = (i + k) % 2 ? "Y" : "N";
                else if (f.Width == 3)
                    v = QByteArray::number(qulonglong((i + k) % 7));
                else if ((i + k) % 4 == 0)
                    v = QStringLiteral("free text answer %1").arg(i).toUtf8();
                sqlite3_bind_text(insert, int(k + 1), v.constData(), int(v.size()), SQLITE_TRANSIENT);
            }
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        state.PauseTiming();
        sqlite3_close(db);
        state.ResumeTiming();
    }
}
BENCHMARK(SqliteInsert100k)->Unit(benchmark::kMillisecond)->Iterations(3);

void SqliteSeek100k(benchmark::State& state)
{
    static QTemporaryDir dir;
    sqlite3* db = nullptr;
    sqlite3_open((dir.path() + "/s.sqlite").toUtf8().constData(), &db);
    sqlite3_exec(db,
        "CREATE TABLE IF NOT EXISTS t(REMOTEIP TEXT, EMAIL TEXT); CREATE INDEX IF NOT EXISTS em ON t(EMAIL)",
        nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES('10.0.0.1', ?)", -1, &insert, nullptr);
    for (quint32 i = 0; i < 100000; ++i) {
        const QByteArray mail = Email(i).toUtf8();
        sqlite3_bind_text(insert, 1, mail.constData(), int(mail.size()), SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    QRandomGenerator rng(42);
    std::vector<QByteArray> keys;
    for (int i = 0; i < 100000; ++i)
        keys.push_back(Email(rng.bounded(100000u)).toUtf8());
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(db, "SELECT rowid FROM t WHERE EMAIL=? LIMIT 1", -1, &query, nullptr);
    for (auto _ : state) {
        int found = 0;
        for (const QByteArray& key : keys) {
            sqlite3_bind_text(query, 1, key.constData(), int(key.size()), SQLITE_STATIC);
            found += sqlite3_step(query) == SQLITE_ROW;
            sqlite3_reset(query);
        }
        if (found != 100000)
            state.SkipWithError("a lookup failed");
    }
    sqlite3_finalize(query);
    sqlite3_close(db);
}
BENCHMARK(SqliteSeek100k)->Unit(benchmark::kMillisecond)->Iterations(5);

// One million narrow response records, written once for the engine and for SQLite.
struct TCountData {
    QTemporaryDir Dir;
    QString Table;
    sqlite3* Db = nullptr;
    int Expected = 0;

    TCountData()
    {
        Table = Dir.path() + "/count.dbf";
        TTable t;
        Check(t.CreateTable(Table,
            {{"REMOTEIP", 'C', 25, 0}, {"EMAIL", 'C', 50, 0}, {"ORV11", 'C', 3, 0}, {"ORV12", 'C', 3, 0},
                {"ORV13_0", 'C', 1, 0}, {"ORV30", 'N', 5, 0}, {"ORV31", 'N', 5, 0}}));
        sqlite3_open((Dir.path() + "/count.sqlite").toUtf8().constData(), &Db);
        sqlite3_exec(Db,
            "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; CREATE TABLE t(REMOTEIP TEXT, EMAIL TEXT, "
            "ORV11 TEXT, ORV12 TEXT, ORV13_0 TEXT, ORV30 INTEGER, ORV31 INTEGER); BEGIN",
            nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(Db, "INSERT INTO t VALUES(?,?,?,?,?,?,?)", -1, &insert, nullptr);
        for (int i = 0; i < 1000000; ++i) {
            const QByteArray ip = QStringLiteral("10.0.%1.%2").arg(i / 256 % 256).arg(i % 256).toUtf8();
            const QByteArray mail = Email(quint32(i)).toUtf8();
            const QByteArray a = QByteArray::number(i % 7), b = QByteArray::number(i * 7 % 31 % 12);
            const QByteArray y = i % 3 ? "Y" : "N";
            const int n30 = i * 13 % 11, n31 = i % 100;
            Expected += b == "3" && n30 > 5;
            Check(t.Append());
            Check(t.AssignField("REMOTEIP", QString::fromUtf8(ip)));
            Check(t.AssignField("EMAIL", QString::fromUtf8(mail)));
            Check(t.AssignField("ORV11", QString::fromUtf8(a)));
            Check(t.AssignField("ORV12", QString::fromUtf8(b)));
            Check(t.AssignField("ORV13_0", QString::fromUtf8(y)));
            Check(t.AssignField("ORV30", (long long)n30));
            Check(t.AssignField("ORV31", (long long)n31));
            if (i % 100000 == 99999)
                Check(t.Commit());
            const QByteArray* texts[] = {&ip, &mail, &a, &b, &y};
            for (int c = 0; c < 5; ++c)
                sqlite3_bind_text(
                    insert, c + 1, texts[c]->constData(), int(texts[c]->size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(insert, 6, n30);
            sqlite3_bind_int(insert, 7, n31);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(Db, "COMMIT", nullptr, nullptr, nullptr);
    }
    ~TCountData() { sqlite3_close(Db); }
};

TCountData& CountData()
{
    static TCountData data;
    return data;
}

void CountFilter1M(benchmark::State& state)
{
    TCountData& data = CountData();
    TTable t;
    Check(t.OpenReadOnly(data.Table));
    Check(t.SetFilter(QStringLiteral("ORV12=\"3\" .AND. ORV30>5")));
    for (auto _ : state) {
        const int n = t.VisibleCount();
        if (n != data.Expected)
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(CountFilter1M)->Unit(benchmark::kMillisecond);

void SqliteCount1M(benchmark::State& state)
{
    TCountData& data = CountData();
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(data.Db, "SELECT COUNT(*) FROM t WHERE ORV12='3' AND ORV30>5", -1, &query, nullptr);
    for (auto _ : state) {
        sqlite3_step(query);
        const int n = sqlite3_column_int(query, 0);
        sqlite3_reset(query);
        if (n != data.Expected)
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(n);
    }
    sqlite3_finalize(query);
}
BENCHMARK(SqliteCount1M)->Unit(benchmark::kMillisecond);

// --make-table PATH RECORDS: a wide table (1 KB records) without index, written in batches.
int MakeBigTable(const QString& path, qint64 records)
{
    TTable t;
    Check(t.CreateTable(path,
        {{"REMOTEIP", 'C', 25, 0}, {"EMAIL", 'C', 250, 0}, {"AGENT", 'C', 250, 0}, {"ORV1", 'C', 3, 0},
            {"ORV2", 'N', 5, 0}, {"ORV3", 'C', 250, 0}, {"ORV4", 'C', 240, 0}}));
    for (qint64 i = 0; i < records; ++i) {
        Check(t.Append());
        Check(t.AssignField("EMAIL", Email(quint32(i))));
        Check(t.AssignField("ORV1", QString::number(i % 7)));
        Check(t.AssignField("ORV2", (long long)(i % 100)));
        if (i % 10000 == 9999)
            Check(t.Commit());
    }
    Check(t.Commit());
    return 0;
}

// --scan PATH: counts with a filter, then walks every record reading a field.
int ScanTable(const QString& path)
{
    TTable t;
    Check(t.OpenReadOnly(path));
    Check(t.SetFilter(QStringLiteral("ORV1=\"3\" .AND. ORV2>50")));
    const int counted = t.VisibleCount();
    Check(t.SetFilter(QString()));
    qint64 walked = 0, sum = 0;
    for (Check(t.First()); !t.Eof(); Check(t.Skip())) {
        sum += qint64(t.FieldNumber("ORV2"));
        ++walked;
    }
    std::printf("records %d, filtered %d, walked %lld, sum %lld\n", t.RecordCount(), counted,
        (long long)walked, (long long)sum);
    return 0;
}

// ---- Scale: one process per measurement, so that peak memory is the whole process's --------------
// bench/xbase_scale.sh runs these under /usr/bin/time -v:
//   --make-responses DIR N      N responses into DIR/responses.dbf and DIR/responses.sqlite
//   --open-seek DIR I           open the table and seek the e-mail of response I (engine, SQLite)
//   --merge DIR N FIRST         merge N new responses (FIRST, FIRST+1, ...) with the duplicate checks
//   --merge-empty DIR N         the same into a new, empty table
// Each prints the engine's and SQLite's milliseconds for the timed part.

double Millis(const QElapsedTimer& clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

QString SqliteColumns()
{
    QString columns;
    for (const TFieldSpec& f : ResponseFields())
        columns += (columns.isEmpty() ? "" : ",") + f.Name + (f.Type == 'N' ? " INTEGER" : " TEXT");
    return columns;
}

sqlite3* OpenSqlite(const QString& path, bool create)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    if (create)
        sqlite3_exec(db,
            ("CREATE TABLE t(" + SqliteColumns()
                + "); CREATE INDEX ip ON t(REMOTEIP); CREATE INDEX em ON t(EMAIL)")
                .toUtf8()
                .constData(),
            nullptr, nullptr, nullptr);
    return db;
}

void SqliteInsert(sqlite3_stmt* insert, quint32 i)
{
    const auto fields = ResponseFields();
    const QByteArray texts[]
        = {QStringLiteral("10.%1.%2.%3").arg(i >> 16 & 255).arg(i >> 8 & 255).arg(i & 255).toUtf8(),
            Email(i).toUtf8(), QStringLiteral("Mozilla/5.0 (X11; Linux x86_64) Test/%1").arg(i % 13).toUtf8(),
            QStringLiteral("20261207%1").arg(i % 1000000, 6, 10, QLatin1Char('0')).toUtf8()};
    for (int c = 0; c < 4; ++c)
        sqlite3_bind_text(insert, c + 1, texts[c].constData(), int(texts[c].size()), SQLITE_TRANSIENT);
    for (size_t k = 4; k < fields.size(); ++k) {
        const TFieldSpec& f = fields[k];
        QByteArray v;
        if (f.Type == 'N') {
            sqlite3_bind_int(insert, int(k + 1), int((i * 31 + k) % 100));
            continue;
        }
        if (f.Width == 1)
            v = (i + k) % 2 ? "Y" : "N";
        else if (f.Width == 3)
            v = QByteArray::number(qulonglong((i + k) % 7));
        else if ((i + k) % 4 == 0)
            v = QStringLiteral("free text answer %1").arg(i).toUtf8();
        sqlite3_bind_text(insert, int(k + 1), v.constData(), int(v.size()), SQLITE_TRANSIENT);
    }
    sqlite3_step(insert);
    sqlite3_reset(insert);
}

int MakeResponses(const QString& dir, quint32 records)
{
    QElapsedTimer clock;
    clock.start();
    {
        const auto fields = ResponseFields();
        TTable t;
        Check(t.CreateTable(dir + "/responses.dbf", fields));
        Check(t.CreateIndexTag("REMOTEIP", "REMOTEIP"));
        Check(t.CreateIndexTag("EMAIL", "LEFT(EMAIL,240)"));
        for (quint32 i = 0; i < records; ++i) {
            FillResponse(t, fields, i);
            if (i % 250000 == 249999)
                Check(t.Commit());
        }
        Check(t.Commit());
    }
    const double engine = Millis(clock);
    clock.restart();
    sqlite3* db = OpenSqlite(dir + "/responses.sqlite", true);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    QString marks;
    for (size_t k = 0; k < ResponseFields().size(); ++k)
        marks += marks.isEmpty() ? "?" : ",?";
    sqlite3_prepare_v2(
        db, ("INSERT INTO t VALUES(" + marks + ")").toUtf8().constData(), -1, &insert, nullptr);
    for (quint32 i = 0; i < records; ++i)
        SqliteInsert(insert, i);
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    std::printf("made %u responses: engine %.0f ms, sqlite %.0f ms\n", records, engine, Millis(clock));
    return 0;
}

int OpenSeek(const QString& dir, quint32 index, bool sqlite)
{
    QElapsedTimer clock;
    clock.start();
    const QByteArray mail = Email(index).toUtf8();
    bool found = false;
    if (sqlite) {
        sqlite3* db = OpenSqlite(dir + "/responses.sqlite", false);
        sqlite3_stmt* query = nullptr;
        sqlite3_prepare_v2(db, "SELECT rowid FROM t WHERE EMAIL=? LIMIT 1", -1, &query, nullptr);
        sqlite3_bind_text(query, 1, mail.constData(), int(mail.size()), SQLITE_STATIC);
        found = sqlite3_step(query) == SQLITE_ROW;
        sqlite3_finalize(query);
        sqlite3_close(db);
    } else {
        TTable t;
        Check(t.OpenReadOnly(dir + "/responses.dbf"));
        Check(t.SetOrder(t.TagNumber("EMAIL")));
        found = t.Seek(QString::fromUtf8(mail), TSeekMode::Exact)
            && t.FieldText("EMAIL") == QString::fromUtf8(mail);
    }
    std::printf("%s open and seek: %.2f ms (%s)\n", sqlite ? "sqlite" : "engine", Millis(clock),
        found ? "found" : "NOT FOUND");
    return found ? 0 : 1;
}

// The merge of the response intake: each new response is looked up by address and by e-mail (the
// table, then the batch so far), the admitted ones appended, and each batch committed at once.
int Merge(const QString& dir, quint32 count, quint32 first, bool empty, bool sqlite)
{
    const auto fields = ResponseFields();
    QElapsedTimer clock;
    if (sqlite) {
        sqlite3* db = OpenSqlite(dir + "/responses.sqlite", empty);
        clock.start();
        sqlite3_stmt *byIp = nullptr, *byMail = nullptr, *insert = nullptr;
        sqlite3_prepare_v2(db, "SELECT 1 FROM t WHERE REMOTEIP=? LIMIT 1", -1, &byIp, nullptr);
        sqlite3_prepare_v2(db, "SELECT 1 FROM t WHERE EMAIL=? LIMIT 1", -1, &byMail, nullptr);
        QString marks;
        for (size_t k = 0; k < fields.size(); ++k)
            marks += marks.isEmpty() ? "?" : ",?";
        sqlite3_prepare_v2(
            db, ("INSERT INTO t VALUES(" + marks + ")").toUtf8().constData(), -1, &insert, nullptr);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        int added = 0;
        for (quint32 i = first; i < first + count; ++i) {
            const QByteArray ip
                = QStringLiteral("10.%1.%2.%3").arg(i >> 16 & 255).arg(i >> 8 & 255).arg(i & 255).toUtf8();
            const QByteArray mail = Email(i).toUtf8();
            sqlite3_bind_text(byIp, 1, ip.constData(), int(ip.size()), SQLITE_STATIC);
            sqlite3_bind_text(byMail, 1, mail.constData(), int(mail.size()), SQLITE_STATIC);
            const bool seen = sqlite3_step(byIp) == SQLITE_ROW || sqlite3_step(byMail) == SQLITE_ROW;
            sqlite3_reset(byIp);
            sqlite3_reset(byMail);
            if (!seen) {
                SqliteInsert(insert, i);
                ++added;
            }
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_finalize(byIp);
        sqlite3_finalize(byMail);
        sqlite3_finalize(insert);
        sqlite3_close(db);
        std::printf("sqlite merge of %u: %.1f ms (%d added)\n", count, Millis(clock), added);
        return 0;
    }
    const QString path = dir + "/responses.dbf";
    TTable t;
    if (empty) {
        Check(t.CreateTable(path, fields));
        Check(t.CreateIndexTag("REMOTEIP", "REMOTEIP"));
        Check(t.CreateIndexTag("EMAIL", "LEFT(EMAIL,240)"));
        Check(t.Close());
    }
    clock.start();
    Check(t.Open(path));
    const int ipTag = t.TagNumber("REMOTEIP"), mailTag = t.TagNumber("EMAIL");
    const quint32 batch = std::max(64, (32 << 20) / t.Layout().RecordLength);
    // A table empty at the start is judged by the keys the merge keeps (no seeks); each record
    // goes in at once and commits come at growing steps. Otherwise batches are judged by seeks,
    // then appended and committed together.
    const bool inMemory = t.RecordCount() == 0;
    TKeySet batchIps, batchMails; // as the merge keeps them
    int added = 0, committed = 0;
    qint64 seekNs = 0, fillNs = 0, commitNs = 0;
    QElapsedTimer phase;
    const auto commit = [&] {
        phase.start();
        Check(t.Commit());
        commitNs += phase.nsecsElapsed();
        committed = added;
        if (!inMemory) {
            batchIps.Clear();
            batchMails.Clear();
        }
    };
    for (quint32 start = first; start < first + count; start += batch) {
        std::vector<quint32> admitted;
        phase.start();
        if (!inMemory)
            Check(t.BeginReadBatch());
        for (quint32 i = start; i < std::min(first + count, start + batch); ++i) {
            const QString ip
                = QStringLiteral("10.%1.%2.%3").arg(i >> 16 & 255).arg(i >> 8 & 255).arg(i & 255);
            const QString mail = Email(i);
            const std::string ipKey = ip.toStdString(), mailKey = mail.toStdString();
            if (batchIps.Contains(ipKey) || batchMails.Contains(mailKey))
                continue;
            if (!inMemory) {
                Check(t.SetOrder(ipTag));
                if (t.Seek(ip, TSeekMode::Exact))
                    continue;
                Check(t.SetOrder(mailTag));
                if (t.Seek(mail, TSeekMode::Exact) && t.FieldText("EMAIL") == mail)
                    continue;
            }
            batchIps.Insert(ipKey);
            batchMails.Insert(mailKey);
            admitted.push_back(i);
        }
        if (!inMemory)
            t.EndReadBatch();
        seekNs += phase.nsecsElapsed();
        for (quint32 i : admitted) {
            phase.start();
            FillResponse(t, fields, i);
            fillNs += phase.nsecsElapsed();
            ++added;
            if (inMemory && added - committed >= std::max<int>(int(batch), committed)
                && first + count - i >= quint32(added - committed)) // a smaller rest goes with the last
                commit();
        }
        if (!inMemory)
            commit();
    }
    commit();
    Check(t.Close());
    std::printf("engine merge of %u: %.1f ms (%d added; checks %.1f ms, filling %.1f ms, commits %.1f ms)\n",
        count, Millis(clock), added, seekNs / 1e6, fillNs / 1e6, commitNs / 1e6);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    const bool sqlite = args.contains(QStringLiteral("--sqlite"));
    if (args.size() >= 3 && args[0] == QLatin1String("--make-responses"))
        return MakeResponses(args[1], args[2].toUInt());
    if (args.size() >= 3 && args[0] == QLatin1String("--open-seek"))
        return OpenSeek(args[1], args[2].toUInt(), sqlite);
    if (args.size() >= 4 && args[0] == QLatin1String("--merge"))
        return Merge(args[1], args[2].toUInt(), args[3].toUInt(), false, sqlite);
    if (args.size() >= 3 && args[0] == QLatin1String("--merge-empty"))
        return Merge(args[1], args[2].toUInt(), 0, true, sqlite);
    if (argc == 4 && std::strcmp(argv[1], "--make-table") == 0)
        return MakeBigTable(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toLongLong());
    if (argc == 3 && std::strcmp(argv[1], "--scan") == 0)
        return ScanTable(QString::fromLocal8Bit(argv[2]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
