// The Email List Manager driven through its commands and the scripted seams.

#include "core/base/inisettings.h"
#include "core/base/settingstable.h"
#include "core/publishing/emaillist.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/publishing/elist.h"
#include "gui/publishing/elistprint.h"
#include "gui/publishing/emailaddress.h"
#include "gui/publishing/emaillistmodel.h"
#include "gui/publishing/publishcommands.h"
#include "gui/widgets/hooks.h"
#include "support/modaldriver.h"
#include "support/scriptedseams.h"
#include "support/testhome.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPrinter>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class EListTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TTestHome> home_;

    QString Path(const QString& name) const { return home_->filePath(name); }
    QString DataDir() const { return home_->path() + QLatin1Char('/'); }

    // A manager on a list of four people.
    TORVEList* Manager()
    {
        TEmailList list;
        list.Create(Path("people.eml"));
        list.AddMany({{"Ann", "Lee", "ann@x.org"}, {"Bob", "Adams", "bob@x.org"}, {"Cy", "Lee", "cy@x.org"},
            {"Dee", "Zeta", "aaa@x.org"}});
        list.Close();
        return new TORVEList(Path("people.eml"), DataDir());
    }
    static QString Cell(TORVEList* w, int row, int column)
    {
        return w->Model()->index(row, column).data().toString();
    }
    static QString Title(TORVEList* w, int column)
    {
        return w->Model()->headerData(column, Qt::Horizontal).toString();
    }

private Q_SLOTS:
    void init() { home_ = std::make_unique<TTestHome>(); }
    void cleanup() { home_.reset(); }

    void createsTheDefaultListWhenTheSurveyNamesNone()
    {
        QPointer<TORVEList> w = new TORVEList(QString(), DataDir());
        QVERIFY(QFile::exists(Path("default.eml")));
        QCOMPARE(w->windowTitle(), "Email List Manager - " + Path("default.eml"));
        QCOMPARE(w->lblFind->text(), QStringLiteral(" F&ind Last Name:"));
        QCOMPARE(Title(w, 1), QStringLiteral("Last Name *"));
        w->close();
    }

    void sortingByATitleMovesTheMarkAndTheFindLabel()
    {
        QPointer<TORVEList> w = Manager();
        QCOMPARE(Cell(w, 0, 0), QStringLiteral("Bob"));
        w->SortByColumn(2);
        QCOMPARE(w->lblFind->text(), QStringLiteral(" F&ind Email Address:"));
        QCOMPARE(Title(w, 2), QStringLiteral("Email Address *"));
        QCOMPARE(Title(w, 1), QStringLiteral("Last Name"));
        QCOMPARE(Cell(w, 0, 0), QStringLiteral("Dee"));
        w->close();
    }

    void findSeeksInTheCurrentOrder()
    {
        QPointer<TORVEList> w = Manager();
        w->eFind->setText("Le");
        w->FindText();
        QCOMPARE(w->pnlStatus[1]->text(), QStringLiteral(" Found \"Le\""));
        const QModelIndexList rows = w->grid->selectionModel()->selectedRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(Cell(w, rows[0].row(), 0), QStringLiteral("Ann"));
        QCOMPARE(w->eFind->selectedText(), QStringLiteral("Le"));
        w->eFind->setText("Nobody");
        w->FindText();
        QCOMPARE(w->pnlStatus[1]->text(), QStringLiteral(" Could not find Last Name of \"Nobody\""));
        w->close();
    }

    void editNeedsExactlyOneRowAndDeleteAtLeastOne()
    {
        QPointer<TORVEList> w = Manager();
        w->grid->clearSelection();
        QVERIFY(!w->miEditEdit->isEnabled());
        QVERIFY(!w->miEditDelete->isEnabled());
        w->grid->selectRow(0);
        QVERIFY(w->miEditEdit->isEnabled());
        w->grid->selectionModel()->select(
            w->Model()->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QVERIFY(!w->miEditEdit->isEnabled());
        QVERIFY(w->miEditDelete->isEnabled());
        w->DeleteSelected();
        QCOMPARE(w->Model()->rowCount(), 2);
        QCOMPARE(w->List().Table().RecordCount(), 4);
        w->close();
    }

    void editingMakesANewRecordWithTheDialogsValues()
    {
        QPointer<TORVEList> w = Manager();
        w->grid->selectRow(0); // Bob Adams
        WhenModal([](QDialog* d) {
            auto* address = qobject_cast<TORVEmailAddress*>(d);
            QCOMPARE(address->eFirstName->text(), QStringLiteral("Bob"));
            address->eLastName->setText("Baker");
            d->accept();
        });
        w->EditAddress();
        QCOMPARE(w->Model()->rowCount(), 4);
        QCOMPARE(Cell(w, 0, 1), QStringLiteral("Baker"));
        QCOMPARE(w->List().Table().RecordCount(), 5); // the old record is deleted, not changed
        w->close();
    }

    void importingAnExportAddsItsHeaderLineAsAPerson()
    {
        QPointer<TORVEList> w = Manager();
        home_->seams.files->Script(Path("out"));
        w->ExportText();
        QVERIFY(QFile::exists(Path("out.csv")));
        home_->seams.files->Script(Path("out.csv"));
        w->ImportText();
        QCOMPARE(w->Model()->rowCount(), 9);
        w->SortByColumn(0);
        QCOMPARE(Cell(w, 8, 0), QStringLiteral("FNAME"));
        QCOMPARE(Cell(w, 8, 1), QStringLiteral("LNAME"));
        QCOMPARE(home_->seams.files->requests.at(0).Title, QStringLiteral("Export the current EMail List"));
        w->close();
    }

    // The filter picked decides the layout: a bare name under "ASCII Text" is padded text in
    // name.txt, and a ".txt" name under the CSV filter is still CSV, in name.txt.csv.
    void textExportPadsTheColumns()
    {
        QPointer<TORVEList> w = Manager();
        home_->seams.files->Script(Path("listed.txt"), QStringLiteral("Comma seperated values (*.csv)"));
        w->ExportText();
        QVERIFY(QFile::exists(Path("listed.txt.csv")));
        home_->seams.files->Script(Path("plain"), QStringLiteral("ASCII Text (*.txt)"));
        w->ExportText();
        QFile f(Path("plain.txt"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 7);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(lines[i].size(), 261); // 260 characters and CR
        QVERIFY(lines[2].startsWith("Bob" + QByteArray(27, ' ') + "Adams"));
        w->close();
    }

    void anUnreadableListIsReportedAndTheWindowCloses()
    {
        QFile bad(Path("bad.eml"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a table at all");
        bad.close();
        QPointer<TORVEList> w = new TORVEList(Path("bad.eml"), DataDir());
        QVERIFY(
            home_->seams.messages->Texts().value(0).startsWith("The following internal error occurred: "));
        QTRY_VERIFY(w.isNull());
    }

    void theMainWindowAndThePropertiesOpenManagers()
    {
        qputenv("XDG_DATA_HOME", Path("data").toUtf8());
        AppSettings().WriteBool(settings::Preferences, settings::TipAtStartup, false);
        TORVMainForm form;
        AttachPublishingCommands(form);
        form.Command(cmd::SurveyEmailLists)->trigger();
        QPointer<TORVEList> first = form.findChild<TORVEList*>();
        QVERIFY(first);
        QCOMPARE(first->List().Path(), form.DataDirectory() + "default.eml");
        // The properties' button: a list that does not exist yet is made.
        QVERIFY(RunHook(kEmailListManagerHook, &form, {{"file", Path("club")}, {"create", true}}));
        QVERIFY(QFile::exists(Path("club.eml")));
        const QList<TORVEList*> windows = form.findChildren<TORVEList*>();
        QCOMPARE(windows.size(), 2);
        for (TORVEList* w : windows)
            w->close();
    }

    void printsEveryPersonOnPages()
    {
        std::vector<TEmailPerson> people;
        for (int i = 0; i < 300; ++i)
            people.push_back({QStringLiteral("F%1").arg(i), "L", "p@x.org"});
        // Cut at the column's end, not written over the next column or off the page.
        people[1] = {QString(30, u'W'), QString(30, u'M'), QString(190, u'w') + "@example.org"};
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(Path("list.pdf"));
        QVERIFY(PrintEmailList(printer, Path("people.eml"), TEmailOrder::LastName, people, QFont()));
        QVERIFY(QFileInfo(Path("list.pdf")).size() > 1000);
    }
};

QTEST_MAIN(EListTest)
#include "elist_test.moc"
