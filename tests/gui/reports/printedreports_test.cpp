// The printed reports on a PDF printer, checked as a reader of the paper would: the text through
// pdftotext, the page count, and the marks (circles are curves, squares straight lines) through
// pdftocairo's SVG.

#include "core/analysis/analyzeresults.h"
#include "core/reports/reportanswers.h"
#include "core/survey/survey.h"
#include "gui/reports/printedreports.h"
#include "gui/reports/reportpage.h"

#include <QFontMetricsF>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString Run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

void SetUpPrinter(QPrinter& printer, const QString& path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
}

int PageCount(const QString& pdf)
{
    const QString info = Run("pdfinfo", {pdf});
    const int at = info.indexOf("Pages:");
    return at < 0 ? -1 : info.mid(at + 6).section('\n', 0, 0).trimmed().toInt();
}

QString PdfText(const QString& pdf)
{
    return Run("pdftotext", {"-layout", pdf, "-"});
}

// How many curved path segments the first page draws (circles are drawn as curves).
int CurveCount(const QString& pdf)
{
    const QString svg = pdf + ".svg";
    Run("pdftocairo", {"-svg", "-f", "1", "-l", "1", pdf, svg});
    QFile file(svg);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QString text = QString::fromUtf8(file.readAll());
    // Glyphs are drawn as symbols; count curve commands outside their definitions.
    const QString body = text.mid(text.indexOf("</defs>"));
    return body.count(QRegularExpression(" C "));
}

} // namespace

class PrintedReportsTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;

    QString Pdf(const QString& name) const { return dir_.filePath(name); }

    static void AddChoice(TSurvey& s, int style, bool other, bool comment, const QString& text = "Pick one")
    {
        s.AddQuestion({text, style, "Red,Green,Blue", 0, other, 40, comment, 40, 0, 0, 0});
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (Run("pdftotext", {"-v"}).isNull() && !QFile::exists("/usr/bin/pdftotext"))
            QSKIP("poppler-utils is not installed (scripts/setup installs it)");
    }

    void wrapKeepsTheNumberWithItsText()
    {
        const auto advance = [](const QString& s) { return double(s.size()); };
        struct Case {
            QString Text;
            double Width;
            QStringList Lines;
        };
        const Case cases[] = {
            {"12) abc def ghi", 12, {"12) abc def ", " ghi"}},
            {"12) abcdefghijk", 8, {"12) abcd", "efghijk"}}, // no blank after ") ": cut at the width
            {"one\r\ntwo\rthree", 80, {"one", "two", "three"}},
            {"aaaa bbbb cccc", 7, {"aaaa ", " bbbb ", " cccc"}},
        };
        for (const Case& c : cases)
            QCOMPARE(WrapLines(c.Text, c.Width, advance), c.Lines);
    }

    void questionnaireShowsEveryItemWithItsMarks()
    {
        TSurvey s;
        s.NewSurvey();
        s.SetName("Cars");
        s.AddHeader("About you");
        AddChoice(s, qsSingleSelect, true, true, "Do you own a car?");
        s.AddQuestion({"Comments", qsFreeFormText, "", -1, false, 40, false, 40, 0, 0, 0});
        s.AddQuestion({"Age", qsNumericValue, "", 0, false, 40, false, 40, 18, 99, 1});
        s.GetQuestion(1).SkipGroupOfResponse = 0;
        s.Renumber();
        QPrinter printer(QPrinter::HighResolution);
        SetUpPrinter(printer, Pdf("q.pdf"));
        PrintQuestionnaire(s, printer);
        const QString text = PdfText(Pdf("q.pdf"));
        for (const char* expected :
            {"Orvalle Report - Cars", "About you", "1) Do you own a car?", "(Choose only one)",
                "Other, please specify: ______", "Additional Comments: ______",
                "(Write in your response below)", "Please enter a numeric value between 18 and 99: _________",
                "Page 1", "Red (if you choose Red, please skip to the end of the survey)"})
            QVERIFY2(text.contains(expected), expected);
        QCOMPARE(PageCount(Pdf("q.pdf")), 1);
    }

    void squaresForMultipleSelectCirclesOtherwise()
    {
        for (int style : {qsMultipleSelect, qsSingleSelect, qsSlidingScale, qsPullDownList}) {
            TSurvey s;
            s.NewSurvey();
            AddChoice(s, style, true, true);
            s.Renumber();
            const QString pdf = Pdf(QString("marks%1.pdf").arg(style));
            QPrinter printer(QPrinter::HighResolution);
            SetUpPrinter(printer, pdf);
            PrintQuestionnaire(s, printer);
            const int curves = CurveCount(pdf);
            QVERIFY(curves >= 0);
            if (style == qsMultipleSelect)
                QCOMPARE(curves, 0);
            else
                QVERIFY2(curves >= 5 * 4, qPrintable(QString::number(curves))); // 5 circles of 4 curves
            QVERIFY(PdfText(pdf).contains(
                style == qsMultipleSelect ? "(Choose all that apply)" : "(Choose only one)"));
        }
    }

    void longQuestionnaireRunsOverPages()
    {
        TSurvey s;
        s.NewSurvey();
        for (int i = 0; i < 40; ++i)
            AddChoice(s, qsSingleSelect, false, false, QString("Question number %1").arg(i));
        s.Renumber();
        QPrinter printer(QPrinter::HighResolution);
        SetUpPrinter(printer, Pdf("long.pdf"));
        PrintQuestionnaire(s, printer);
        const int pages = PageCount(Pdf("long.pdf"));
        QVERIFY2(pages >= 4, qPrintable(QString::number(pages)));
        const QString text = PdfText(Pdf("long.pdf"));
        QVERIFY(text.contains(QString("Page %1").arg(pages)));
        QCOMPARE(text.count("Orvalle Report - "), pages);
    }

    void analysisReportHasIndexThenOnePagePerQuestion()
    {
        TSurvey s;
        s.NewSurvey();
        s.SetName("Cars");
        AddChoice(s, qsSingleSelect, false, false, "Colour?");
        s.AddHeader("Part two");
        AddChoice(s, qsMultipleSelect, false, false, "Extras?");
        s.AddQuestion({"Age", qsNumericValue, "", 0, false, 40, false, 40, 1, 9, 2});
        s.Renumber();
        TResultsList results;
        BuildEmptyTallies(s, results);
        for (const bool filtered : {false, true}) {
            TAnalysisSource source{&s, &results,
                filtered ? QStringList{"Colour? is Red", "Age > 3"} : QStringList(), nullptr, {}};
            const QString pdf = Pdf(QString("analysis%1.pdf").arg(filtered));
            {
                QPrinter printer(QPrinter::HighResolution);
                SetUpPrinter(printer, pdf);
                PrintAnalysisReport(source, printer);
            }
            QCOMPARE(PageCount(pdf), 4);
            const QString text = PdfText(pdf);
            for (const char* expected :
                {"Orvalle Analysis Report - Cars", "Questions", "1) Colour? [Single Choice]",
                    "2) Extras? [Multiple Choice]", "3) Age [Numeric]", "Part two"})
                QVERIFY2(text.contains(expected), expected);
            QCOMPARE(text.contains("Active Filter: Colour? is Red and Age > 3"), filtered);
            QCOMPARE(text.contains("Active Filter"), filtered);
        }
        QPrinter printer(QPrinter::HighResolution);
        TAnalysisSource source{&s, &results, {}, nullptr, {}};
        SetUpPrinter(printer, Pdf("one.pdf"));
        PrintQuestionAnalysis(source, 2, printer);
        QCOMPARE(PageCount(Pdf("one.pdf")), 1);
        QVERIFY(PdfText(Pdf("one.pdf")).contains("Orvalle Analysis Report - Cars, Question #2"));
    }
};

QTEST_MAIN(PrintedReportsTest)
#include "printedreports_test.moc"
