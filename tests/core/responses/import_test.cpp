#include "mergefixture.h"
#include "core/responses/importdatafile.h"
#include "core/responses/responsetable.h"

#include <QDir>
#include <QFileInfo>

namespace {

class TImport : public TMergeFixture {
protected:
    // A survey with two responses in its table.
    void SeedTwoResponses()
    {
        AddWithID(*survey, 1, {qsSingleSelect, "a,b"});
        ASSERT_EQ(Merge(Data({"RemoteAddr=1.1.1.1,orv1=0,DateRec=20250101000000",
                            "RemoteAddr=2.2.2.2,orv1=1,DateRec=20250102000000"}))
                      .TotalCount,
            2);
    }
};

TEST_F(TImport, ReplacesTheLocalResponses)
{
    SeedTwoResponses();
    const QString file = WriteFile("export.txt",
        "ID,RemoteAddr,orv1\r\n"
        "RemoteAddr=3.3.3.3,orv1=1,DateRec=20260101000000\r\n"
        "not a response\r\n"
        "RemoteAddr=4.4.4.4,orv1=0,DateRec=20260102000000\r\n"
        "\r\n");
    const TImportOutcome out = ImportServerDataFile(*survey, table, file, hooks);
    EXPECT_EQ(out.Kind, TImportOutcome::TKind::Imported);
    EXPECT_EQ(out.Message,
        "Results incorporated.\r\nNew responses: 2\r\nResponses eliminated: 1\r\n"
        "Total responses: 2\r\n");
    const std::vector<TRecord> rows = Records();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]["REMOTEIP"], "3.3.3.3");
    EXPECT_EQ(rows[1]["REMOTEIP"], "4.4.4.4");
    EXPECT_EQ(survey->SRLastUpdate(), "20260102000000");
    EXPECT_EQ(survey->SRResponseCount(), 2);
    EXPECT_TRUE(table.IsOpen());
    EXPECT_EQ(table.Path(), dir.filePath("S981203101500.dbf"));
    // Nothing is left of the staging table or the old one's backups.
    const QStringList files = QDir(dir.path()).entryList(QDir::Files);
    for (const QString& f : files)
        EXPECT_FALSE(f.contains("_import") || f.endsWith(".orvold")) << qPrintable(f);
}

TEST_F(TImport, OldTableUnderAnotherNameIsRemoved)
{
    SeedTwoResponses();
    table.Close();
    const QString moved = dir.filePath("elsewhere.dbf");
    ASSERT_TRUE(QFile::rename(survey->SRResponseFile(), moved));
    ASSERT_TRUE(QFile::rename(dir.filePath("S981203101500.cdx"), dir.filePath("elsewhere.cdx")));
    survey->SetSRResponseFile(moved);
    const TImportOutcome out = ImportServerDataFile(*survey, table, Data({"RemoteAddr=5"}), hooks);
    EXPECT_EQ(out.Kind, TImportOutcome::TKind::Imported);
    EXPECT_FALSE(QFileInfo::exists(moved));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("elsewhere.cdx")));
    EXPECT_EQ(survey->SRResponseFile(), dir.filePath("S981203101500.dbf"));
    EXPECT_EQ(Records().size(), 1u);
}

TEST_F(TImport, MissingFileChangesNothing)
{
    SeedTwoResponses();
    const QString missing = dir.filePath("nope.dat");
    const TImportOutcome out = ImportServerDataFile(*survey, table, missing, hooks);
    EXPECT_EQ(out.Kind, TImportOutcome::TKind::NotFound);
    EXPECT_EQ(out.Message, "The file " + missing + " could not be found.");
    EXPECT_EQ(Records().size(), 2u);
}

TEST_F(TImport, FailureOrStopKeepsTheLocalResponses)
{
    SeedTwoResponses();
    const QString lastUpdate = survey->SRLastUpdate();

    // The new table cannot be made: an identifier too long for a field name.
    AddWithID(*survey, 1234567, {qsNumericValue, "", false, true});
    TImportOutcome out = ImportServerDataFile(*survey, table, Data({"RemoteAddr=9"}), hooks);
    EXPECT_EQ(out.Kind, TImportOutcome::TKind::MergeFailed);
    EXPECT_EQ(out.Message, "Error importing results.  File format may be incorrect.");
    EXPECT_EQ(errors, QStringList{"Failed database creation: " + dir.filePath("S981203101500.dbf")});
    EXPECT_EQ(Records().size(), 2u);
    EXPECT_EQ(survey->SRResponseCount(), 2);
    EXPECT_EQ(survey->SRLastUpdate(), lastUpdate);
    EXPECT_TRUE(table.IsOpen());
    survey->DeleteQuestion(survey->QuestionCount() - 1);

    // Stopped half-way.
    QList<QByteArray> lines;
    for (int i = 0; i < 600; ++i)
        lines << "RemoteAddr=7.7." + QByteArray::number(i);
    hooks.Progress = [](qint64, qint64) { return false; };
    out = ImportServerDataFile(*survey, table, Data(lines), hooks);
    EXPECT_EQ(out.Kind, TImportOutcome::TKind::Stopped);
    const std::vector<TRecord> rows = Records();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]["REMOTEIP"], "1.1.1.1");
    EXPECT_EQ(survey->SRResponseCount(), 2);
    EXPECT_EQ(survey->SRLastUpdate(), lastUpdate);
    EXPECT_EQ(survey->PubHistory().count("Added"), 1);
}

TEST(ImportSwap, RollsBackWhenTheNewTableCannotBeMoved)
{
    QTemporaryDir dir;
    const auto write = [&dir](const char* name, const char* text) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    write("t.dbf", "old");
    write("t.cdx", "oldindex");
    write("t_import.dbf", "new");
    // A folder stands where the old index must be moved aside to.
    ASSERT_TRUE(QDir(dir.path()).mkdir("t.cdx.orvold"));
    const QString error = SwapInResponseTable(dir.filePath("t_import.dbf"), dir.filePath("t.dbf"), QString());
    EXPECT_FALSE(error.isEmpty());
    QFile old(dir.filePath("t.dbf"));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old");
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("t_import.dbf")));
}

} // namespace
