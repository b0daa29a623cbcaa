// Independent readers and writers (Debian packages) against our files, both ways:
// python3-dbfread and python3-dbf read our tables and memos, Perl XBase::Index lists, walks and
// seeks our CDX tags, and we read a FoxPro table written by python3-dbf.

#include "stepfilesystem.h"
#include "xbase/table.h"

#include <QDate>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>

#include <gtest/gtest.h>

using namespace xbase;

namespace {

#define ASSERT_OK(expr)                                                                                      \
    do {                                                                                                     \
        const TStatus st_ = (expr);                                                                          \
        ASSERT_TRUE(st_.ok()) << st_.Message().toStdString();                                                \
    } while (0)

struct TPerson {
    QString name, city;
    double score;
    QString notes;
    QString born; // yyyy-MM-dd or empty
    QString ok; // T, F or empty
    bool deleted;
};

std::vector<TPerson> People()
{
    std::vector<TPerson> people = {
        {"Zoë", "Zürich", 12.5, "line1\r\nline2", "2024-02-29", "T", false},
        {"Adam", "", -3, "", "", "F", true},
        {"Émile", "Paris", 0, QString(56, QLatin1Char('x')), "1999-12-31", "", false},
        {"Bo", "Oslo", 7, QString(57, QLatin1Char('y')), "", "T", false},
    };
    // Enough more to need interior nodes in the name tag.
    for (int i = 0; i < 300; ++i)
        people.push_back({QStringLiteral("Person %1").arg(i * 7919 % 1000, 3, 10, QLatin1Char('0')),
            QStringLiteral("City %1").arg(i % 13), double(i % 50) - 10, QString(), QString(), QString(),
            i % 17 == 0});
    return people;
}

QString RunProgram(const QString& program, const QStringList& args, bool* ok)
{
    QProcess p;
    p.start(program, args);
    *ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!*ok)
        return QString::fromUtf8(p.readAllStandardError());
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool Has(const QString& program, const QStringList& check)
{
    bool ok = false;
    RunProgram(program, check, &ok);
    return ok;
}

class InteropTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path;

    void SetUp() override
    {
        path = dir.path() + "/people.dbf";
        // One commit per record: the tags the readers see were built by in-place inserts (and
        // the FOR tag changed in place again by the deletions), splits and all.
        TTable t(std::make_shared<TStepFileSystem>());
        ASSERT_OK(t.CreateTable(path,
            {{"NAME", 'C', 20, 0}, {"CITY", 'C', 30, 0}, {"SCORE", 'N', 6, 1}, {"NOTES", 'M', 10, 0},
                {"BORN", 'D', 8, 0}, {"OK", 'L', 1, 0}}));
        ASSERT_OK(t.CreateIndexTag("NAME", "NAME"));
        ASSERT_OK(t.CreateIndexTag("CITYNAME", "CITY+NAME", ".NOT. DELETED()"));
        ASSERT_OK(t.CreateIndexTag("SCORE", "SCORE"));
        for (const TPerson& p : People()) {
            ASSERT_OK(t.Append());
            ASSERT_OK(t.AssignField("NAME", p.name));
            ASSERT_OK(t.AssignField("CITY", p.city));
            ASSERT_OK(t.AssignNumber("SCORE", p.score));
            ASSERT_OK(t.AssignField("NOTES", p.notes));
            ASSERT_OK(t.AssignField("BORN", p.born));
            ASSERT_OK(t.AssignField("OK", p.ok));
            ASSERT_OK(t.Commit());
        }
        const std::vector<TPerson> people = People();
        for (size_t i = 0; i < people.size(); ++i)
            if (people[i].deleted) {
                ASSERT_OK(t.Go(int(i + 1)));
                ASSERT_OK(t.Delete());
            }
    }

    QString WriteScript(const QString& name, const QByteArray& text)
    {
        QFile f(dir.path() + "/" + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return f.fileName();
    }
};

TEST_F(InteropTest, DbfreadReadsOurRecordsMemosAndDeletionMarks)
{
    if (!Has("/usr/bin/python3", {"-c", "import dbfread"}))
        GTEST_SKIP() << "python3-dbfread is not installed";
    const QString script = WriteScript("read.py", R"(
import sys, json, dbfread
t = dbfread.DBF(sys.argv[1], encoding='utf-8', load=True)
def row(r):
    return {k: (v.isoformat() if hasattr(v, 'isoformat') else v) for k, v in r.items()}
print(json.dumps({'live': [row(r) for r in t.records], 'deleted': [row(r) for r in t.deleted]}))
)");
    bool ok = false;
    const QString out = RunProgram("/usr/bin/python3", {script, path}, &ok);
    ASSERT_TRUE(ok) << out.toStdString();
    const QJsonObject doc = QJsonDocument::fromJson(out.toUtf8()).object();
    const QJsonArray live = doc["live"].toArray(), deleted = doc["deleted"].toArray();
    int li = 0, di = 0;
    for (const TPerson& p : People()) {
        const QJsonObject r = p.deleted ? deleted[di++].toObject() : live[li++].toObject();
        SCOPED_TRACE(p.name.toStdString());
        EXPECT_EQ(r["NAME"].toString(), p.name);
        EXPECT_EQ(r["CITY"].toString(), p.city);
        EXPECT_DOUBLE_EQ(r["SCORE"].toDouble(), p.score);
        EXPECT_EQ(r["NOTES"].toString(), p.notes);
        EXPECT_EQ(r["BORN"].toString(), p.born);
        EXPECT_EQ(r["OK"].isNull() ? QString() : r["OK"].toBool() ? QString("T") : QString("F"), p.ok);
    }
    EXPECT_EQ(li, live.size());
    EXPECT_EQ(di, deleted.size());
}

TEST_F(InteropTest, PythonDbfReadsOurTableAndWeReadItsTable)
{
    if (!Has("/usr/bin/python3", {"-c", "import dbf"}))
        GTEST_SKIP() << "python3-dbf is not installed";
    const QString script = WriteScript("pydbf.py", R"(
import sys, json, datetime, dbf
t = dbf.Table(sys.argv[1], codepage='utf8')
t.open(dbf.READ_ONLY)
rows = [[r.name.rstrip(), r.city.rstrip(), float(r.score or 0), r.notes, bool(dbf.is_deleted(r))] for r in t]
t.close()
m = dbf.Table(sys.argv[2], 'name C(20); score N(6,1); notes M; born D; ok L', dbf_type='fp', codepage='cp1252')
m.open(dbf.READ_WRITE)
m.append(('Zoë', 12.5, 'line1\r\nline2', datetime.date(2024, 2, 29), True))
m.append(('Adam', -3, '', None, False))
m.append(('Émile', 0, 'x' * 56, datetime.date(1999, 12, 31), None))
dbf.delete(m[1])
m.close()
print(json.dumps(rows))
)");
    bool ok = false;
    const QString made = dir.path() + "/made.dbf";
    const QString out = RunProgram("/usr/bin/python3", {script, path, made}, &ok);
    ASSERT_TRUE(ok) << out.toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(out.toUtf8()).array();
    const std::vector<TPerson> people = People();
    ASSERT_EQ(size_t(rows.size()), people.size());
    for (size_t i = 0; i < people.size(); ++i) {
        const QJsonArray r = rows[int(i)].toArray();
        EXPECT_EQ(r[0].toString(), people[i].name);
        EXPECT_EQ(r[1].toString(), people[i].city);
        EXPECT_DOUBLE_EQ(r[2].toDouble(), people[i].score);
        EXPECT_EQ(r[3].toString(), people[i].notes);
        EXPECT_EQ(r[4].toBool(), people[i].deleted);
    }

    TTable t;
    ASSERT_OK(t.OpenReadOnly(made));
    EXPECT_EQ(t.RecordCount(), 3);
    EXPECT_EQ(t.VisibleCount(), 2);
    struct {
        int recno;
        const char* field;
        QString text;
    } checks[] = {{1, "NAME", "Zoë"}, {1, "NOTES", "line1\r\nline2"}, {1, "BORN", "20240229"}, {1, "OK", "T"},
        {2, "SCORE", "-3.0"}, {3, "NAME", "Émile"}, {3, "NOTES", QString(56, 'x')}};
    for (const auto& c : checks) {
        ASSERT_OK(t.Go(c.recno));
        EXPECT_EQ(t.FieldText(c.field), c.text) << c.field;
    }
    ASSERT_OK(t.Go(2));
    EXPECT_TRUE(t.Deleted());
}

TEST_F(InteropTest, PerlXBaseIndexListsWalksAndSeeksOurTags)
{
    if (!Has("perl", {"-MXBase::Index", "-e", "1"}))
        GTEST_SKIP() << "libdbd-xbase-perl is not installed";
    const QString script = WriteScript("index.pl", R"(
use strict; use XBase::Index;
my ($file, @seeks) = @ARGV;
my $dir = XBase::Index->new($file, type => 'C') or die XBase::Index->errstr;
print "TAGS ", join(",", $dir->tags), "\n";
for my $tag ($dir->tags) {
    my $x = XBase::Index->new($file, tag => $tag, type => ($tag eq 'SCORE' ? 'N' : 'C')) or die XBase::Index->errstr;
    $x->prepare_select;
    while (my ($k, $v) = $x->fetch) { print "$tag\t$k\t$v\n"; }
}
my $x = XBase::Index->new($file, tag => 'NAME', type => 'C');
for my $s (@seeks) { $x->prepare_select_eq($s); my ($k, $v) = $x->fetch; print "SEEK\t$s\t$k\t$v\n"; }
)");
    bool ok = false;
    const QString out = RunProgram(
        "perl", {script, dir.path() + "/people.cdx", "Bo", "Person 501", "Person 5", "Émile"}, &ok);
    ASSERT_TRUE(ok) << out.toStdString();
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines[0], "TAGS CITYNAME,NAME,SCORE");

    // What each tag must hold, in order.
    const std::vector<TPerson> people = People();
    std::map<QString, std::vector<std::pair<QByteArray, int>>> expected;
    for (size_t i = 0; i < people.size(); ++i) {
        const TPerson& p = people[i];
        const int recno = int(i + 1);
        expected["NAME"].push_back({p.name.toUtf8(), recno});
        if (!p.deleted)
            expected["CITYNAME"].push_back({p.city.toUtf8().leftJustified(30, ' ') + p.name.toUtf8(), recno});
    }
    for (auto& [tag, list] : expected)
        std::sort(list.begin(), list.end());
    std::map<QString, std::vector<std::pair<QByteArray, int>>> actual;
    std::vector<std::pair<double, int>> scores;
    for (const QString& line : lines.mid(1)) {
        const QStringList parts = line.split('\t');
        ASSERT_EQ(parts.size(), parts[0] == "SEEK" ? 4 : 3) << line.toStdString();
        if (parts[0] == "SCORE")
            scores.push_back({parts[1].toDouble(), parts[2].toInt()});
        else if (parts[0] != "SEEK")
            actual[parts[0]].push_back({parts[1].toUtf8(), parts[2].toInt()});
    }
    for (auto& [tag, list] : expected) {
        ASSERT_EQ(actual[tag].size(), list.size()) << tag.toStdString();
        for (size_t i = 0; i < list.size(); ++i) {
            EXPECT_EQ(actual[tag][i].first.trimmed(), list[i].first.trimmed()) << tag.toStdString() << i;
            EXPECT_EQ(actual[tag][i].second, list[i].second) << tag.toStdString() << i;
        }
    }
    ASSERT_EQ(scores.size(), people.size());
    EXPECT_TRUE(std::is_sorted(scores.begin(), scores.end()));
    const QStringList seeks = lines.filter(QRegularExpression("^SEEK"));
    ASSERT_EQ(seeks.size(), 4);
    EXPECT_EQ(seeks[0], "SEEK\tBo\tBo\t4");
    EXPECT_TRUE(seeks[1].startsWith("SEEK\tPerson 501\tPerson 501\t"));
    EXPECT_TRUE(seeks[2].startsWith("SEEK\tPerson 5\tPerson 501\t")); // the first key at or after it
    EXPECT_EQ(seeks[3], "SEEK\tÉmile\tÉmile\t3");
}

} // namespace
