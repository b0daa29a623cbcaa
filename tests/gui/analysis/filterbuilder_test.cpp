#include "support/scriptedseams.h"
#include "gui/analysis/filterbuilder.h"
#include "core/base/inisettings.h"
#include "core/survey/survey.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>

class FilterBuilderTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TScriptedSeams> seams_;
    std::unique_ptr<TSurvey> survey_;
    std::vector<TQuestionEntry> entries_;

    std::unique_ptr<TORVFilterBuilder> Open(const TFilterList& active = {})
    {
        auto builder = std::make_unique<TORVFilterBuilder>(*survey_, entries_, active);
        builder->show();
        return builder;
    }
    static void Choose(TORVFilterBuilder& b, int entry)
    {
        b.cmbQList->setCurrentIndex(entry);
        Q_EMIT b.cmbQList->activated(entry);
    }

private Q_SLOTS:
    void init()
    {
        SetAppSettings(std::make_unique<TMemorySettings>());
        seams_ = std::make_unique<TScriptedSeams>();
        survey_ = std::make_unique<TSurvey>();
        survey_->NewSurvey();
        survey_->AddQuestion("Drink?", qsSingleSelect, "Tea,Show~Coffee", 0, true, 40, false, 40, 0, 0, 1);
        survey_->AddHeader("Part two");
        survey_->AddQuestion("Remarks", qsFreeFormText, {}, 80, false, 40, false, 40, 0, 0, 1);
        survey_->AddQuestion("Age", qsNumericValue, {}, 0, false, 40, false, 40, 0, 120, 1);
        entries_ = {{"1) Drink?", 0}, {"2) Remarks", 2}, {"3) Age", 3}};
    }
    void cleanup()
    {
        survey_.reset();
        seams_.reset();
    }

    void opensOnTheFirstQuestionWithTheActiveFilter()
    {
        TFilterList active;
        active.AddNumericItem(survey_->GetQuestion(3), 0, "18");
        auto b = Open(active);
        QCOMPARE(b->windowTitle(), "Filter Builder");
        QCOMPARE(b->cmbQList->currentIndex(), 0);
        QCOMPARE(b->nbStyles->currentIndex(), int(TORVFilterBuilder::pgSelectList));
        QCOMPARE(b->lbResponses->count(), 2); // options as stored, no Other entry
        QCOMPARE(b->lbResponses->item(1)->text(), "Show~Coffee");
        QCOMPARE(b->lbCurrentFilter->count(), 1);
        QVERIFY(!b->btnAddToFilter->isEnabled());
        QVERIFY(!b->btnRemoveFilter->isEnabled());
        QVERIFY(b->btnClearAll->isEnabled());
        QVERIFY(b->btnOK->isDefault());
    }

    void choiceConditionsByButtonAndDoubleClick()
    {
        auto b = Open();
        b->lbResponses->setCurrentRow(1);
        QVERIFY(b->btnAddToFilter->isEnabled());
        b->btnAddToFilter->click();
        b->rbDidNotSelect->setChecked(true);
        b->lbResponses->setCurrentRow(0);
        Q_EMIT b->lbResponses->itemDoubleClicked(b->lbResponses->item(0));
        QCOMPARE(b->Filter().Expressions(), QStringList({R"(ORV1="1")", R"(ORV1<>"0")"}));
        QCOMPARE(b->lbCurrentFilter->item(0)->text(), R"(Selected "Coffee" in "Drink?")");
        QCOMPARE(b->lbResponses->currentRow(), -1);
        QVERIFY(!b->btnAddToFilter->isEnabled());
        b->lbCurrentFilter->setCurrentRow(0);
        QVERIFY(b->btnRemoveFilter->isEnabled());
        b->btnRemoveFilter->click();
        QCOMPARE(b->Filter().Descriptions(), QStringList({R"(Did not select "Tea" in "Drink?")"}));
        b->btnClearAll->click();
        QCOMPARE(b->Filter().Count(), 0);
        QVERIFY(!b->btnClearAll->isEnabled());
    }

    void textConditionMakesAddTheDefault()
    {
        auto b = Open();
        Choose(*b, 1);
        QCOMPARE(b->nbStyles->currentIndex(), int(TORVFilterBuilder::pgText));
        QTest::keyClicks(b->eTextFilter, "   ");
        QVERIFY(!b->btnAddToFilter->isEnabled());
        b->cmbTextOperators->setCurrentIndex(1);
        QTest::keyClicks(b->eTextFilter, "abc");
        QVERIFY(b->btnAddToFilter->isEnabled());
        QVERIFY(b->btnAddToFilter->isDefault());
        b->btnAddToFilter->click();
        QCOMPARE(b->Filter().Expressions(), QStringList({"RAT( \"   ABC\", UPPER( ORV3 ) ) = 0"}));
        QVERIFY(b->eTextFilter->text().isEmpty());
        QVERIFY(b->btnOK->isDefault());
    }

    void numericValueMustBeANumber()
    {
        auto b = Open();
        Choose(*b, 2);
        QCOMPARE(b->nbStyles->currentIndex(), int(TORVFilterBuilder::pgNumeric));
        b->cmbNumericOperators->setCurrentIndex(0);
        QTest::keyClicks(b->eNumeric, "5 or more");
        QVERIFY(b->btnAddToFilter->isEnabled());
        QVERIFY(b->btnOK->isDefault()); // typing a value does not move the default
        b->btnAddToFilter->click();
        QCOMPARE(b->Filter().Count(), 0);
        QCOMPARE(seams_->messages->Captions(), QStringList({"Error"}));
        b->eNumeric->setText("21");
        b->btnAddToFilter->click();
        QCOMPARE(b->Filter().Expressions(), QStringList({"ORV4>21"}));
        QVERIFY(b->eNumeric->text().isEmpty());
    }

    void refusedByTheEngineIsNotAdded()
    {
        auto b = Open();
        b->SetValidator([](const QString& expression) {
            return expression.size() > 10 ? QStringLiteral("The filter is too long") : QString();
        });
        Choose(*b, 2);
        b->cmbNumericOperators->setCurrentIndex(2);
        QTest::keyClicks(b->eNumeric, "1");
        b->btnAddToFilter->click();
        QTest::keyClicks(b->eNumeric, "2");
        b->btnAddToFilter->click();
        QCOMPARE(b->Filter().Expressions(), QStringList({"ORV4=1"}));
        QVERIFY(seams_->messages->Texts().last().endsWith("The filter is too long"));
    }
};

QTEST_MAIN(FilterBuilderTest)
#include "filterbuilder_test.moc"
