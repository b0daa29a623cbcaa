// The report, import and export commands of the main window, driven through the scripted seams
// and a print chooser that prints to PDF.

#include "core/base/settingstable.h"
#include "core/survey/survey.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/reports/destination.h"
#include "gui/reports/importsurvey.h"
#include "gui/reports/rangeselect.h"
#include "gui/reports/reportcommands.h"
#include "gui/responses/responsecommands.h"
#include "support/modaldriver.h"
#include "support/scriptedseams.h"
#include "support/testhome.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

class TPdfChooser : public TPrintChooser {
public:
    explicit TPdfChooser(QString path)
        : path_(std::move(path))
    {
    }
    bool Choose(QPrinter& printer, bool offerSelection, bool& selectionOnly) override
    {
        offered = offerSelection;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path_);
        selectionOnly = false;
        return true;
    }
    void Print(QPrinter& printer, const std::function<void(QPrinter&)>& paint) override { paint(printer); }
    bool offered = false;

private:
    QString path_;
};

QString PdfText(const QString& pdf)
{
    QProcess p;
    p.start("pdftotext", {pdf, "-"});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class ReportCommandsTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TTestHome> home_;

    QString Home(const QString& relative) const { return home_->path() + QLatin1Char('/') + relative; }

    QString WriteFile(const QString& relative, const QByteArray& bytes) const
    {
        QFile f(Home(relative));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }

    // A saved survey with two responses merged into its table.
    QString SurveyWithResponses(TORVMainForm& w)
    {
        TSurvey s;
        s.NewSurvey();
        s.SetName("Poll");
        s.SetUniqueName("S260101120000");
        s.SetHTMLStatus("HTML file generated");
        s.AddQuestion({"Colour?", qsSingleSelect, "Red,Blue", 0, true, 40, false, 40, 0, 0, 0});
        s.AddQuestion({"Why?", qsFreeFormText, "", -1, false, 40, false, 40, 0, 0, 0});
        QDir().mkpath(Home("surveys"));
        s.SaveAs(Home("surveys/poll.orv"));
        w.Reopen(s.FileName());
        home_->seams.files->Script(WriteFile("in.dat",
            "RemoteAddr=10.0.0.1,orv1=0,\"orv2=Because <b>bold</b>\"\r\n"
            "RemoteAddr=10.0.0.2,orv1=Other,\"orv1Other=<script>x</script>\"\r\n"));
        w.Command(cmd::ImportServerDataFile)->trigger();
        home_->seams.messages->shown.clear();
        home_->seams.files->requests.clear();
        return s.FileName();
    }

private Q_SLOTS:
    void init() { home_ = std::make_unique<TTestHome>(); }

    void cleanup() { home_.reset(); }

    void exportsWriteTheFileAndOpenTheMapping()
    {
        TORVMainForm w;
        AttachResponseCommands(w);
        AttachReportCommands(w);
        SurveyWithResponses(w);
        QVERIFY(w.Command(cmd::FileExport)->isEnabled());

        home_->seams.files->Script(Home("surveys/results"));
        w.Command(cmd::ExportCSV)->trigger();
        const TFileDialogRequest& asked = home_->seams.files->requests.at(0);
        QCOMPARE(asked.Title, QString("Export Responses"));
        QCOMPARE(asked.FileName, QString("poll.csv"));
        QCOMPARE(home_->seams.messages->Texts(),
            (QStringList{
                "Please note that Verbose Text Response Questions are not included when using CSV files "
                "due to limitations in the file format.",
                "The responses for this survey have been generated and saved in the Comma Seperated Values "
                "(CSV) "
                "file named "
                    + Home("surveys/results.csv")
                    + ".  A text file containing field mapping information will now "
                      "be generated."}));
        QCOMPARE(home_->seams.shell->opened, QStringList{Home("surveys/results.txt")});

        // A failed copy is an error box; no success box, no mapping file opened.
        home_->seams.messages->shown.clear();
        home_->seams.files->Script(Home("gone/results.dbf"));
        w.Command(cmd::ExportFoxPro)->trigger();
        QCOMPARE(home_->seams.messages->Captions(), QStringList{"Error"});
        QCOMPARE(home_->seams.shell->opened.size(), 1);

        home_->seams.files->Script(Home("surveys/results.xlsx"));
        w.Command(cmd::ExportExcel)->trigger();
        QVERIFY(QFile::exists(Home("surveys/results.xlsx")));
        QCOMPARE(home_->seams.shell->opened.size(), 1);
    }

    void importBuildsANewSurveyInTheChosenStyle()
    {
        TORVMainForm w;
        AttachResponseCommands(w);
        AttachReportCommands(w);
        const QString text
            = WriteFile("q.txt", "1. Do you own a car?\r\n Yes\r\n No\r\nH) Part two\r\n2. Age?\r\n");
        home_->seams.files->Script(text);
        WhenModal([](QDialog* d) {
            auto* dialog = qobject_cast<TORVImportSurvey*>(d);
            QVERIFY(dialog);
            QCOMPARE(dialog->cmbStyle->count(), 4);
            dialog->cmbStyle->setCurrentIndex(3);
            dialog->accept();
        });
        w.Command(cmd::ImportQuestions)->trigger();
        QCOMPARE(home_->seams.files->requests.at(0).Title, QString("Select File to Import"));
        QCOMPARE(home_->seams.messages->Texts(), QStringList{"Import complete!"});
        QCOMPARE(w.Survey().QuestionCount(), 3);
        QCOMPARE(w.Survey().GetQuestion(0).Style, int(qsPullDownList));
        QCOMPARE(w.Survey().GetQuestion(0).OptionList(), (QStringList{"Yes", "No"}));
        QVERIFY(!w.Survey().HasFile());
    }

    void printQuestionnaireOnTheQuestionsTab()
    {
        TORVMainForm w;
        AttachResponseCommands(w);
        AttachReportCommands(w);
        w.Survey().AddQuestion({"Colour?", qsMultipleSelect, "Red,Blue", 0, false, 40, false, 40, 0, 0, 0});
        w.Survey().SetName("Poll");
        w.RefreshQuestionList();
        w.CheckForButtons();
        QVERIFY(w.Command(cmd::FilePrint)->isEnabled());
        auto* chooser = new TPdfChooser(Home("q.pdf"));
        auto old = SetPrintChooser(std::unique_ptr<TPrintChooser>(chooser));
        w.Command(cmd::FilePrint)->trigger();
        QVERIFY(!chooser->offered);
        const QString text = PdfText(Home("q.pdf"));
        QVERIFY(text.contains("Orvalle Report - Poll"));
        QVERIFY(text.contains("1) Colour?"));
        SetPrintChooser(std::move(old));
    }

    void destinationEnablesTheDirectoryForWebPagesOnly()
    {
        TORVDestination d{QString()};
        QVERIFY(d.rbPrinter->isChecked());
        QVERIFY(!d.eDirectory->isEnabled());
        QVERIFY(d.btnOK->isEnabled());
        d.rbWebPage->setChecked(true);
        QVERIFY(d.eDirectory->isEnabled());
        QVERIFY(!d.btnOK->isEnabled());
        d.eDirectory->setText("/tmp/x");
        QVERIFY(d.btnOK->isEnabled());
        TORVRangeSelect r;
        QVERIFY(r.rbAll->isChecked());
        QVERIFY(!r.SelectedOnly());
        QVERIFY(r.rbSelected->isEnabled());
        TORVRangeSelect nothingSelected(nullptr, false); // no question to choose
        QVERIFY(!nothingSelected.rbSelected->isEnabled());
        QVERIFY(!nothingSelected.SelectedOnly());
    }

    void analysisTabWritesTheWebReport()
    {
        TORVMainForm w;
        AttachResponseCommands(w);
        AttachReportCommands(w);
        SurveyWithResponses(w);
        w.findChild<QTabWidget*>(QStringLiteral("pcMain"))->setCurrentIndex(1);
        const QString web = Home("web");
        QDir().mkpath(web);
        WhenModal([web](QDialog* d) {
            auto* destination = qobject_cast<TORVDestination*>(d);
            QVERIFY(destination);
            destination->rbWebPage->setChecked(true);
            destination->eDirectory->setText(web);
            WhenModal([](QDialog* next) {
                QVERIFY(qobject_cast<TORVRangeSelect*>(next));
                next->accept();
            });
            destination->accept();
        });
        w.Command(cmd::FilePrint)->trigger();
        QCOMPARE(home_->seams.shell->opened, QStringList{web + "/poll" + w.HtmlExtension()});
        QCOMPARE(w.PathForWebOutput(), web);
        QVERIFY(QFile::exists(web + "/poll0.jpg"));
        QFile page(web + "/poll1" + w.HtmlExtension());
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QByteArray html = page.readAll();
        QVERIFY(html.contains("Because &lt;b&gt;bold&lt;/b&gt;"));
        QFile other(web + "/poll0" + w.HtmlExtension());
        QVERIFY(other.open(QIODevice::ReadOnly));
        QVERIFY(other.readAll().contains("&lt;script&gt;x&lt;/script&gt;<BR>"));
    }
};

QTEST_MAIN(ReportCommandsTest)
#include "reportcommands_test.moc"
