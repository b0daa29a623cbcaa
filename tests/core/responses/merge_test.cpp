#include "mergefixture.h"
#include "core/responses/codebook.h"
#include "core/responses/responsetable.h"

#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace {

using TMerge = TMergeFixture;

TEST_F(TMerge, MarkersOnlyAddsNothingButStillUpdatesAndSaves)
{
    AddWithID(*survey, 1, {qsSingleSelect, "a,b"});
    const TAddResponseResult r = Merge(Data({}));
    EXPECT_TRUE(r.Succeeded);
    EXPECT_EQ(r.AddedCount, 0);
    EXPECT_EQ(r.EliminatedCount, 0);
    EXPECT_EQ(r.TotalCount, 0);
    EXPECT_EQ(survey->SRServerUpdate(), QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)));
    EXPECT_EQ(survey->SRResponseFile(), dir.filePath("S981203101500.dbf"));
    EXPECT_TRUE(QFileInfo::exists(survey->SRResponseFile()));
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("test.orv")));
    EXPECT_FALSE(survey->Modified());
    EXPECT_FALSE(survey->PubHistory().contains("Added"));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join('\n'));
    ASSERT_TRUE(table.IsOpen());
    EXPECT_EQ(table.Table().Order(), table.EmailOrder());
}

TEST_F(TMerge, EveryStyleIsStoredAsTheTableExpects)
{
    AddWithID(*survey, 1, {qsSingleSelect, "a,b", true, true, 0, 0, 0, 40, 30});
    AddWithID(*survey, 2, {qsMultipleSelect, "x,y,z", true});
    survey->AddHeader(QStringLiteral("between"));
    AddWithID(*survey, 3, {qsFreeFormText, "", false, false, -1});
    AddWithID(*survey, 4, {qsFreeFormText, "", false, false, 10});
    AddWithID(*survey, 5, {qsNumericValue, "", false, false, 0, 1, 10});
    AddWithID(*survey, 6, {qsPullDownList, "p,q"});
    const TAddResponseResult r = Merge(Data({
        "RemoteAddr=10.0.0.1,\"UserAgent=Mozilla/4.0 (compatible; MSIE 5.0; Windows "
        "98)\",DateRec=20260101120000,"
        "ORVEMAILADDRESS=ann@example.org,orv1=Other,\"orv1Other=mauve, mostly\",orv1Comment=fine,"
        "orv2-0=1,orv2-2=on,orv2=other,orv2Other=tea,orv3=one&CR;&LF;two,orv4=0123456789ABC,orv5=7,orv6=1",
        "REMOTEADDR=10.0.0.2,DateRec=20260101120500,ORV1=0,orv5=11",
        "remoteaddr=10.0.0.3,orv5=abc",
    }));
    EXPECT_TRUE(r.Succeeded);
    EXPECT_EQ(r.AddedCount, 3);
    EXPECT_EQ(r.TotalCount, 3);
    const std::vector<TRecord> rows = Records();
    ASSERT_EQ(rows.size(), 3u);
    const TRecord& a = rows[0];
    EXPECT_EQ(a["REMOTEIP"], "10.0.0.1");
    EXPECT_EQ(a["EMAIL"], "ann@example.org");
    EXPECT_EQ(a["AGENT"], "Mozilla/4.0 (compatible; MSIE 5.0; Windows 98)");
    EXPECT_EQ(a["DATERCVD"], "20260101120000");
    EXPECT_EQ(a["ORV1CM"], "fine");
    EXPECT_EQ(a["ORV1"], "Oth");
    EXPECT_EQ(a["ORV1OT"], "mauve, mostly");
    EXPECT_EQ(a["ORV2_0"], "Y");
    EXPECT_EQ(a["ORV2_1"], "N");
    EXPECT_EQ(a["ORV2_2"], "N") << "only exactly 1 ticks an option";
    EXPECT_EQ(a["ORV2"], "Y");
    EXPECT_EQ(a["ORV2OT"], "tea");
    EXPECT_EQ(a["ORV3"], "one\r\ntwo");
    EXPECT_EQ(a["ORV4"], "0123456789");
    EXPECT_EQ(a["ORV5"], "7");
    EXPECT_EQ(a["ORV6"], "1");
    EXPECT_EQ(rows[1]["ORV1"], "0");
    EXPECT_EQ(rows[1]["ORV2"], "N");
    EXPECT_EQ(rows[1]["ORV5"], "-9999");
    EXPECT_EQ(rows[2]["ORV5"], "-9999");
    EXPECT_EQ(survey->SRLastUpdate(), "20260101120500") << "a line without DateRec keeps the last one";
    EXPECT_TRUE(survey->PubHistory().endsWith(": Added 3 responses.\r\n"));
    EXPECT_EQ(survey->SRResponseCount(), 3);
}

TEST_F(TMerge, LinesThatAreNoResponsesAreEliminated)
{
    AddWithID(*survey, 1, {qsSingleSelect, "a"});
    const QString path = WriteFile("in.dat",
        "<DATA> and more\r\n"
        "\r\n"
        "garbage without the name\r\n"
        "RemoteAddr=1.1.1.1,orv1=0\r\n"
        "</data>\r\n"
        "RemoteAddr=2.2.2.2\r\n");
    const TAddResponseResult r = Merge(path);
    EXPECT_TRUE(r.Succeeded);
    EXPECT_EQ(r.AddedCount, 1);
    EXPECT_EQ(r.EliminatedCount, 2);
    EXPECT_EQ(Records().size(), 1u);
}

TEST_F(TMerge, AnAnswerHoldingTheEndMarkerIsAResponseLikeAnyOther)
{
    AddWithID(*survey, 1, {qsSingleSelect, "a", true, true});
    AddWithID(*survey, 2, {qsFreeFormText, "", false, false, -1});
    const TAddResponseResult r = Merge(Data({
        "RemoteAddr=1.1.1.1,DateRec=20260101120000,orv1Other=</data>",
        "RemoteAddr=1.1.1.2,DateRec=20260101120100,\"orv1Comment=see </DATA> here\"",
        "RemoteAddr=1.1.1.3,DateRec=20260101120200,orv2=x&CR;&LF;</Data>",
    }));
    EXPECT_TRUE(r.Succeeded);
    EXPECT_EQ(r.AddedCount, 3);
    EXPECT_EQ(r.EliminatedCount, 0);
    const std::vector<TRecord> rows = Records();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0]["ORV1OT"], "</data>");
    EXPECT_EQ(rows[1]["ORV1CM"], "see </DATA> here");
    EXPECT_EQ(rows[2]["ORV2"], "x\r\n</Data>");
    EXPECT_EQ(survey->SRLastUpdate(), "20260101120200") << "the next download starts after all three";
}

TEST_F(TMerge, IPv6AddressesAreStoredAndComparedWhole)
{
    survey->SetOnly1IP(true);
    const QByteArray a = "2001:0db8:85a3:0000:0000:8a2e:0370:7334";
    const QByteArray b = "2001:0db8:85a3:0000:0000:8a2e:0370:7335"; // the first 25 bytes are a's
    const QByteArray mapped = "0000:0000:0000:0000:0000:ffff:192.168.100.200"; // 45 characters
    TAddResponseResult r
        = Merge(Data({"RemoteAddr=" + a, "RemoteAddr=" + b, "RemoteAddr=" + a, "RemoteAddr=" + mapped}));
    EXPECT_EQ(r.AddedCount, 3);
    EXPECT_EQ(r.EliminatedCount, 1);
    r = Merge(Data({"RemoteAddr=" + b, "RemoteAddr=" + mapped}));
    EXPECT_EQ(r.AddedCount, 0) << "both are in the table already";
    const std::vector<TRecord> rows = Records();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1]["REMOTEIP"], QString::fromLatin1(b));
    EXPECT_EQ(rows[2]["REMOTEIP"], QString::fromLatin1(mapped));
}

TEST_F(TMerge, ATableWithTheOldAddressWidthStillOpensAndLosesNobody)
{
    const QString path = dir.filePath("S981203101500.dbf");
    {
        xbase::TTable old;
        ASSERT_TRUE(old.CreateTable(path,
            {{"REMOTEIP", 'C', 25, 0}, {"EMAIL", 'C', 250, 0}, {"AGENT", 'C', 250, 0},
                {"DATERCVD", 'C', 14, 0}}));
    }
    survey->SetSRResponseFile(path);
    survey->SetOnly1IP(true);
    const QByteArray a = "2001:0db8:85a3:0000:0000:8a2e:0370:7334";
    const QByteArray b = "2001:0db8:85a3:0000:0000:8a2e:0370:7335";
    TAddResponseResult r = Merge(Data({"RemoteAddr=" + a, "RemoteAddr=" + b, "RemoteAddr=" + a,
        "RemoteAddr=10.0.0.1", "RemoteAddr=10.0.0.1"}));
    EXPECT_TRUE(r.Succeeded) << qPrintable(r.ErrorMessage);
    EXPECT_EQ(r.AddedCount, 3) << "the same address twice in one file is still one";
    r = Merge(Data({"RemoteAddr=10.0.0.1"}));
    EXPECT_EQ(r.AddedCount, 0) << "addresses that fit are found in the table";
    EXPECT_EQ(RemoteIPWidthOf(path), 25);
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join('\n'));
}

TEST_F(TMerge, DuplicateRules)
{
    struct TCase {
        const char* What;
        bool Only1IP, Only1Email, LimitByIP;
        const char* Addresses;
        int Added, Eliminated;
    };
    const QList<QByteArray> lines = {
        "RemoteAddr=1.2.3.4,ORVEMAILADDRESS=a@x.org",
        "RemoteAddr=1.2.3.4,ORVEMAILADDRESS=b@x.org",
        "RemoteAddr=1.2.3.45,ORVEMAILADDRESS=a@x.org",
        "RemoteAddr=,ORVEMAILADDRESS=",
        "RemoteAddr=,ORVEMAILADDRESS=",
        "RemoteAddr=9.9.9.9,ORVEMAILADDRESS=A@x.org",
    };
    const TCase cases[] = {
        {"no limits", false, false, false, "", 6, 0},
        {"one per address; a longer address is another address", true, false, false, "", 5, 1},
        {"one per e-mail address, letter case counts", false, true, false, "", 5, 1},
        {"both", true, true, false, "", 4, 2},
        {"range with an empty list admits nobody", false, false, true, "", 0, 6},
        {"range", false, false, true, "1.2.3", 3, 3},
    };
    for (const TCase& c : cases) {
        SetUp();
        survey->SetOnly1IP(c.Only1IP);
        survey->SetOnly1Email(c.Only1Email);
        survey->SetLimitByIP(c.LimitByIP);
        survey->SetIPAddresses(QString::fromLatin1(c.Addresses));
        const TAddResponseResult r = Merge(Data(lines));
        EXPECT_TRUE(r.Succeeded) << c.What;
        EXPECT_EQ(r.AddedCount, c.Added) << c.What;
        EXPECT_EQ(r.EliminatedCount, c.Eliminated) << c.What;
        table.Close();
        survey->SetSRResponseFile(QString());
        for (const QString& f : QDir(dir.path()).entryList({"*.dbf", "*.cdx", "*.fpt", "*.cpg"}))
            QFile::remove(dir.filePath(f));
    }
}

TEST_F(TMerge, EarlierMergesCountForDuplicates)
{
    survey->SetOnly1IP(true);
    survey->SetOnly1Email(true);
    EXPECT_EQ(Merge(Data({"RemoteAddr=1.2.3.4,ORVEMAILADDRESS=a@x.org"})).AddedCount, 1);
    const TAddResponseResult r = Merge(Data({"RemoteAddr=1.2.3.4,ORVEMAILADDRESS=n@x.org",
        "RemoteAddr=5.5.5.5,ORVEMAILADDRESS=a@x.org", "RemoteAddr=6.6.6.6,ORVEMAILADDRESS=c@x.org"}));
    EXPECT_EQ(r.AddedCount, 1);
    EXPECT_EQ(r.EliminatedCount, 2);
    EXPECT_EQ(r.TotalCount, 2);
}

TEST_F(TMerge, LongAddressesAreComparedWhole)
{
    survey->SetOnly1Email(true);
    const QByteArray common(245, 'm');
    ASSERT_EQ(Merge(Data({"RemoteAddr=1,ORVEMAILADDRESS=" + common + "@a.org"})).AddedCount, 1);
    // Both differ from the first only after the 240 bytes the index keeps; 250 bytes are stored,
    // so the second equals the first as stored.
    const TAddResponseResult r = Merge(Data({"RemoteAddr=2,ORVEMAILADDRESS=" + common + "@b.org",
        "RemoteAddr=3,ORVEMAILADDRESS=" + common + "@a.org.uk"}));
    EXPECT_EQ(r.AddedCount, 1);
    EXPECT_EQ(r.EliminatedCount, 1);
}

TEST_F(TMerge, ServerErrorIsShownAndCountsAsRun)
{
    const TAddResponseResult r = Merge(WriteFile("e.dat", "<ERROR>\r\nSurvey not found\r\nRemoteAddr=1\r\n"));
    EXPECT_TRUE(r.Succeeded);
    EXPECT_EQ(r.AddedCount, 0);
    EXPECT_EQ(errors, QStringList{"The following error occurred during update: Survey not found"});
}

// Files that may not grow make the commit fail: the survey then does not claim the responses as
// received, so the next download asks for them again.
TEST_F(TMerge, AFailedCommitLeavesTheLastUpdateWhereItWas)
{
    ASSERT_TRUE(Merge(Data({"RemoteAddr=1,DateRec=20260101000000"})).Succeeded);
    const QString before = survey->GetSRLastUpdate();
    const QString second = Data({"RemoteAddr=2,DateRec=20260202000000"}, "second.dat");
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{rlim_t(QFileInfo(survey->SRResponseFile()).size()), old.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const TAddResponseResult r = Merge(second);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);
    EXPECT_FALSE(r.Succeeded);
    EXPECT_FALSE(r.ErrorMessage.isEmpty());
    EXPECT_EQ(survey->GetSRLastUpdate(), before);
}

TEST_F(TMerge, MissingFileFailsButSaves)
{
    const TAddResponseResult r = Merge(dir.filePath("nothing.dat"));
    EXPECT_FALSE(r.Succeeded);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("test.orv")));
    EXPECT_EQ(survey->SRServerUpdate(), NoDownloadDateTime());
}

TEST_F(TMerge, AnOlderTableGetsEveryFieldItHasAndTheRestIsCounted)
{
    AddWithID(*survey, 1, {qsNumericValue, "", false, false, 0, 0, 100});
    AddWithID(*survey, 3, {qsSingleSelect, "a,b"});
    ASSERT_TRUE(Merge(Data({"RemoteAddr=1,orv1=5,orv3=0"})).Succeeded);
    EXPECT_FALSE(MergeSummary(Merge(Data({}))).contains("not stored")) << "nothing to tell";
    // Changed after the table was made: a comment box ahead of ORV1, a new question between.
    survey->GetQuestion(0).IncludeComment = true;
    const int added = AddWithID(*survey, 2, {qsMultipleSelect, "x,y"});
    survey->MoveQuestion(added, 1);
    const TAddResponseResult r
        = Merge(Data({"RemoteAddr=2,orv1Comment=hi,orv1=6,orv2-0=1,orv3=1", "RemoteAddr=3,orv1=7,orv3=0"}));
    EXPECT_TRUE(r.Succeeded);
    EXPECT_EQ(r.AddedCount, 2);
    EXPECT_EQ(r.UnstoredAnswerCount, 2) << "the comment and the ticked option; unticked ones are no answers";
    EXPECT_TRUE(MergeSummary(r).endsWith("(questions added after it was created): 2\r\n"))
        << qPrintable(MergeSummary(r));
    const std::vector<TRecord> rows = Records();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1]["REMOTEIP"], "2");
    EXPECT_EQ(rows[1]["ORV1"], "6");
    EXPECT_EQ(rows[1]["ORV3"], "1") << "fields after a missing one are still written";
    EXPECT_EQ(rows[2]["ORV1"], "7");
    EXPECT_FALSE(rows[1].contains("ORV1CM"));
}

TEST_F(TMerge, CreationFailures)
{
    // An identifier too long for a field name.
    AddWithID(*survey, 123456, {qsSingleSelect, "a", false, true});
    TAddResponseResult r = Merge(Data({"RemoteAddr=1"}));
    EXPECT_FALSE(r.Succeeded);
    const QString path = dir.filePath("S981203101500.dbf");
    EXPECT_EQ(errors, QStringList{"Failed database creation: " + path});
    EXPECT_EQ(survey->SRResponseFile(), path);

    // A table that cannot be opened.
    errors.clear();
    WriteFile("S981203101500.dbf", "not a table");
    survey->SetSRResponseFile(path);
    r = Merge(Data({"RemoteAddr=1"}));
    EXPECT_FALSE(r.Succeeded);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith("The following internal error occurred: ")) << qPrintable(errors[0]);
    EXPECT_EQ(survey->SRResponseFile(), QString());
    EXPECT_EQ(QFile(path).size(), 11) << "the file in the way is left alone";
}

TEST_F(TMerge, AStaleResponseFileFindsTheTableBesideTheSurvey)
{
    AddWithID(*survey, 1, {qsSingleSelect, "a,b"});
    AddWithID(*survey, 2, {qsSingleSelect, "a,b"});
    ASSERT_TRUE(Merge(Data({"RemoteAddr=1,orv1=0"})).Succeeded);
    const QString path = survey->SRResponseFile();
    table.Close();
    QStringList informed;
    hooks.Inform = [&informed](const QString& message) { informed << message; };
    survey->DeleteQuestion(1); // a question gone since does not make the table another's
    const struct {
        const char* What;
        QString ResponseFile;
    } cases[] = {
        {"the survey moved with its table", "/gone/elsewhere/S981203101500.dbf"},
        {"an earlier failed open emptied it", QString()},
    };
    int expected = 1;
    for (const auto& c : cases) {
        survey->SetSRResponseFile(c.ResponseFile);
        const TAddResponseResult r = Merge(Data({"RemoteAddr=" + QByteArray::number(++expected)}));
        EXPECT_TRUE(r.Succeeded) << c.What << ": " << qPrintable(errors.join('\n'));
        EXPECT_EQ(r.TotalCount, expected) << c.What;
        EXPECT_EQ(survey->SRResponseFile(), path) << c.What;
        table.Close();
    }
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join('\n'));
    EXPECT_TRUE(informed.isEmpty());
}

TEST_F(TMerge, AFileInTheWayOfTheNewTableIsMovedAsideNeverOverwritten)
{
    const QString path = dir.filePath("S981203101500.dbf");
    struct TCase {
        const char* What;
        std::function<void()> place;
    };
    const TCase cases[] = {
        {"not a table", [&] { WriteFile("S981203101500.dbf", "not a table"); }},
        {"another layout",
            [&] {
                xbase::TTable other;
                ASSERT_TRUE(other.CreateTable(path, {{"NAME", 'C', 20, 0}}));
            }},
        {"a question this survey never had",
            [&] {
                xbase::TTable other;
                ASSERT_TRUE(other.CreateTable(path,
                    {{"REMOTEIP", 'C', 45, 0}, {"EMAIL", 'C', 250, 0}, {"AGENT", 'C', 250, 0},
                        {"DATERCVD", 'C', 14, 0}, {"ORV9", 'C', 3, 0}}));
            }},
    };
    for (const TCase& c : cases) {
        SetUp();
        AddWithID(*survey, 1, {qsSingleSelect, "a,b"});
        QStringList informed;
        hooks.Inform = [&informed](const QString& message) { informed << message; };
        for (const QString& f : QDir(dir.path()).entryList(QDir::Files))
            QFile::remove(dir.filePath(f));
        c.place();
        QFile original(path);
        ASSERT_TRUE(original.open(QIODevice::ReadOnly));
        const QByteArray bytes = original.readAll();
        original.close();
        const TAddResponseResult r = Merge(Data({"RemoteAddr=1,orv1=1"}));
        EXPECT_TRUE(r.Succeeded) << c.What << ": " << qPrintable(errors.join('\n'));
        EXPECT_EQ(r.TotalCount, 1) << c.What;
        EXPECT_EQ(survey->SRResponseFile(), path) << c.What;
        const QString aside = dir.filePath("S981203101500-moved-1.dbf");
        QFile moved(aside);
        ASSERT_TRUE(moved.open(QIODevice::ReadOnly)) << c.What;
        EXPECT_EQ(moved.readAll(), bytes) << c.What;
        ASSERT_EQ(informed.size(), 1) << c.What;
        EXPECT_TRUE(informed[0].contains(aside)) << qPrintable(informed[0]);
        EXPECT_TRUE(errors.isEmpty()) << c.What << ": " << qPrintable(errors.join('\n'));
        table.Close();
    }
}

TEST_F(TMerge, StoppingKeepsWhatWasAppended)
{
    QList<QByteArray> lines;
    for (int i = 0; i < 1000; ++i)
        lines << "RemoteAddr=10.0." + QByteArray::number(i / 256) + "." + QByteArray::number(i % 256);
    int calls = 0;
    hooks.Progress = [&calls](qint64 done, qint64 total) {
        EXPECT_LE(done, total);
        return ++calls < 2;
    };
    const TAddResponseResult r = Merge(Data(lines));
    EXPECT_FALSE(r.Succeeded);
    EXPECT_TRUE(r.Stopped);
    EXPECT_GT(r.AddedCount, 0);
    EXPECT_LT(r.AddedCount, 1000);
    EXPECT_EQ(r.TotalCount, r.AddedCount);
    EXPECT_EQ(static_cast<int>(Records().size()), r.AddedCount);
    EXPECT_EQ(survey->SRResponseCount(), r.AddedCount);
}

TEST_F(TMerge, ResetRemovesTheTableAndKeepsItsName)
{
    ASSERT_TRUE(Merge(Data({"RemoteAddr=1,DateRec=20260101000000"})).Succeeded);
    const QString path = survey->SRResponseFile();
    EXPECT_EQ(ResetLocalResponses(*survey, table), QString());
    EXPECT_FALSE(table.IsOpen());
    EXPECT_EQ(survey->SRResponseFile(), path);
    EXPECT_EQ(survey->SRResponseCount(), 0);
    EXPECT_EQ(survey->GetSRLastUpdate(), "Never");
    EXPECT_TRUE(survey->PubHistory().endsWith(": Response file reset\r\n"));
    EXPECT_TRUE(QDir(dir.path()).entryList({"S981203101500.*"}).isEmpty());

    // Nothing to delete: still resets and records it.
    EXPECT_EQ(ResetLocalResponses(*survey, table), QString());
    EXPECT_EQ(survey->PubHistory().count("Response file reset"), 2);

    // The next merge makes the table afresh.
    EXPECT_EQ(Merge(Data({"RemoteAddr=2"})).TotalCount, 1);
}

TEST_F(TMerge, AResetThatCannotDeleteTheTableChangesNothing)
{
    ASSERT_TRUE(Merge(Data({"RemoteAddr=1,DateRec=20260101000000"})).Succeeded);
    const QString path = survey->SRResponseFile();
    const QString history = survey->PubHistory();
    // Something that cannot be deleted stands where the table has to go on its way out.
    ASSERT_TRUE(QDir().mkpath(path + ".orvreset/in the way"));
    const QString error = ResetLocalResponses(*survey, table);
    EXPECT_TRUE(error.startsWith("The local responses could not be reset: ")) << qPrintable(error);
    EXPECT_EQ(survey->SRResponseCount(), 1);
    EXPECT_EQ(survey->GetSRLastUpdate(), "20260101000000");
    EXPECT_EQ(survey->PubHistory(), history);
    EXPECT_TRUE(table.IsOpen()) << "the responses stay in use";
    EXPECT_EQ(Records().size(), 1u);

    // The next merge appends to the responses that are still there, as the count says.
    EXPECT_EQ(Merge(Data({"RemoteAddr=2"})).TotalCount, 2);
}

} // namespace
