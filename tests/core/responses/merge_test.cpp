#include "mergefixture.h"
#include "core/responses/responsetable.h"

#include <QDir>
#include <QFileInfo>

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

TEST_F(TMerge, DuplicateRules)
{
    struct TCase {
        const char* what;
        bool only1IP, only1Email, limitByIP;
        const char* addresses;
        int added, eliminated;
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
        survey->SetOnly1IP(c.only1IP);
        survey->SetOnly1Email(c.only1Email);
        survey->SetLimitByIP(c.limitByIP);
        survey->SetIPAddresses(QString::fromLatin1(c.addresses));
        const TAddResponseResult r = Merge(Data(lines));
        EXPECT_TRUE(r.Succeeded) << c.what;
        EXPECT_EQ(r.AddedCount, c.added) << c.what;
        EXPECT_EQ(r.EliminatedCount, c.eliminated) << c.what;
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

TEST_F(TMerge, MissingFileFailsButSaves)
{
    const TAddResponseResult r = Merge(dir.filePath("nothing.dat"));
    EXPECT_FALSE(r.Succeeded);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("test.orv")));
    EXPECT_EQ(survey->SRServerUpdate(), NoDownloadDateTime());
}

TEST_F(TMerge, OlderTableKeepsWhatCouldBeWritten)
{
    AddWithID(*survey, 1, {qsNumericValue, "", false, false, 0, 0, 100});
    ASSERT_TRUE(Merge(Data({"RemoteAddr=1,orv1=5"})).Succeeded);
    AddWithID(*survey, 2, {qsSingleSelect, "a"});
    AddWithID(*survey, 3, {qsSingleSelect, "a"});
    const TAddResponseResult r = Merge(Data({"RemoteAddr=2,orv1=6,orv2=0,orv3=0"}));
    EXPECT_TRUE(r.Succeeded);
    EXPECT_EQ(r.AddedCount, 1);
    const std::vector<TRecord> rows = Records();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1]["REMOTEIP"], "2");
    EXPECT_EQ(rows[1]["ORV1"], "6");
    EXPECT_FALSE(rows[1].contains("ORV2"));
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

    // A file in the way while SRResponseFile names none.
    errors.clear();
    survey->SetSRResponseFile(QString());
    WriteFile("S981203101500.dbf", "not a table");
    r = Merge(Data({"RemoteAddr=1"}));
    EXPECT_FALSE(r.Succeeded);
    EXPECT_EQ(errors, QStringList{"Could not create the database " + path});
    EXPECT_EQ(survey->SRResponseFile(), QString());

    // A table that cannot be opened.
    errors.clear();
    survey->SetSRResponseFile(path);
    r = Merge(Data({"RemoteAddr=1"}));
    EXPECT_FALSE(r.Succeeded);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith("The following internal error occurred: ")) << qPrintable(errors[0]);
    EXPECT_EQ(survey->SRResponseFile(), QString());
    EXPECT_EQ(QFile(path).size(), 11) << "the file in the way is left alone";
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

} // namespace
