#include "core/interaction/progress.h"
#include "core/reports/htmlreport.h"
#include "core/reports/jpegwriter.h"
#include "core/responses/responsefields.h"
#include "exportfixture.h"

#include <QDir>
#include <QFileInfo>

#include <vector>

namespace {

// A chart stand-in: a real JPEG of a grey gradient through our libjpeg writer.
QString GreyJpeg(int, const QString& path)
{
    std::vector<unsigned char> line(3 * 64);
    return WriteJpegFile(path, 64, 32, [&](int y) {
        std::fill(line.begin(), line.end(), static_cast<unsigned char>(y * 8));
        return line.data();
    });
}

class THtmlReport : public TExportFixture {
protected:
    void SetUp() override
    {
        TExportFixture::SetUp();
        survey->InsertQuestion(0,
            {// at position 1
                "Section <b>two</b>", qsHeader, "", 0, false, 40, false, 40, 0, 0, 0});
        survey->Renumber();
        settings.Directory = dir.filePath("web");
        QDir().mkpath(settings.Directory);
        settings.Base = "cars";
        settings.TablePath = TablePath();
        settings.GeneratedAt = QDateTime(QDate(2026, 5, 6), QTime(7, 8));
    }
    QString Page(const QString& name)
    {
        return QString::fromUtf8(ReadBytes(QDir(settings.Directory).filePath(name)));
    }
    THtmlReportSettings settings;
};

TEST_F(THtmlReport, FilesNamedAfterTheSurveyAndItemPositions)
{
    const THtmlReportResult result = WriteHtmlReport(*survey, settings, GreyJpeg);
    ASSERT_TRUE(result.Error.isEmpty()) << result.Error.toStdString();
    QStringList names = QDir(settings.Directory).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(names,
        (QStringList{"cars.htm", "cars0.htm", "cars0.jpg", "cars2.htm", "cars2.jpg", "cars3.htm", "cars4.htm",
            "cars4.jpg", "cars5.htm"}));
    EXPECT_EQ(result.OpenFile, QDir(settings.Directory).filePath("cars.htm"));

    const QString first = Page("cars0.htm");
    EXPECT_TRUE(first.contains("<SMALL>Previous&nbsp;|&nbsp;Back to <A HREF=\"cars.htm\">Question Index</A>"
                               "&nbsp;|&nbsp;<A HREF=\"cars2.htm\">Next</A></SMALL><hr>\r\n"));
    EXPECT_TRUE(first.contains("<IMG SRC=\"cars0.jpg\" BORDER=0>\r\n"));
    EXPECT_TRUE(Page("cars5.htm").contains("<A HREF=\"cars4.htm\">Previous</A>&nbsp;|&nbsp;Back to "));
    EXPECT_TRUE(Page("cars5.htm").contains("Question Index</A>&nbsp;|&nbsp;Next</SMALL>"));
    const QString index = Page("cars.htm");
    EXPECT_TRUE(index.contains("<H2>Survey: Customer Poll</H2>\r\n"));
    EXPECT_TRUE(index.contains("1) <A HREF=\"cars0.htm\">Colour?</A><p>\r\n"));
    EXPECT_FALSE(index.contains("Active Filter"));
    EXPECT_FALSE(index.contains("two")) << "headers are not listed";
}

// Stop after the first page: the pages written stay, no index links to the missing ones.
TEST_F(THtmlReport, StopEndsTheReportWithoutAnIndex)
{
    class TStopAfterFirstPage : public TProgress {
    public:
        void Start(int) override { }
        void Step(int done) override { pages = done; }
        void Finish() override { }
        bool StopRequested() const override { return pages > 0; }
        int pages = 0;
    } stop;
    const THtmlReportResult result = WriteHtmlReport(*survey, settings, GreyJpeg, &stop);
    EXPECT_TRUE(result.Stopped);
    EXPECT_TRUE(result.Error.isEmpty());
    EXPECT_EQ(stop.pages, 1);
    EXPECT_EQ(
        QDir(settings.Directory).entryList(QDir::Files, QDir::Name), (QStringList{"cars0.htm", "cars0.jpg"}));
    EXPECT_EQ(result.Files.size(), 2);
}

TEST_F(THtmlReport, JpegChartsAreReadByAnIndependentDecoder)
{
    if (!QFileInfo::exists("/usr/bin/identify"))
        GTEST_SKIP() << "ImageMagick is not installed (scripts/setup installs it)";
    ASSERT_TRUE(WriteHtmlReport(*survey, settings, GreyJpeg).Error.isEmpty());
    QProcess identify;
    identify.start(
        "/usr/bin/identify", {"-format", "%m %w %h\n", QDir(settings.Directory).filePath("cars0.jpg")});
    ASSERT_TRUE(identify.waitForFinished(60000));
    EXPECT_EQ(identify.readAllStandardOutput(), "JPEG 64 32\n");
}

TEST_F(THtmlReport, AnswersAreEscapedAndVerboseLinesBroken)
{
    ASSERT_TRUE(WriteHtmlReport(*survey, settings, GreyJpeg).Error.isEmpty());
    const QString colour = Page("cars0.htm");
    EXPECT_TRUE(colour.contains(
        "<P><HR><B>Other Responses:</B><HR>\r\n&lt;script&gt;alert(1)&lt;/script&gt;<BR>\r\n"));
    EXPECT_FALSE(colour.contains("<script>"));
    EXPECT_TRUE(colour.contains("<P><HR><B>Additional Comments:</B><HR>\r\nfine<BR>\r\n"));
    EXPECT_TRUE(Page("cars3.htm").contains("<HR>\r\nline one<br>line two<HR>\r\n"));
    EXPECT_TRUE(Page("cars5.htm").contains("Café, &quot;Nord&quot;<BR>\r\n"));
}

TEST_F(THtmlReport, FilterShownOnTheIndexAndAppliedToTheAnswers)
{
    settings.FilterExpression = "ORV1 = \"1\"";
    settings.FilterConditions = QStringList{"Colour? is Green", "a < b"};
    ASSERT_TRUE(WriteHtmlReport(*survey, settings, GreyJpeg).Error.isEmpty());
    EXPECT_TRUE(
        Page("cars.htm")
            .contains(
                "<br><B>Active Filter:</B><br>\r\nColour? is Green <B>and</B> \r\na &lt; b \r\n<hr>\r\n"));
    EXPECT_FALSE(Page("cars0.htm").contains("alert")) << "the second record does not pass the filter";
}

TEST_F(THtmlReport, SingleQuestionPageHasNoNavigation)
{
    const THtmlReportResult result = WriteHtmlQuestionPage(*survey, 2, settings, GreyJpeg);
    ASSERT_TRUE(result.Error.isEmpty());
    EXPECT_EQ(result.OpenFile, QDir(settings.Directory).filePath("cars2.htm"));
    const QString page = Page("cars2.htm");
    EXPECT_TRUE(page.contains("-1\">\r\n<p>\r\n<B>2) Drinks?</B><p>\r\n"));
    EXPECT_FALSE(page.contains("Previous"));
}

TEST_F(THtmlReport, MissingDirectoryEndsTheReportWithTheError)
{
    settings.Directory = dir.filePath("gone");
    const THtmlReportResult result = WriteHtmlReport(*survey, settings, GreyJpeg);
    EXPECT_FALSE(result.Error.isEmpty());
    EXPECT_TRUE(result.Files.isEmpty());
}

} // namespace
