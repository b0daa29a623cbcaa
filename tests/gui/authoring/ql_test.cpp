// The question library through the real main window: the popup submenu, the library dialog and
// the library files in the data directory.
#include "core/authoring/questionlibrary.h"
#include "core/base/inisettings.h"
#include "core/base/settingstable.h"
#include "core/survey/survey.h"
#include "gui/authoring/header.h"
#include "gui/authoring/libname.h"
#include "gui/authoring/ql.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/mainwindow/questionlistmodel.h"
#include "support/modaldriver.h"
#include "support/scriptedseams.h"
#include "support/testhome.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

QStringList Texts(const TSurvey& s)
{
    QStringList texts;
    for (int i = 0; i < s.QuestionCount(); ++i)
        texts.append(s.GetQuestion(i).Text);
    return texts;
}

QAction* EntryNamed(QMenu* menu, const QString& caption)
{
    for (QAction* a : menu->actions()) {
        if (a->text() == caption)
            return a;
    }
    return nullptr;
}

void SelectAll(QListView* list)
{
    list->selectAll();
}

} // namespace

class LibraryTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TTestHome> home_;
    QString DataDir() const { return home_->path() + QStringLiteral("/data/orvalle/"); }

    // Names a new library in the name dialog that the next command opens.
    void AnswerNameDialog(const QString& name)
    {
        WhenModal([name](QDialog* d) {
            auto* dialog = qobject_cast<TORVLibName*>(d);
            if (!dialog) {
                d->reject();
                return;
            }
            dialog->eLibraryName->setText(name);
            dialog->accept();
        });
    }

private Q_SLOTS:
    void init() { home_ = std::make_unique<TTestHome>(); }
    void cleanup() { home_.reset(); }

    void roundTripThroughAReopenedProgram()
    {
        {
            TORVMainForm w;
            TSurvey& s = w.Survey();
            s.AddQuestion({QStringLiteral("How often do you visit?"), qsSingleSelect,
                QStringLiteral("Daily,Weekly"), 0, false, 40, false, 40, 0, 0, 0});
            s.AddQuestion(
                {QStringLiteral("Why?"), qsFreeFormText, QString(), -1, false, 40, false, 40, 0, 0, 0});
            s.GetQuestion(0).SkipGroupOfResponse = 0;
            s.GetQuestion(1).SkipGroupOfQuestion = s.GetQuestion(0).ID;
            w.RefreshQuestionList();
            w.CheckForButtons();
            QVERIFY(!w.Command(cmd::AddToQuestionLibrary)->isEnabled()); // nothing selected

            // A library of our own, made in the dialog.
            WhenModal([this](QDialog* d) {
                if (auto* ql = qobject_cast<TORVql*>(d)) {
                    AnswerNameDialog(QStringLiteral("Visits"));
                    ql->btnNewLibrary->click();
                }
                d->reject();
            });
            w.Command(cmd::SurveyQuestionLibrary)->trigger();
            QVERIFY(QFile::exists(DataDir() + QStringLiteral("ql0.ovl")));

            w.SelectRows({0, 1});
            QVERIFY(w.Command(cmd::AddToQuestionLibrary)->isEnabled());
            QAction* entry = EntryNamed(w.CommandMenu(cmd::AddToQuestionLibrary), QStringLiteral("Visits"));
            QVERIFY(entry);
            entry->trigger();
            QVERIFY(home_->seams.messages->shown.empty());
            w.Survey().SetModified(false);
            QVERIFY(w.close());
        }
        TORVMainForm w; // the program started again
        QCOMPARE(w.Survey().QuestionCount(), 0);
        w.Survey().AddHeader(QStringLiteral("Already here"));
        WhenModal([](QDialog* d) {
            auto* ql = qobject_cast<TORVql*>(d);
            if (!ql) {
                d->reject();
                return;
            }
            const int index = ql->cmbLibraryName->findText(QStringLiteral("Visits"));
            ql->cmbLibraryName->setCurrentIndex(index);
            Q_EMIT ql->cmbLibraryName->activated(index);
            SelectAll(ql->lbQuestions);
            ql->btnInsert->click();
        });
        w.Command(cmd::SurveyQuestionLibrary)->trigger();
        QCOMPARE(Texts(w.Survey()), (QStringList{"Already here", "How often do you visit?", "Why?"}));
        const TQuestion& inserted = w.Survey().GetQuestion(2);
        QCOMPARE(inserted.SkipGroupOfQuestion, -1); // an ordinary question now
        QCOMPARE(inserted.LengthOfResponse, -1);
        QCOMPARE(w.findChild<TQuestionListModel*>(QStringLiteral("questionModel"))->rowCount(), 3);
        QCOMPARE(AppSettings().ReadString(settings::QuestionLibrary, settings::Last, {}),
            DataDir() + QStringLiteral("ql0.ovl"));
    }

    void libraryNumberingAndNameRefusal()
    {
        TORVMainForm w;
        TORVql ql(w);
        const QString computer = DataDir() + QStringLiteral("computer.ovl");
        QCOMPARE(ql.LibraryPath(), computer); // the default first library
        QCOMPARE(ql.cmbLibraryName->currentText(), LibraryName(computer));
        QVERIFY(ql.questionModel->rowCount() >= 10);
        QVERIFY(!ql.btnInsert->isEnabled() && !ql.btnEditItem->isEnabled());

        const int before = w.CommandMenu(cmd::AddToQuestionLibrary)->actions().size();
        AnswerNameDialog(QStringLiteral("First"));
        ql.NewLibrary();
        AnswerNameDialog(QStringLiteral("Second"));
        ql.NewLibrary();
        QCOMPARE(ql.LibraryPath(), DataDir() + QStringLiteral("ql1.ovl"));
        QCOMPARE(ql.cmbLibraryName->currentText(), QStringLiteral("Second"));
        QCOMPARE(w.CommandMenu(cmd::AddToQuestionLibrary)->actions().size(), before + 2);

        AnswerNameDialog(QStringLiteral("fIRST"));
        ql.NewLibrary();
        QCOMPARE(home_->seams.messages->Texts().last(),
            QStringLiteral("The name fIRST is already in use.  Please try another."));
        QVERIFY(!QFile::exists(DataDir() + QStringLiteral("ql2.ovl")));

        // Deleting ql0 makes the next library take its number again.
        ql.cmbLibraryName->setCurrentIndex(ql.cmbLibraryName->findText(QStringLiteral("First")));
        ql.ChooseLibrary(ql.cmbLibraryName->currentIndex());
        ql.DeleteLibrary(); // unscripted: No
        QVERIFY(QFile::exists(DataDir() + QStringLiteral("ql0.ovl")));
        QCOMPARE(home_->seams.messages->shown.back().Caption, QStringLiteral("Confirm Library Delete"));
        home_->seams.messages->Script(TAnswer::Yes);
        ql.DeleteLibrary();
        QVERIFY(!QFile::exists(DataDir() + QStringLiteral("ql0.ovl")));
        QCOMPARE(w.CommandMenu(cmd::AddToQuestionLibrary)->actions().size(), before + 1);
        AnswerNameDialog(QStringLiteral("Third"));
        ql.NewLibrary();
        QCOMPARE(ql.LibraryPath(), DataDir() + QStringLiteral("ql0.ovl"));
    }

    void insertingIntoAPublishedSurveyAsksFirst()
    {
        TORVMainForm w;
        w.Survey().SetHTMLStatus(QStringLiteral("HTML file generated"));
        w.CheckForButtons();
        TORVql ql(w);
        ql.show();
        ql.lbQuestions->selectionModel()->select(
            ql.questionModel->index(1, 0), QItemSelectionModel::ClearAndSelect);
        QVERIFY(ql.btnInsert->isEnabled());
        home_->seams.messages->Script(TAnswer::No);
        QTest::mouseClick(ql.btnInsert, Qt::LeftButton);
        QVERIFY(ql.isVisible());
        QCOMPARE(w.Survey().QuestionCount(), 0);
        QCOMPARE(home_->seams.messages->shown.back().Kind, QStringLiteral("Warn"));
        QVERIFY(home_->seams.messages->shown.back().Text.startsWith(
            QStringLiteral("This survey has potentially")));
        home_->seams.messages->Script(TAnswer::Yes);
        QTest::mouseClick(ql.btnInsert, Qt::LeftButton);
        QVERIFY(!ql.isVisible());
        QCOMPARE(w.Survey().QuestionCount(), 1);
        QCOMPARE(w.Survey().GetQuestion(0).Text, ql.Library().GetQuestion(1).Text);
    }

    void editAndDeleteAreSavedAtOnce()
    {
        TORVMainForm w;
        AnswerNameDialog(QStringLiteral("Scratch"));
        TORVql ql(w);
        ql.NewLibrary();
        const QString path = ql.LibraryPath();
        w.Survey().AddHeader(QStringLiteral("Old heading"));
        w.Survey().AddHeader(QStringLiteral("Second"));
        w.Survey().AddHeader(QStringLiteral("Third"));
        QVERIFY(AddToLibrary(path, w.Survey(), {0, 1, 2}));
        ql.ChooseLibrary(ql.cmbLibraryName->currentIndex());
        QCOMPARE(ql.questionModel->rowCount(), 3);

        ql.lbQuestions->selectionModel()->setCurrentIndex(
            ql.questionModel->index(0, 0), QItemSelectionModel::ClearAndSelect);
        WhenModal([](QDialog* d) {
            if (auto* header = qobject_cast<TORVHeader*>(d)) {
                header->memoText->setPlainText(QStringLiteral("New heading"));
                header->accept();
            } else {
                d->reject();
            }
        });
        QTest::mouseClick(ql.btnEditItem, Qt::LeftButton);
        TSurvey saved;
        saved.NewSurvey();
        saved.Load(path);
        QCOMPARE(Texts(saved), (QStringList{"New heading", "Second", "Third"}));
        QCOMPARE(ql.lbQuestions->selectionModel()->selectedRows().size(), 1);

        ql.lbQuestions->selectAll();
        home_->seams.messages->Script(TAnswer::Yes);
        QTest::mouseClick(ql.btnDeleteItem, Qt::LeftButton);
        QCOMPARE(home_->seams.messages->shown.back().Caption, QStringLiteral("Confirm Delete"));
        QCOMPARE(home_->seams.messages->shown.back().Text,
            QStringLiteral("Are you sure you want to delete the 3 items you have selected?"));
        TSurvey emptied;
        emptied.NewSurvey();
        emptied.Load(path);
        QCOMPARE(emptied.QuestionCount(), 0);
        QVERIFY(!w.Survey().Modified() || w.Survey().QuestionCount() == 3); // the survey was not touched
    }

    void aRememberedLibraryThatHasGoneOpensNothing()
    {
        TORVMainForm w;
        AppSettings().WriteString(
            settings::QuestionLibrary, settings::Last, DataDir() + QStringLiteral("gone.ovl"));
        TORVql ql(w);
        QCOMPARE(ql.cmbLibraryName->currentIndex(), -1);
        QCOMPARE(ql.questionModel->rowCount(), 0);
        const int files = QDir(DataDir()).entryList({QStringLiteral("*.ovl")}).size();
        ql.DeleteLibrary(); // nothing chosen: nothing to delete, nothing asked
        QCOMPARE(QDir(DataDir()).entryList({QStringLiteral("*.ovl")}).size(), files);
        QVERIFY(home_->seams.messages->shown.empty());
    }

    void addingToAnUnreadableLibraryReportsIt()
    {
        TORVMainForm w;
        w.Survey().AddHeader(QStringLiteral("H"));
        w.RefreshQuestionList();
        w.SelectRows({0});
        QAction* entry = w.CommandMenu(cmd::AddToQuestionLibrary)->actions().value(0);
        QVERIFY(entry);
        const QString path = w.LibraryFiles().value(0);
        QVERIFY(QFile::remove(path));
        entry->trigger();
        QCOMPARE(home_->seams.messages->Texts(), QStringList{"Error adding questions to library"});
        QCOMPARE(w.Survey().QuestionCount(), 1);
    }

    void screenshots()
    {
        const QString target = qEnvironmentVariable("ORVALLE_SCREENSHOT_DIR");
        if (target.isEmpty())
            QSKIP("ORVALLE_SCREENSHOT_DIR not set");
        TORVMainForm w;
        TORVql ql(w);
        ql.resize(640, 460);
        ql.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ql));
        ql.lbQuestions->selectionModel()->select(
            ql.questionModel->index(2, 0), QItemSelectionModel::ClearAndSelect);
        QTest::qWait(100);
        QVERIFY(ql.grab().save(target + QStringLiteral("/question-library.png")));
        TORVLibName name(&ql);
        name.eLibraryName->setText(QStringLiteral("Staff survey questions"));
        name.show();
        QVERIFY(QTest::qWaitForWindowExposed(&name));
        QVERIFY(name.grab().save(target + QStringLiteral("/new-library.png")));
    }
};

QTEST_MAIN(LibraryTest)
#include "ql_test.moc"
