#include "support/scriptedseams.h"
#include "gui/analysis/analysisview.h"
#include "gui/analysis/chart.h"
#include "gui/analysis/charttool.h"
#include "gui/analysis/officehandover.h"
#include "core/base/inisettings.h"
#include "core/responses/responsefields.h"
#include "core/responses/responsetable.h"
#include "core/survey/survey.h"
#include "xbase/table.h"

#include <QAbstractSeries>
#include <QAction>
#include <QApplication>
#include <QChart>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStackedWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using TAnswers = QMap<QString, QString>;

class AnalysisViewTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TScriptedSeams> seams_;
    std::unique_ptr<TSurvey> survey_;
    std::unique_ptr<TResponseTable> table_;
    std::unique_ptr<TAnalysisState> state_;
    std::unique_ptr<QComboBox> combo_;
    std::unique_ptr<TORVAnalysisView> view_;

    int AddQuestion(int id, int style, const QString& options, bool other, bool comment, int length = 40)
    {
        const int index = survey_->AddQuestion(
            QStringLiteral("Question %1").arg(id), style, options, length, other, 40, comment, 40, 1, 5, 1);
        survey_->GetQuestion(index).ID = id;
        return index;
    }
    void Append(const TAnswers& answers)
    {
        xbase::TTable& t = table_->Table();
        QVERIFY(t.Append().ok());
        for (auto it = answers.begin(); it != answers.end(); ++it)
            QVERIFY2(t.AssignField(it.key(), it.value()).ok(), qPrintable(t.LastError()));
        QVERIFY(t.Commit().ok());
    }
    void Select(int item) { combo_->setCurrentIndex(combo_->findData(item)); }
    int Rows(QAbstractItemView* view) const { return view->model()->rowCount(); }
    QStringList PointLabels() const
    {
        QStringList labels;
        for (const TChartPoint& p : view_->chartMain->Data().Points)
            labels << p.Label;
        return labels;
    }

private Q_SLOTS:
    void init()
    {
        SetAppSettings(std::make_unique<TMemorySettings>());
        dir_ = std::make_unique<QTemporaryDir>();
        seams_ = std::make_unique<TScriptedSeams>();
        survey_ = std::make_unique<TSurvey>();
        survey_->NewSurvey();
        AddQuestion(1, qsSingleSelect, "Tea,Coffee,Water", true, true);
        AddQuestion(2, qsMultipleSelect, "Milk,Sugar", true, false);
        AddQuestion(3, qsFreeFormText, {}, false, false, -1);
        AddQuestion(4, qsFreeFormText, {}, false, false, 40);
        AddQuestion(5, qsNumericValue, {}, false, false);
        table_ = std::make_unique<TResponseTable>();
        TResponseTable::TCreateFailure failure;
        QCOMPARE(
            table_->CreateAt(dir_->filePath("t.dbf"), ResponseTableFields(*survey_), failure), QString());
        Append({{"ORV1", "0"}, {"ORV1CM", "nice"}, {"ORV2_0", "Y"}, {"ORV3", "long text one"},
            {"ORV4", "short a"}, {"ORV5", "4"}});
        Append({{"ORV1", "Oth"}, {"ORV1OT", "Juice"}, {"ORV1CM", "hmm"}, {"ORV2_1", "Y"}, {"ORV5", "3"}});
        Append(
            {{"ORV1", "Oth"}, {"ORV1OT", "Lemonade"}, {"ORV1CM", "ok"}, {"ORV4", "short b"}, {"ORV5", "5"}});
        Append({{"ORV1", "1"}, {"ORV3", "text four"}});
        state_ = std::make_unique<TAnalysisState>();
        combo_ = std::make_unique<QComboBox>();
        for (int i = 0; i < survey_->QuestionCount(); ++i)
            combo_->addItem(survey_->GetQuestion(i).Text, i);
        combo_->setCurrentIndex(-1);
        view_ = std::make_unique<TORVAnalysisView>(*survey_, *table_, *state_);
        view_->SetQuestionList(combo_.get());
        view_->resize(800, 500);
        view_->show();
        view_->Reanalyze();
        survey_->SetModified(false);
    }
    void cleanup()
    {
        view_.reset();
        combo_.reset();
        state_.reset();
        table_.reset();
        survey_.reset();
        seams_.reset();
        dir_.reset();
    }

    // Each style shows its page; the comments button only where the question has comments.
    void questionClickPerStyle_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("comments");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<int>("rows");
        QTest::newRow("single") << 0 << int(TORVAnalysisView::pgGraph) << true << "Type: Single Choice" << 0;
        QTest::newRow("multiple") << 1 << int(TORVAnalysisView::pgGraph) << false << "Type: Multiple Choice"
                                  << 0;
        QTest::newRow("verbose") << 2 << int(TORVAnalysisView::pgDetail) << false << "Type: Text" << 2;
        QTest::newRow("limited") << 3 << int(TORVAnalysisView::pgShortText) << false << "Type: Text" << 2;
        QTest::newRow("numeric") << 4 << int(TORVAnalysisView::pgGraph) << false
                                 << "Type: Numeric Value\r\nAverage:     4" << 0;
    }
    void questionClickPerStyle()
    {
        QFETCH(int, item);
        QFETCH(int, page);
        QFETCH(bool, comments);
        QFETCH(QString, firstLine);
        QFETCH(int, rows);
        Select(item);
        QCOMPARE(view_->nbAnalysis->currentIndex(), page);
        QCOMPARE(view_->btnViewComments->isVisible(), comments);
        QCOMPARE(view_->chartMain->Data().Title, firstLine + "\r\nQuestion " + QString::number(item + 1));
        if (page == TORVAnalysisView::pgDetail)
            QCOMPARE(Rows(view_->dbgMemo), rows);
        if (page == TORVAnalysisView::pgShortText)
            QCOMPARE(Rows(view_->dbgShortText), rows);
        QCOMPARE(view_->miCopyBitmap->isEnabled(), page == TORVAnalysisView::pgGraph);
        QCOMPARE(view_->miCopyText->isEnabled(), page != TORVAnalysisView::pgGraph);
    }

    void zeroCountsOnlyForNumericRanges()
    {
        Select(0);
        QCOMPARE(PointLabels(), QStringList({"Tea", "Coffee", "Other"})); // Water has no answer
        Select(4);
        QCOMPARE(PointLabels(), QStringList({"1 to 2", "3 to 4", "5 to 5"}));
        QCOMPARE(view_->chartMain->Data().Points[0].Value, 0.0);
        QCOMPARE(view_->chartMain->Data().Points[1].Value, 2.0);
    }

    void otherRespectsTheFilterCommentsIgnoreIt()
    {
        TFilterList filter;
        QVERIFY(filter.AddNumericItem(survey_->GetQuestion(4), 0, "3"));
        state_->Filter.Assign(filter);
        view_->Reanalyze();
        Select(0);
        view_->chartMainClickSeries("Tea"); // only "Other" reacts
        QCOMPARE(view_->nbAnalysis->currentIndex(), int(TORVAnalysisView::pgGraph));
        view_->chartMainClickSeries("Other");
        QCOMPARE(view_->nbAnalysis->currentIndex(), int(TORVAnalysisView::pgShortText));
        QVERIFY(view_->pnlShortText->isVisible());
        QCOMPARE(view_->lblOtherResponses->text(), "Other Responses");
        QCOMPARE(Rows(view_->dbgShortText), 1);
        QCOMPARE(view_->dbgShortText->model()->index(0, 0).data().toString(), "Lemonade");
        QCOMPARE(view_->AnswersText(), "Lemonade\r\n" + QString(50, '-'));

        view_->btnBackToChartClick();
        QVERIFY(!view_->pnlShortText->isVisible());
        QCOMPARE(view_->nbAnalysis->currentIndex(), int(TORVAnalysisView::pgGraph));
        view_->btnViewCommentsClick();
        QCOMPARE(view_->lblOtherResponses->text(), "Comments");
        QCOMPARE(Rows(view_->dbgShortText), 3);
        QVERIFY(!view_->btnViewComments->isVisible());
    }

    void toolboxLoadsWithoutModifyingAndStoresUserChanges()
    {
        TORVChartTool tool;
        view_->SetChartTool(&tool);
        survey_->SetChartOptions(0, ctPie, true, 2, true, 3, 90);
        survey_->SetModified(false);
        Select(0);
        QCOMPARE(tool.cmbChartType->currentIndex(), int(ctPie));
        QCOMPARE(tool.tbRotation->value(), 90);
        QVERIFY(tool.tbRotation->isEnabled());
        QVERIFY(!survey_->Modified());
        QCOMPARE(view_->chartMain->chart()->series().first()->type(), QAbstractSeries::SeriesTypePie);

        QSignalSpy changed(view_.get(), &TORVAnalysisView::SurveyChanged);
        tool.cmbChartType->setCurrentIndex(ctHorizontalBar);
        QVERIFY(survey_->Modified());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(survey_->GetQuestion(0).ChartType, int(ctHorizontalBar));
        QVERIFY(!tool.tbRotation->isEnabled());
        QCOMPARE(view_->chartMain->chart()->series().first()->type(),
            QAbstractSeries::SeriesTypeHorizontalStackedBar);

        seams_->messages->Script(TAnswer::Yes);
        tool.btnApplyToAll->click();
        for (int i = 0; i < survey_->QuestionCount(); ++i)
            QCOMPARE(survey_->GetQuestion(i).ChartType, int(ctHorizontalBar));
    }

    void toolboxKeepsItsPosition()
    {
        {
            TORVChartTool tool;
            tool.move(123, 45);
        }
        QCOMPARE(AppSettings().ReadInteger("Chart Toolbox", "Top", -200), 45);
        QCOMPARE(AppSettings().ReadInteger("Chart Toolbox", "Left", -200), 123);
        TORVChartTool again;
        again.PlaceBeside(view_.get());
        QCOMPARE(again.pos(), QPoint(123, 45));
    }

    void rawDeleteRetallies()
    {
        Select(0);
        seams_->messages->Script(TAnswer::Yes);
        view_->miRawResultsEditingClick();
        QCOMPARE(view_->nbAnalysis->currentIndex(), int(TORVAnalysisView::pgRawMode));
        QCOMPARE(Rows(view_->dbgRawMode), 4);
        view_->dbgRawMode->selectRow(1);
        view_->dbgRawMode->selectionModel()->select(
            view_->dbgRawMode->model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        seams_->messages->Script(TAnswer::Yes);
        QTest::keyRelease(view_->dbgRawMode, Qt::Key_Delete);
        QCOMPARE(seams_->messages->Texts().last(), "Are you sure you want to delete the selected record?");
        QCOMPARE(Rows(view_->dbgRawMode), 2);
        QVERIFY(view_->dbgRawMode->isEnabled());
        QCOMPARE(survey_->SRResponseCount(), 2);
        const auto counts = CountResultsOf(state_->Results, 1);
        QCOMPARE(counts[3]->Count, 0); // both "Other" answers were deleted
        QCOMPARE(counts[0]->Count, 1);
    }

    void rawEditingNeedsConfirmation()
    {
        Select(0);
        view_->miRawResultsEditingClick(); // unscripted: No
        QCOMPARE(view_->nbAnalysis->currentIndex(), int(TORVAnalysisView::pgGraph));
        QCOMPARE(seams_->messages->Texts().last(),
            "You are about to enter Raw Editing Mode. You can easily corrupt data - are you sure you want to "
            "do this?");
    }

    void exportsFillTheClipboard()
    {
        Select(0);
        view_->CopyChartBitmap();
        QVERIFY(!QApplication::clipboard()->image().isNull());
        view_->CopyChartSvg();
        const QByteArray svg = QApplication::clipboard()->mimeData()->data("image/svg+xml");
        QVERIFY(svg.contains("<svg"));
        QVERIFY(svg.contains("Coffee"));
        Select(2);
        view_->CopyText();
        const QString rule(50, '-');
        QCOMPARE(QApplication::clipboard()->text(), "long text one\r\n" + rule + "\r\ntext four\r\n" + rule);
        view_->HandOverToWordProcessor();
        QCOMPARE(seams_->messages->Texts().last(),
            "You must have a recent version of Microsoft Word running to use this feature");
    }
};

QTEST_MAIN(AnalysisViewTest)
#include "analysisview_test.moc"
