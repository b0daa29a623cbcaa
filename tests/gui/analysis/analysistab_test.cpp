// The analysis tab inside the real main window: tallies after an import and after loading a
// survey with responses, the filter builder's OK, the chart toolbox. With ORVALLE_SCREENSHOT_DIR
// set (and a survey with responses in ORVALLE_SCREENSHOT_SURVEY) it also writes the screenshots
// of docs/screenshots.
#include "core/base/settingstable.h"
#include "core/survey/survey.h"
#include "gui/analysis/analysisview.h"
#include "gui/analysis/chart.h"
#include "gui/analysis/charttool.h"
#include "gui/analysis/filterbuilder.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/responses/responsecommands.h"
#include "support/questionfields.h"
#include "support/scriptedseams.h"
#include "support/testhome.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// Runs `act` on the next modal dialog; a watchdog rejects it so that a failing test cannot hang.
void WhenModal(std::function<void(QDialog*)> act)
{
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        act(dialog);
    });
    poll->start();
    QTimer::singleShot(5000, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
}

} // namespace

class AnalysisTabTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TTestHome> home_;

    QString Home(const QString& relative) const { return home_->path() + QLatin1Char('/') + relative; }

    QString MakeSurvey() const
    {
        TSurvey s;
        s.NewSurvey();
        s.SetName(QStringLiteral("Poll"));
        s.SetUniqueName(QStringLiteral("S260101120000"));
        s.SetHTMLStatus(QStringLiteral("HTML file generated"));
        AddQuestionFields(s, "Colour?", qsSingleSelect, "Red,Blue", 0, true, 40, false, 40, 0, 0, 0);
        AddQuestionFields(s, "Age", qsNumericValue, {}, 0, false, 40, false, 40, 0, 100, 24);
        QDir().mkpath(Home(QStringLiteral("surveys")));
        s.SaveAs(Home(QStringLiteral("surveys/poll.orv")));
        return s.FileName();
    }
    QString WriteData() const
    {
        QFile f(Home(QStringLiteral("in.dat")));
        f.open(QIODevice::WriteOnly);
        f.write("<DATA>\r\nRemoteAddr=10.0.0.1,orv1=0,orv2=30\r\nRemoteAddr=10.0.0.2,orv1=1,orv2=40\r\n"
                "RemoteAddr=10.0.0.3,orv1=Other,orv1Other=Green,orv2=50\r\n</DATA>\r\n");
        return f.fileName();
    }
    static TORVAnalysisView* View(TORVMainForm& w) { return w.findChild<TORVAnalysisView*>(); }
    static QStringList Labels(TORVMainForm& w)
    {
        QStringList labels;
        for (const TChartPoint& p : View(w)->chartMain->Data().Points)
            labels << QStringLiteral("%1=%2").arg(p.Label).arg(p.Value);
        return labels;
    }

private Q_SLOTS:
    void init() { home_ = std::make_unique<TTestHome>(); }
    void cleanup() { home_.reset(); }

    void talliesFollowImportLoadAndFilter()
    {
        const QString path = MakeSurvey();
        {
            TORVMainForm w(path);
            AttachResponseCommands(w);
            home_->seams.files->Script(WriteData());
            w.Command(cmd::ImportServerDataFile)->trigger();
            QCOMPARE(w.AnalysisQuestionList()->currentIndex(), 0);
            QCOMPARE(Labels(w), QStringList({"Red=1", "Blue=1", "Other=1"}));
            QVERIFY(w.Command(cmd::SetFilterOptions)->isEnabled());

            WhenModal([](QDialog* d) {
                auto* b = qobject_cast<TORVFilterBuilder*>(d);
                b->cmbQList->setCurrentIndex(1);
                Q_EMIT b->cmbQList->activated(1);
                b->cmbNumericOperators->setCurrentIndex(0);
                QTest::keyClicks(b->eNumeric, "35");
                b->btnAddToFilter->click();
                b->btnOK->click();
            });
            w.Command(cmd::SetFilterOptions)->trigger();
            QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblCurrentFilter"))->text(), "Filter: ORV2>35");
            QCOMPARE(Labels(w), QStringList({"Blue=1", "Other=1"}));
            w.AnalysisQuestionList()->setCurrentIndex(1);
            QCOMPARE(Labels(w),
                QStringList({"0 to 24=0", "25 to 49=1", "50 to 74=1", "75 to 99=0", "100 to 100=0"}));
            QVERIFY(View(w)->chartMain->Data().Title.contains("Average:    45"));
            w.Survey().Save();
        }
        // A survey loaded with its table is tallied at once, without the previous filter.
        TORVMainForm again(path);
        AttachResponseCommands(again);
        QCOMPARE(again.findChild<QLabel*>(QStringLiteral("lblCurrentFilter"))->text(), "Filter: None");
        QCOMPARE(Labels(again), QStringList({"Red=1", "Blue=1", "Other=1"}));
    }

    void screenshots()
    {
        const QString dir = qEnvironmentVariable("ORVALLE_SCREENSHOT_DIR");
        const QString survey = qEnvironmentVariable("ORVALLE_SCREENSHOT_SURVEY");
        if (dir.isEmpty() || survey.isEmpty())
            QSKIP("ORVALLE_SCREENSHOT_DIR and ORVALLE_SCREENSHOT_SURVEY not set");
        TORVMainForm w(survey);
        AttachResponseCommands(w);
        w.resize(1100, 720);
        w.show();
        w.findChild<QTabWidget*>()->setCurrentIndex(1);
        auto shoot = [&](const QString& name) {
            QTest::qWait(300);
            QVERIFY(w.grab().save(dir + "/" + name));
        };
        auto choose = [&](int id) {
            for (int i = 0; i < w.AnalysisQuestionList()->count(); ++i) {
                if (w.Survey().GetQuestion(w.AnalysisQuestionList()->itemData(i).toInt()).ID == id)
                    w.AnalysisQuestionList()->setCurrentIndex(i);
            }
        };
        auto* tool = w.findChild<TORVChartTool*>();
        choose(2);
        tool->LoadStyle(View(w)->CurrentStyle());
        tool->cmbChartType->setCurrentIndex(ctBar);
        tool->cmbMarks->setCurrentIndex(0);
        shoot("analysis-choice-bar.png");
        tool->cmbChartType->setCurrentIndex(ctPie);
        tool->cmbMarks->setCurrentIndex(3);
        shoot("analysis-choice-pie.png");
        choose(8);
        tool->LoadStyle(View(w)->CurrentStyle());
        tool->cmbChartType->setCurrentIndex(ctBar);
        tool->cmbMarks->setCurrentIndex(0);
        shoot("analysis-numeric.png");
        choose(10);
        shoot("analysis-text.png");
        choose(2);
        View(w)->chartMainClickSeries("Other");
        shoot("analysis-other-answers.png");

        auto byID = [&](int id) -> const TQuestion& {
            for (int i = 0; i < w.Survey().QuestionCount(); ++i) {
                if (w.Survey().GetQuestion(i).ID == id)
                    return w.Survey().GetQuestion(i);
            }
            return w.Survey().GetQuestion(0);
        };
        TFilterList filter;
        filter.AddChoiceItem(byID(3), true, 0);
        filter.AddNumericItem(byID(8), 0, "10");
        std::vector<TQuestionEntry> entries;
        for (int i = 0; i < w.AnalysisQuestionList()->count(); ++i)
            entries.push_back(
                {w.AnalysisQuestionList()->itemText(i), w.AnalysisQuestionList()->itemData(i).toInt()});
        TORVFilterBuilder builder(w.Survey(), entries, filter, &w);
        builder.show();
        builder.cmbQList->setCurrentIndex(1);
        Q_EMIT builder.cmbQList->activated(1);
        builder.rbDidNotSelect->setChecked(true);
        builder.lbResponses->setCurrentRow(0);
        QTest::qWait(300);
        QVERIFY(builder.grab().save(dir + "/filter-builder.png"));
        w.Survey().SetModified(false);
    }
};

QTEST_MAIN(AnalysisTabTest)
#include "analysistab_test.moc"
