// The question list's editing commands, run through the main window's actions.
#include "core/base/inisettings.h"
#include "core/base/profilefile.h"
#include "core/base/settingstable.h"
#include "core/survey/survey.h"
#include "gui/authoring/header.h"
#include "gui/authoring/listcommands.h"
#include "gui/authoring/question.h"
#include "gui/authoring/skipgroup.h"
#include "gui/authoring/templatemgr.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/mainwindow/questionlistmodel.h"
#include "support/modaldriver.h"
#include "support/scriptedseams.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList Texts(const TSurvey& s)
{
    QStringList texts;
    for (int i = 0; i < s.QuestionCount(); ++i)
        texts.append(s.GetQuestion(i).Text);
    return texts;
}

QStringList Labels(const TSurvey& s)
{
    QStringList labels;
    for (int i = 0; i < s.QuestionCount(); ++i)
        labels.append(s.GetQuestion(i).NumberLabel);
    return labels;
}

} // namespace

class ListEditingTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> home_;
    std::unique_ptr<TScriptedSeams> seams_;
    std::unique_ptr<TORVMainForm> form_;

    TSurvey& S() { return form_->Survey(); }
    TORVListCommands* Commands() { return form_->findChild<TORVListCommands*>(); }
    QString DataDir() const { return form_->DataDirectory(); }

    void AddQuestions(int count, int style = qsSingleSelect)
    {
        for (int i = 0; i < count; ++i)
            S().AddQuestion({QStringLiteral("Q%1").arg(S().QuestionCount() + 1), style,
                QStringLiteral("Yes,No,Maybe"), -1, false, 40, false, 40, 1, 10, 10});
        form_->RefreshQuestionList();
        form_->CheckForButtons();
    }
    void Select(const std::vector<int>& rows)
    {
        form_->SelectRows(rows);
        form_->CheckForButtons();
    }

private Q_SLOTS:
    void init()
    {
        home_ = std::make_unique<QTemporaryDir>();
        qputenv("HOME", home_->path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (home_->path() + "/config").toUtf8());
        qputenv("XDG_DATA_HOME", (home_->path() + "/data").toUtf8());
        SetAppSettings(std::make_unique<TMemorySettings>());
        AppSettings().WriteString(
            settings::ApplicationDetails, settings::DataDirectory, home_->path() + "/data/orvalle/");
        AppSettings().WriteBool(settings::Preferences, settings::TipAtStartup, false);
        seams_ = std::make_unique<TScriptedSeams>();
        form_ = std::make_unique<TORVMainForm>();
    }
    void cleanup()
    {
        form_.reset();
        seams_.reset();
        SetAppSettings(nullptr);
        home_.reset();
    }

    void addQuestionGoesAfterTheOneSelectedRow()
    {
        AddQuestions(3);
        Select({0});
        WhenModal([](QDialog* d) {
            auto* editor = qobject_cast<TORVQuestion*>(d);
            QVERIFY(editor);
            QVERIFY(editor->memoText->toPlainText().isEmpty());
            editor->memoText->setPlainText(QStringLiteral("New"));
            editor->memoResponses->setPlainText(QStringLiteral("a\nb c\n"));
            editor->eOtherLength->setText(QStringLiteral("x"));
            editor->btnOK->click();
        });
        form_->Command(cmd::AddQuestion)->trigger();
        QCOMPARE(Texts(S()), QStringList({"Q1", "New", "Q2", "Q3"}));
        const TQuestion& q = S().GetQuestion(1);
        QCOMPARE(q.OptionList(), QStringList({"a", "b c"}));
        QCOMPARE(q.OtherLength, 40);
        QCOMPARE(q.LengthOfResponse, -1);
        QCOMPARE(form_->SelectedRows(), std::vector<int>({1}));

        Select({0, 2}); // several rows: appended
        WhenModal([](QDialog* d) {
            auto* editor = qobject_cast<TORVHeader*>(d);
            QVERIFY(editor);
            editor->memoText->setPlainText(QStringLiteral("Part two"));
            editor->btnOK->click();
        });
        form_->Command(cmd::AddHeader)->trigger();
        QCOMPARE(S().GetQuestion(4).Style, int(qsHeader));
        QCOMPARE(form_->SelectedRows(), std::vector<int>({4}));

        Select({});
        WhenModal([](QDialog* d) { d->reject(); });
        form_->Command(cmd::AddQuestion)->trigger();
        QCOMPARE(S().QuestionCount(), 5);
    }

    void editReplacesTheFocusedItem()
    {
        AddQuestions(2);
        S().AddHeader(QStringLiteral("H"));
        S().GetQuestion(1).IncludeComment = true;
        S().GetQuestion(1).CommentLength = 20;
        form_->RefreshQuestionList();
        Select({1});
        bool filled = false;
        WhenModal([&](QDialog* d) {
            auto* editor = qobject_cast<TORVQuestion*>(d);
            QVERIFY(editor);
            filled = editor->memoText->toPlainText() == "Q2" && editor->cbIncludeComment->isChecked();
            editor->btnOK->click(); // comment length 20 is refused
            QVERIFY(editor->isVisible());
            editor->eCommentLength->setText(QStringLiteral("60"));
            editor->cmbStyle->setCurrentIndex(qsFreeFormText - 1);
            editor->rbLimited->setChecked(true);
            editor->eLengthOfResponse->setText(QStringLiteral("80"));
            editor->btnOK->click();
        });
        form_->Command(cmd::EditItem)->trigger();
        QVERIFY(filled);
        QCOMPARE(seams_->messages->Texts(), QStringList{"You must enter a value between 30 and 250"});
        QCOMPARE(S().GetQuestion(1).Style, int(qsFreeFormText));
        QCOMPARE(S().GetQuestion(1).LengthOfResponse, 80);
        QCOMPARE(S().GetQuestion(1).CommentLength, 60);
        QCOMPARE(form_->SelectedRows(), std::vector<int>({1}));

        Select({2});
        WhenModal([](QDialog* d) {
            auto* editor = qobject_cast<TORVHeader*>(d);
            QVERIFY(editor);
            QCOMPARE(editor->memoText->toPlainText(), QStringLiteral("H"));
            editor->memoText->setPlainText(QStringLiteral("Renamed"));
            editor->btnOK->click();
        });
        form_->Command(cmd::EditItem)->trigger();
        QCOMPARE(S().GetQuestion(2).Text, QStringLiteral("Renamed"));
    }

    void sideBarEditOpensTheEditorOnce()
    {
        S().AddHeader(QStringLiteral("H"));
        form_->RefreshQuestionList();
        Select({0});
        int opened = 0;
        connect(Commands()->HeaderEditor(), &QDialog::finished, this, [&opened] { ++opened; });
        QPushButton* sideEdit = nullptr;
        for (QPushButton* b :
            form_->findChild<QWidget*>(QStringLiteral("tbSurvey"))->findChildren<QPushButton*>())
            if (b->text() == QLatin1String("&Edit selected item..."))
                sideEdit = b;
        QVERIFY(sideEdit);
        WhenModal([](QDialog* d) { d->reject(); });
        QTest::mouseClick(sideEdit, Qt::LeftButton);
        QCOMPARE(opened, 1);
        QVERIFY(seams_->messages->shown.empty()); // no "not available" box any more
    }

    void deleteAsksAndMovesTheFocusToTheNewLastRow()
    {
        AddQuestions(4);
        Select({2, 3});
        seams_->messages->Script(TAnswer::No);
        form_->Command(cmd::DeleteItem)->trigger();
        QCOMPARE(S().QuestionCount(), 4);
        QCOMPARE(seams_->messages->Texts(),
            QStringList{"Are you sure you want to delete the 2 items you have selected?"});
        seams_->messages->Script(TAnswer::Yes);
        form_->Command(cmd::DeleteItem)->trigger();
        QCOMPARE(Texts(S()), QStringList({"Q1", "Q2"}));
        QCOMPARE(form_->SelectedRows(), std::vector<int>({1}));
        seams_->messages->Script(TAnswer::Yes);
        form_->Command(cmd::DeleteItem)->trigger();
        QCOMPARE(seams_->messages->Texts().last(),
            QStringLiteral("Are you sure you want to delete the selected item?"));
        QCOMPARE(Texts(S()), QStringList({"Q1"}));
    }

    void movesAskWhenTheSurveyHasASkipGroup()
    {
        AddQuestions(5);
        Select({0});
        QVERIFY(!form_->Command(cmd::MoveUp)->isEnabled());
        Select({2, 3});
        form_->Command(cmd::MoveUp)->trigger();
        QCOMPARE(Texts(S()), QStringList({"Q1", "Q3", "Q4", "Q2", "Q5"}));
        QCOMPARE(form_->SelectedRows(), std::vector<int>({1, 2}));
        QVERIFY(seams_->messages->shown.empty());

        S().GetQuestion(3).SkipGroupOfResponse = 0; // a group elsewhere
        S().GetQuestion(4).SkipGroupOfQuestion = S().GetQuestion(3).ID;
        form_->RefreshQuestionList();
        Select({0});
        form_->Command(cmd::MoveDown)->trigger(); // unscripted: No
        QCOMPARE(Texts(S()).first(), QStringLiteral("Q1"));
        QCOMPARE(seams_->messages->shown.back().Text,
            QStringLiteral(
                "You are about to move questions in a Skip Group. This may corrupt the survey - are you "
                "sure you want to do this?"));
        seams_->messages->Script(TAnswer::Yes);
        Select({0});
        form_->Command(cmd::MoveDown)->trigger();
        QCOMPARE(Texts(S()).mid(0, 2), QStringList({"Q3", "Q1"}));
        QVERIFY(S().Modified());
    }

    void cutCopyAndPaste()
    {
        AddQuestions(4);
        S().AddHeader(QStringLiteral("Part two"));
        form_->RefreshQuestionList();
        Select({4});
        form_->Command(cmd::EditCopy)->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("---[ Part two]---\r\n\r\n"));
        QVERIFY(form_->Command(cmd::EditPaste)->isEnabled());

        Select({0, 1, 2});
        form_->Command(cmd::EditCut)->trigger();
        QVERIFY(seams_->messages->shown.empty()); // Cut asks nothing
        QCOMPARE(Texts(S()), QStringList({"Q4", "Part two"}));
        form_->Command(cmd::EditPaste)->trigger();
        form_->Command(cmd::EditPaste)->trigger();
        QCOMPARE(Texts(S()), QStringList({"Q4", "Part two", "Q1", "Q2", "Q3", "Q1", "Q2", "Q3"}));
        QCOMPARE(form_->SelectedRows(), std::vector<int>({5, 6, 7}));
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("Q1")));
    }

    void skipGroupsAreCreatedAndUngrouped()
    {
        AddQuestions(3);
        Select({1, 2});
        QCOMPARE(form_->SkipGroupButtonOffer(), TSkipGroupOffer::Create);
        WhenModal([](QDialog* d) {
            auto* dialog = qobject_cast<TORVSkipGroup*>(d);
            QVERIFY(dialog);
            QCOMPARE(dialog->lbQuestions->count(), 2);
            QCOMPARE(dialog->lblQuestion->text(), QStringLiteral("1) Q1"));
            QVERIFY(!dialog->btnOK->isEnabled());
            dialog->cmbResponses->setCurrentIndex(1);
            QVERIFY(dialog->btnOK->isEnabled());
            dialog->btnOK->click();
        });
        form_->Command(cmd::CreateSkipGroup)->trigger();
        QCOMPARE(S().GetQuestion(0).SkipGroupOfResponse, 1);
        QCOMPARE(S().GetQuestion(2).SkipGroupOfQuestion, S().GetQuestion(0).ID);
        QCOMPARE(Labels(S()), QStringList({"1", "1a", "1b"}));

        AddQuestions(2); // Q4 owns a group of Q5, right after the first group
        S().GetQuestion(3).SkipGroupOfResponse = 0;
        S().GetQuestion(4).SkipGroupOfQuestion = S().GetQuestion(3).ID;
        form_->RefreshQuestionList();
        Select({4});
        QCOMPARE(form_->SkipGroupButtonOffer(), TSkipGroupOffer::Ungroup);
        seams_->messages->Script(TAnswer::Yes);
        form_->Command(cmd::UngroupSkipGroup)->trigger();
        QCOMPARE(seams_->messages->Texts().last(),
            QStringLiteral("Are you sure you want to ungroup all the questions in this skip group?"));
        for (int i = 0; i < S().QuestionCount(); ++i) {
            QCOMPARE(S().GetQuestion(i).SkipGroupOfQuestion, -1);
            QCOMPARE(S().GetQuestion(i).SkipGroupOfResponse, -1);
        }
    }

    void applyResponseTemplateChangesOnlyChoiceQuestions()
    {
        S().AddHeader(QStringLiteral("H"));
        AddQuestions(1, qsNumericValue);
        AddQuestions(1, qsSingleSelect);
        Select({0, 1, 2});
        form_->CommandMenu(cmd::ApplyResponseTemplate)->popup(QPoint(0, 0)); // rebuilt on opening
        form_->CommandMenu(cmd::ApplyResponseTemplate)->hide();
        QStringList captions;
        for (QAction* a : form_->CommandMenu(cmd::ApplyResponseTemplate)->actions())
            captions.append(a->text());
        QCOMPARE(captions, QStringList({"Agree / Disagree", "Yes / No"}));
        seams_->messages->Script(TAnswer::Yes);
        form_->CommandMenu(cmd::ApplyResponseTemplate)->actions().at(1)->trigger();
        QCOMPARE(seams_->messages->Texts().last(),
            QStringLiteral("Are you sure you want to apply the responses from the Yes / No template to the "
                           "selected questions?"));
        QVERIFY(S().GetQuestion(0).Options.isEmpty());
        QCOMPARE(S().GetQuestion(1).OptionList(), QStringList({"Yes", "No", "Maybe"}));
        QCOMPARE(S().GetQuestion(2).OptionList(), QStringList({"Yes", "No", "Don't Know"}));
        QFile::remove(DataDir() + "agree.ovt"); // removed behind the program's back
        form_->CommandMenu(cmd::ApplyResponseTemplate)->actions().at(0)->trigger();
        QVERIFY(seams_->messages->Texts().last().endsWith("agree.ovt no longer exists."));
        QCOMPARE(S().GetQuestion(2).OptionList(), QStringList({"Yes", "No", "Don't Know"}));
        QCOMPARE(Commands()->QuestionEditor()->TemplateList(), QStringList{"yesno.ovt"});
    }

    void templateManagerEditsCreatesAndDeletes()
    {
        TORVTemplateMgr mgr(DataDir());
        QCOMPARE(mgr.cmbTypeList->currentText(), QStringLiteral("Response Templates"));
        int agree = -1;
        for (int i = 0; i < int(mgr.Entries().size()); ++i)
            if (mgr.Entries()[i].Caption == "Agree / Disagree")
                agree = i;
        QVERIFY(agree >= 0);
        mgr.cmbTemplate->setCurrentIndex(agree);
        QCOMPARE(mgr.mContents->toPlainText().split('\n').size(), 5);
        mgr.mContents->setPlainText(QStringLiteral("Agree\nNeutral\nDisagree"));

        QStringList names = {"New Template", "new template", "New Template"};
        mgr.AskTemplateName = [&]() -> std::optional<QString> { return names.takeFirst(); };
        mgr.NewTemplate(); // saves the edit first
        const TProfileFile agreeFile(DataDir() + "agree.ovt");
        QCOMPARE(agreeFile.Keys("Values"), QStringList({"1", "2", "3"}));
        QCOMPARE(agreeFile.ReadString("Details", "Title", ""), QStringLiteral("Agree / Disagree"));
        mgr.NewTemplate(); // differs in case only: accepted
        QVERIFY(QFile::exists(DataDir() + "rtemp0.ovt"));
        QVERIFY(QFile::exists(DataDir() + "rtemp1.ovt"));
        mgr.NewTemplate();
        QCOMPARE(seams_->messages->Texts(),
            QStringList{"New Template is already in use, please select another name"});
        QVERIFY(!QFile::exists(DataDir() + "rtemp2.ovt"));

        int first = -1;
        for (int i = 0; i < int(mgr.Entries().size()); ++i)
            if (mgr.Entries()[i].Path.endsWith("rtemp0.ovt"))
                first = i;
        mgr.cmbTemplate->setCurrentIndex(first);
        seams_->messages->Script(TAnswer::Yes);
        mgr.DeleteTemplate();
        QVERIFY(!QFile::exists(DataDir() + "rtemp0.ovt"));
        names = {"Again"};
        mgr.NewTemplate();
        QVERIFY(QFile::exists(DataDir() + "rtemp0.ovt"));

        mgr.cmbTypeList->setCurrentIndex(1);
        QVERIFY(!mgr.Entries().empty());
        QCOMPARE(mgr.cmbTemplate->currentText(), mgr.Entries()[0].Caption);
        seams_->files->Script(DataDir() + "mine");
        mgr.NewTemplate();
        QVERIFY(QFile::exists(DataDir() + "mine.ovg"));
        QCOMPARE(seams_->files->requests.back().Title, QStringLiteral("Create New Display Template"));
        mgr.mContents->setPlainText(QStringLiteral("<html>\n<!-- ORV:QUESTIONS -->\n</html>"));
        seams_->files->Script(DataDir() + "mine");
        mgr.NewTemplate();
        QVERIFY(seams_->messages->Texts().last().startsWith("A display template with the name "));
        QFile mine(DataDir() + "mine.ovg");
        QVERIFY(mine.open(QIODevice::ReadOnly));
        QCOMPARE(mine.readAll(), QByteArray("<html>\r\n<!-- ORV:QUESTIONS -->\r\n</html>\r\n"));
    }

    void templateManagerOnVanishedFiles()
    {
        TORVTemplateMgr mgr(DataDir());
        QFile::remove(mgr.Entries()[0].Path);
        mgr.mContents->setPlainText(QStringLiteral("x"));
        mgr.cmbTypeList->setCurrentIndex(1); // writes the edit back: the file comes back whole
        mgr.cmbTypeList->setCurrentIndex(0);
        QFile::remove(DataDir() + "default.ovg");
        for (const TTemplateEntry& e : mgr.Entries())
            QFile::remove(e.Path);
        mgr.cmbTypeList->setCurrentIndex(1);
        mgr.cmbTypeList->setCurrentIndex(0);
        QVERIFY(mgr.Entries().empty());
        QVERIFY(mgr.mContents->toPlainText().isEmpty());
        mgr.DeleteTemplate();
        QCOMPARE(seams_->messages->Texts().last(),
            QStringLiteral("There is no template or response file currently selected."));
    }
};

QTEST_MAIN(ListEditingTest)
#include "listcommands_test.moc"
