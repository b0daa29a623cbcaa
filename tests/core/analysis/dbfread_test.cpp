// The tallies agree with counts an independent reader (python3-dbfread, a Debian package) computes
// from the same table file, with and without a filter.

#include "analysisfixture.h"
#include "core/analysis/analyzeresults.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <random>

namespace {

const char* kCounter = R"(
import json, math, sys, dbfread
spec = json.loads(sys.argv[2])
passes = eval('lambda r: ' + sys.argv[3])
def num(v):
    return 0 if v is None else v
out = {}
for q in spec:
    if q['style'] == 6:
        ranges, low, high = [], q['min'], q['min'] + q['step']
        ranges.append([low, high])
        while high + 1 <= q['max']:
            low = high + 1
            high = min(low + q['step'], q['max'])
            ranges.append([low, high])
        out[q['id']] = {'ranges': ranges, 'counts': [0] * len(ranges), 'total': 0.0, 'n': 0}
    else:
        out[q['id']] = {'counts': [0] * (q['options'] + (1 if q['other'] else 0))}
records = 0
for r in dbfread.DBF(sys.argv[1], encoding='utf-8'):
    if not passes(r):
        continue
    records += 1
    for q in spec:
        name, o = 'ORV%d' % q['id'], out[q['id']]
        if q['style'] == 2:
            for n in range(q['options']):
                if r['%s_%d' % (name, n)] == 'Y':
                    o['counts'][n] += 1
            if q['other'] and r[name] == 'Y':
                o['counts'][q['options']] += 1
        elif q['style'] == 6:
            v = r[name]
            if v is None or v == -9999:
                continue
            o['total'] += v
            o['n'] += 1
            x = math.floor(abs(v) + 0.5) * (1 if v >= 0 else -1)
            for i, (lo, hi) in enumerate(o['ranges']):
                if lo <= x <= hi:
                    o['counts'][i] += 1
                    break
        else:
            s = r[name].strip()
            if s.upper() == 'OTH' and q['other']:
                o['counts'][q['options']] += 1
            elif s.isdigit() and int(s) < q['options']:
                o['counts'][int(s)] += 1
print(json.dumps({'records': records, 'tallies': {str(k): v for k, v in out.items()}}))
)";

using TIndependentCounts = TAnalysisFixture;

TEST_F(TIndependentCounts, TalliesEqualDbfreadCounts)
{
    const QString python = QStringLiteral("/usr/bin/python3");
    QProcess probe;
    probe.start(python, {"-c", "import dbfread"});
    if (!probe.waitForFinished(30000) || probe.exitCode() != 0)
        GTEST_SKIP() << "python3-dbfread is not installed (scripts/setup installs it)";

    Add(11, qsSingleSelect, "Tea,Coffee,Water,Juice", true);
    Add(12, qsMultipleSelect, "Milk,Sugar,Lemon", true);
    Add(13, qsNumericValue, {}, false, 0, 100, 9);
    Add(14, qsSlidingScale, "1,2,3,4,5");
    Add(15, qsPullDownList,
        "North,South,East,West,Centre,Abroad,Unknown,\"Other place\",Far,Near,Here,There");
    Add(16, qsFreeFormText);
    CreateTable();
    std::mt19937 random(20260101);
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    const QStringList single = {"0", "1", "2", "3", "Oth", "oth", "", "9", "x"};
    for (int i = 0; i < 4000; ++i) {
        TAnswers a;
        a["ORV11"] = single[pick(single.size())];
        for (int n = 0; n < 3; ++n)
            a[QStringLiteral("ORV12_%1").arg(n)] = pick(3) ? "N" : (pick(10) ? "Y" : "y");
        a["ORV12"] = pick(4) ? "N" : "Y";
        const int value = pick(20) == 0 ? -9999 : pick(130) - 10;
        if (pick(15))
            a["ORV13"] = QString::number(value);
        a["ORV14"] = QString::number(pick(5));
        a["ORV15"] = QString::number(pick(13));
        Append(a);
    }
    Commit();
    for (int n = 7; n < 4000; n += 97) {
        ASSERT_TRUE(table.Go(n).ok());
        ASSERT_TRUE(table.Delete().ok());
    }
    const QString spec = R"([{"id": 11, "style": 1, "options": 4, "other": true},
        {"id": 12, "style": 2, "options": 3, "other": true},
        {"id": 13, "style": 6, "min": 0, "max": 100, "step": 9},
        {"id": 14, "style": 3, "options": 5, "other": false},
        {"id": 15, "style": 5, "options": 12, "other": false}])";
    const std::pair<QString, QString> filters[] = {
        {"", "True"},
        {R"(ORV11="2" .AND. ORV13>20)", "r['ORV11'].strip() == '2' and num(r['ORV13']) > 20"},
        {R"(ORV12_1="Y" .AND. ORV14<>"3")", "r['ORV12_1'] == 'Y' and r['ORV14'].strip() != '3'"},
    };
    for (const auto& [expression, lambda] : filters) {
        TResultsList results;
        const TAnalyzeOutcome outcome = AnalyzeResults(survey, table, expression, results);
        ASSERT_TRUE(outcome.ok()) << qPrintable(outcome.Error);

        QProcess reader;
        reader.start(python, {"-c", kCounter, path, spec, lambda});
        ASSERT_TRUE(reader.waitForFinished(120000));
        ASSERT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().constData();
        const QJsonObject theirs = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
        EXPECT_EQ(outcome.Records, theirs["records"].toInt()) << qPrintable(expression);
        EXPECT_GT(outcome.Records, 50);
        const QJsonObject tallies = theirs["tallies"].toObject();
        for (int id : {11, 12, 14, 15}) {
            std::vector<int> expected;
            for (const QJsonValue& v : tallies[QString::number(id)].toObject()["counts"].toArray())
                expected.push_back(v.toInt());
            std::vector<int> ours;
            for (const TCountResults* c : CountResultsOf(results, id))
                ours.push_back(c->Count);
            EXPECT_EQ(ours, expected) << "question " << id << " filter " << qPrintable(expression);
        }
        const QJsonObject numeric = tallies["13"].toObject();
        const TNumericResults* n = NumericResultsOf(results, 13);
        EXPECT_DOUBLE_EQ(n->Total, numeric["total"].toDouble());
        EXPECT_EQ(n->ValueCount, numeric["n"].toDouble());
        std::vector<int> expected, ours;
        for (const QJsonValue& v : numeric["counts"].toArray())
            expected.push_back(v.toInt());
        for (const TCountResults& r : n->Ranges)
            ours.push_back(r.Count);
        EXPECT_EQ(ours, expected) << qPrintable(expression);
    }
}

} // namespace
