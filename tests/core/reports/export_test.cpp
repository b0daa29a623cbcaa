#include "core/interaction/progress.h"
#include "core/reports/responseexport.h"
#include "core/responses/codebook.h"
#include "exportfixture.h"

#include <QDir>
#include <QFileInfo>

namespace {

TEST(ExportNames, ExtensionAddedOnlyWhenMissingAndMappingBeside)
{
    struct {
        QString chosen;
        TExportFormat format;
        QString file;
        QString mapping;
    } cases[] = {
        {"/d/results", TExportFormat::Csv, "/d/results.csv", "/d/results.txt"},
        {"/d/results.CSV", TExportFormat::Csv, "/d/results.CSV", "/d/results.txt"},
        {"/d/results.dbf", TExportFormat::Dbf, "/d/results.dbf", "/d/results.txt"},
        {"/d/results.csv", TExportFormat::Dbf, "/d/results.csv.dbf", "/d/results.csv.txt"},
        {"/d.x/poll", TExportFormat::Xlsx, "/d.x/poll.xlsx", "/d.x/poll.txt"},
        {"poll.Sav", TExportFormat::Sav, "poll.Sav", "poll.txt"},
        {"poll", TExportFormat::Dta, "poll.dta", "poll.txt"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExportFileName(c.chosen, c.format), c.file);
        EXPECT_EQ(MappingFileName(c.file), c.mapping);
    }
}

using TExport = TExportFixture;

TEST_F(TExport, TableCopyHoldsEveryRecordAndItsMappingFile)
{
    const QString target = dir.filePath("results.dbf");
    const TExportResult result = ExportResponses(*survey, TablePath(), TExportFormat::Dbf, target);
    ASSERT_TRUE(result.Ok) << result.Error.toStdString();
    EXPECT_TRUE(result.Error.isEmpty());
    EXPECT_EQ(result.MappingFile, dir.filePath("results.txt"));
    EXPECT_EQ(Records(target), Records());
    const QString mapping = QString::fromUtf8(ReadBytes(result.MappingFile));
    EXPECT_TRUE(mapping.startsWith("Field Mapping for survey Customer Poll(results.dbf)\r\n"));
    EXPECT_TRUE(mapping.contains("Field Name:   ORV3\r\nField Type:   Memo")) << "the table copy keeps memos";
}

TEST_F(TExport, CsvStartsWithTheHeaderLineAndLeavesMemosOut)
{
    const QString target = dir.filePath("results.csv");
    const TExportResult result = ExportResponses(*survey, TablePath(), TExportFormat::Csv, target);
    ASSERT_TRUE(result.Ok) << result.Error.toStdString();
    const QList<QByteArray> lines = ReadBytes(target).split('\n');
    ASSERT_EQ(lines.size(), 5); // header, three records, nothing after the last CR LF
    EXPECT_EQ(QString::fromUtf8(lines[0]), CSVHeaderLine(*survey) + "\r");
    EXPECT_FALSE(lines[0].contains("ORV3\""));
    const QString mapping = QString::fromUtf8(ReadBytes(result.MappingFile));
    EXPECT_TRUE(mapping.startsWith("Field Mapping for survey Customer Poll(results.csv)\r\n"));
    EXPECT_FALSE(mapping.contains("Field Name:   ORV3\r\n"));
}

// A failed export says so, writes no mapping file, and leaves an older file of that name alone.
TEST_F(TExport, FailureIsReportedAndNothingIsLeftBehind)
{
    for (TExportFormat format : {TExportFormat::Dbf, TExportFormat::Csv, TExportFormat::Xlsx,
             TExportFormat::Sav, TExportFormat::Dta}) {
        const QString missingDir = dir.filePath("gone/results") + ExportExtension(format);
        TExportResult result = ExportResponses(*survey, TablePath(), format, missingDir);
        EXPECT_FALSE(result.Ok);
        EXPECT_TRUE(result.Error.startsWith("The responses could not be saved in " + missingDir + "."))
            << result.Error.toStdString();
        EXPECT_FALSE(QFileInfo::exists(MappingFileName(missingDir)));

        const QString old = dir.filePath("old") + ExportExtension(format);
        WriteBytes(old, "keep me");
        result = ExportResponses(*survey, dir.filePath("no-such-table.dbf"), format, old);
        EXPECT_FALSE(result.Ok);
        EXPECT_EQ(ReadBytes(old), "keep me");
        EXPECT_FALSE(QFileInfo::exists(MappingFileName(old)));
    }
}

TEST_F(TExport, MappingFileFailureStillLeavesTheExport)
{
    const QString target = dir.filePath("results.csv");
    QDir(dir.path()).mkdir("results.txt"); // a folder where the mapping file should go
    const TExportResult result = ExportResponses(*survey, TablePath(), TExportFormat::Csv, target);
    EXPECT_TRUE(result.Ok);
    EXPECT_TRUE(result.Error.startsWith("Error writing field mapping to " + dir.filePath("results.txt")
        + ".\r\n\r\n"
          "The following error was reported: "))
        << result.Error.toStdString();
    EXPECT_TRUE(result.MappingFile.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(target));
}

// The user presses Stop while the first record is written.
class TStopAtFirstStep : public TProgress {
public:
    void Start(int) override { }
    void Step(int) override { ++Steps; }
    void Finish() override { }
    bool StopRequested() const override { return Steps > 0; }
    int Steps = 0;
};

// A stopped export is no failure to report: it writes nothing, leaves no temporary file behind
// and an older file of that name as it was.
TEST_F(TExport, StopLeavesTheOlderFileAndNothingElse)
{
    for (TExportFormat format : {TExportFormat::Xlsx, TExportFormat::Sav, TExportFormat::Dta}) {
        const QString name = "stopped" + ExportExtension(format);
        WriteBytes(dir.filePath(name), "keep me");
        TStopAtFirstStep stop;
        const TExportResult result = ExportResponses(*survey, TablePath(), format, dir.filePath(name), &stop);
        EXPECT_TRUE(result.Stopped);
        EXPECT_FALSE(result.Ok);
        EXPECT_TRUE(result.Error.isEmpty()) << result.Error.toStdString();
        EXPECT_EQ(stop.Steps, 1) << "the loop ends at the first step after the stop";
        EXPECT_EQ(ReadBytes(dir.filePath(name)), "keep me");
        EXPECT_EQ(QDir(dir.path()).entryList({name + "*"}, QDir::Files | QDir::Hidden), QStringList{name});
    }
}

} // namespace
