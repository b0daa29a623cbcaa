#include "gui/publishing/elist.h"

#include "core/base/inisettings.h"
#include "core/base/settingstable.h"
#include "core/interaction/filedialogs.h"
#include "core/interaction/messages.h"
#include "core/publishing/emaillisttext.h"
#include "gui/help/help.h"
#include "gui/mainwindow/toolicons.h"
#include "gui/publishing/elistprint.h"
#include "gui/publishing/emailaddress.h"
#include "gui/publishing/emaillistmodel.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>

namespace {

const char kEmlFilter[] = "Email List (*.eml)";
const QString kInternalError = QStringLiteral("The following internal error occurred: ");

QAction* MakeAction(QObject* parent, const QString& text, const QKeySequence& key = {})
{
    auto* a = new QAction(text, parent);
    if (!key.isEmpty())
        a->setShortcut(key);
    return a;
}

} // namespace

TORVEList::TORVEList(const QString& notificationFile, const QString& dataDirectory, QWidget* parent)
    : QMainWindow(parent, Qt::Window)
    , dataDirectory_(dataDirectory)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Email List Manager"));
    model_ = new TEmailListModel(list_, this);
    CreateActions();
    CreateMenus();
    CreateCentral();
    RestoreBounds();
    const QString path = QFileInfo(notificationFile).isFile()
        ? notificationFile
        : dataDirectory_ + QLatin1String(emaillist::DefaultListName);
    if (QFileInfo(path).isFile())
        OpenList(path);
    else
        CreateList(path);
}

TORVEList::~TORVEList() = default;

void TORVEList::CreateActions()
{
    miFileNew = MakeAction(this, QStringLiteral("&New"), QKeySequence(QStringLiteral("Ctrl+N")));
    miFileNew->setIcon(ToolIcon(TToolIcon::New));
    miFileNew->setToolTip(QStringLiteral("New List"));
    miFileOpen = MakeAction(this, QStringLiteral("&Open..."), QKeySequence(QStringLiteral("Ctrl+O")));
    miFileOpen->setIcon(ToolIcon(TToolIcon::Open));
    miFileOpen->setToolTip(QStringLiteral("Open List"));
    miFileImport = MakeAction(this, QStringLiteral("&Import..."));
    miFileExport = MakeAction(this, QStringLiteral("&Export..."));
    miFileSaveAs = MakeAction(this, QStringLiteral("Save &As..."));
    miFilePrint = MakeAction(this, QStringLiteral("&Print..."), QKeySequence(QStringLiteral("Ctrl+P")));
    miFilePrint->setIcon(ToolIcon(TToolIcon::Print));
    miFilePrint->setToolTip(QStringLiteral("Print List"));
    miFilePrintSetup = MakeAction(this, QStringLiteral("Prin&t Setup..."));
    miFileClose = MakeAction(this, QStringLiteral("&Close"));
    miEditAdd = MakeAction(this, QStringLiteral("&Add New Address..."), QKeySequence(Qt::Key_Insert));
    miEditAdd->setIcon(ToolIcon(TToolIcon::AddQuestion));
    miEditAdd->setToolTip(QStringLiteral("Add an Address"));
    miEditEdit = MakeAction(this, QStringLiteral("&Edit Selected Address..."));
    miEditEdit->setIcon(ToolIcon(TToolIcon::Edit));
    miEditEdit->setToolTip(QStringLiteral("Edit an Address"));
    miEditDelete = MakeAction(this, QStringLiteral("&Delete Selected"));
    miEditDelete->setIcon(ToolIcon(TToolIcon::Remove));
    miEditDelete->setToolTip(QStringLiteral("Delete Selected Records"));

    connect(miFileNew, &QAction::triggered, this, &TORVEList::NewList);
    connect(miFileOpen, &QAction::triggered, this, &TORVEList::OpenListCommand);
    connect(miFileImport, &QAction::triggered, this, &TORVEList::ImportText);
    connect(miFileExport, &QAction::triggered, this, &TORVEList::ExportText);
    connect(miFileSaveAs, &QAction::triggered, this, &TORVEList::SaveListAs);
    connect(miFilePrint, &QAction::triggered, this, &TORVEList::PrintList);
    connect(miFilePrintSetup, &QAction::triggered, this, [this] { EmailListPrintSetup(this); });
    connect(miFileClose, &QAction::triggered, this, &QWidget::close);
    connect(miEditAdd, &QAction::triggered, this, &TORVEList::AddAddress);
    connect(miEditEdit, &QAction::triggered, this, &TORVEList::EditAddress);
    connect(miEditDelete, &QAction::triggered, this, &TORVEList::DeleteSelected);
}

void TORVEList::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addActions({miFileNew, miFileOpen});
    file->addSeparator();
    file->addActions({miFileImport, miFileExport, miFileSaveAs});
    file->addSeparator();
    file->addActions({miFilePrint, miFilePrintSetup});
    file->addSeparator();
    file->addAction(miFileClose);
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addActions({miEditAdd, miEditEdit, miEditDelete});
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&Contents"), this, [] { ShowHelpTopic(11); });
    help->addAction(QStringLiteral("&Search for Help On..."), this, [] { ShowHelpSearch(); });

    QToolBar* bar = addToolBar(QStringLiteral("List"));
    bar->setMovable(false);
    bar->addActions({miFileNew, miFileOpen, miFilePrint});
    bar->addSeparator();
    bar->addActions({miEditAdd, miEditEdit, miEditDelete});
}

void TORVEList::CreateCentral()
{
    auto* central = new QWidget(this);
    lblFind = new QLabel(QStringLiteral(" Find First Name:"), central);
    eFind = new QLineEdit(central);
    lblFind->setBuddy(eFind);
    connect(eFind, &QLineEdit::returnPressed, this, &TORVEList::FindText);
    grid = new QTableView(central);
    grid->setModel(model_);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionsClickable(true);
    grid->horizontalHeader()->setStretchLastSection(true);
    const int charWidth = fontMetrics().averageCharWidth();
    grid->setColumnWidth(0, 20 * charWidth);
    grid->setColumnWidth(1, 20 * charWidth);
    grid->setColumnWidth(2, 60 * charWidth);
    grid->installEventFilter(this);
    connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, this, &TORVEList::SortByColumn);
    connect(grid, &QTableView::doubleClicked, this, [this] { EditAddress(); });
    connect(grid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &TORVEList::UpdateCommandStates);
    connect(model_, &QAbstractItemModel::modelReset, this, &TORVEList::UpdateCommandStates);

    auto* findRow = new QHBoxLayout;
    findRow->addWidget(lblFind);
    findRow->addWidget(eFind, 1);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addLayout(findRow);
    layout->addWidget(grid, 1);
    setCentralWidget(central);
    setTabOrder(eFind, grid);

    SetHelpContexts({{eFind, 3004}, {grid, 3005}});
    for (int i = 0; i < 2; ++i) {
        pnlStatus[i] = new QLabel(this);
        statusBar()->addWidget(pnlStatus[i], i);
    }
}

void TORVEList::RestoreBounds()
{
    using namespace settings;
    const TSettings& s = AppSettings();
    const int w = s.ReadInteger(EmailListWindow, Width, DefaultEmailListSize);
    const int h = s.ReadInteger(EmailListWindow, Height, DefaultEmailListSize);
    resize(std::max(w, 200), std::max(h, 150));
    const int top = s.ReadInteger(EmailListWindow, Top, NotStored);
    const int left = s.ReadInteger(EmailListWindow, Left, NotStored);
    if (top != NotStored) {
        move(left, top);
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void TORVEList::StoreBounds()
{
    using namespace settings;
    TSettings& s = AppSettings();
    s.WriteInteger(EmailListWindow, Top, y());
    s.WriteInteger(EmailListWindow, Left, x());
    s.WriteInteger(EmailListWindow, Width, width());
    s.WriteInteger(EmailListWindow, Height, height());
}

void TORVEList::closeEvent(QCloseEvent* event)
{
    StoreBounds();
    list_.Close();
    event->accept();
}

bool TORVEList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == grid && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete && model_->rowCount() > 0) {
        DeleteSelected();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TORVEList::FailAndClose(const QString& message)
{
    ShowError(message);
    list_.Close();
    Reload();
    QTimer::singleShot(0, this, &QWidget::close);
}

bool TORVEList::OpenList(const QString& path)
{
    const QString error = list_.Open(path);
    if (!error.isEmpty()) {
        FailAndClose(kInternalError + error);
        return false;
    }
    Reload();
    return true;
}

bool TORVEList::CreateList(const QString& path)
{
    TCreateListFailure failure = TCreateListFailure::None;
    const QString error = list_.Create(path, &failure);
    if (failure == TCreateListFailure::Refused) {
        ShowError(QStringLiteral("Could not create the database ") + path);
    } else if (failure == TCreateListFailure::Incomplete) {
        ShowError(QStringLiteral("Failed database creation: ") + path);
    } else if (!error.isEmpty()) {
        FailAndClose(kInternalError + error);
        return false;
    }
    Reload();
    return error.isEmpty();
}

QString TORVEList::OrderLabel() const
{
    return OrderDisplayLabel(list_.Order());
}

void TORVEList::RefreshLabels()
{
    lblFind->setText(QStringLiteral(" F&ind ") + OrderLabel() + QLatin1Char(':'));
    setWindowTitle(QStringLiteral("Email List Manager - ") + list_.Path());
}

void TORVEList::Reload()
{
    model_->Reload();
    RefreshLabels();
    pnlStatus[0]->setText(QStringLiteral(" %1 addresses").arg(model_->rowCount()));
}

void TORVEList::SortByColumn(int column)
{
    if (!list_.IsOpen())
        return;
    const QString error = list_.SetOrder(TEmailListModel::ColumnOrder(column));
    if (!error.isEmpty())
        ShowError(kInternalError + error);
    model_->Resort();
    RefreshLabels();
}

void TORVEList::FindText()
{
    const QString text = eFind->text();
    if (list_.Find(text)) {
        const int row = model_->RowOf(list_.Table().RecNo());
        grid->clearSelection();
        grid->selectRow(row);
        grid->scrollTo(model_->index(row, 0), QAbstractItemView::PositionAtCenter);
        pnlStatus[1]->setText(QStringLiteral(" Found \"%1\"").arg(text));
    } else {
        pnlStatus[1]->setText(QStringLiteral(" Could not find %1 of \"%2\"").arg(OrderLabel(), text));
    }
    eFind->selectAll();
    UpdateCommandStates();
}

std::vector<int> TORVEList::SelectedRecords() const
{
    std::vector<int> records;
    for (const QModelIndex& index : grid->selectionModel()->selectedRows())
        records.push_back(model_->RecordAt(index.row()));
    return records;
}

void TORVEList::UpdateCommandStates()
{
    const size_t selected = grid->selectionModel()->selectedRows().size();
    const bool open = list_.IsOpen();
    miEditEdit->setEnabled(open && selected == 1);
    miEditDelete->setEnabled(open && selected >= 1);
    for (QAction* a : {miEditAdd, miFileImport, miFileExport, miFileSaveAs, miFilePrint})
        a->setEnabled(open);
}

void TORVEList::AddAddress()
{
    TORVEmailAddress dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    grid->clearSelection();
    if (list_.Add(dialog.Person()) == 0)
        ShowError(kInternalError + list_.LastError());
    Reload();
}

void TORVEList::EditAddress()
{
    const std::vector<int> selected = SelectedRecords();
    if (selected.size() != 1)
        return;
    TORVEmailAddress dialog(this);
    dialog.SetPerson(list_.Read(selected.front()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The edited person becomes a new record and the old one is deleted, in that order, so that a
    // failed write never loses the person.
    if (list_.Add(dialog.Person()) == 0)
        ShowError(kInternalError + list_.LastError());
    else if (!list_.Remove(selected.front()))
        ShowError(kInternalError + list_.LastError());
    Reload();
}

void TORVEList::DeleteSelected()
{
    const QString error = list_.RemoveMany(SelectedRecords());
    if (!error.isEmpty())
        ShowError(kInternalError + error);
    Reload();
}

QString TORVEList::ListDirectory() const
{
    return list_.IsOpen() ? QFileInfo(list_.Path()).absolutePath() : dataDirectory_;
}

void TORVEList::NewList()
{
    const auto chosen = FileDialogs().SaveFile(
        QStringLiteral("Save Email List"), QLatin1String(kEmlFilter), dataDirectory_, QString());
    if (chosen)
        CreateList(EnsureEmlExtension(*chosen));
}

void TORVEList::OpenListCommand()
{
    const auto chosen = FileDialogs().OpenFile(
        QStringLiteral("Open an Email List"), QLatin1String(kEmlFilter), dataDirectory_);
    if (!chosen)
        return;
    if (QFileInfo(*chosen).isFile())
        OpenList(*chosen);
    else
        CreateList(EnsureEmlExtension(*chosen));
}

void TORVEList::SaveListAs()
{
    const auto chosen = FileDialogs().SaveFile(
        QStringLiteral("Save Email List"), QLatin1String(kEmlFilter), ListDirectory(), list_.Path());
    if (!chosen)
        return;
    const QString error = list_.SaveAs(EnsureEmlExtension(*chosen));
    if (!error.isEmpty())
        ShowError(kInternalError + error);
    Reload();
}

void TORVEList::ImportText()
{
    const auto chosen = FileDialogs().OpenFile(QStringLiteral("Import"),
        QStringLiteral("Comma seperated values (*.csv);;All Files (*)"), ListDirectory());
    if (!chosen)
        return;
    const QString error = ImportListText(list_, *chosen);
    if (!error.isEmpty())
        ShowError(error);
    Reload();
}

void TORVEList::ExportText()
{
    const QString textFilter = QStringLiteral("ASCII Text (*.txt)");
    QString filter;
    const auto chosen = FileDialogs().SaveFile(QStringLiteral("Export the current EMail List"),
        QStringLiteral("Comma seperated values (*.csv);;") + textFilter, ListDirectory(), QString(), &filter);
    if (!chosen)
        return;
    // The filter picked decides the layout; the extension is added unless the name has it.
    const TListTextFormat format = filter == textFilter ? TListTextFormat::Text : TListTextFormat::Csv;
    const QString error = ExportListText(list_, EnsureExportExtension(*chosen, format), format);
    if (!error.isEmpty())
        ShowError(error);
}

void TORVEList::PrintList()
{
    std::vector<TEmailPerson> people;
    for (int row = 0; row < model_->rowCount(); ++row)
        people.push_back(model_->Person(row));
    PrintEmailListWithDialog(this, list_.Path(), list_.Order(), people, grid->font());
}

TORVEList* OpenEmailListManager(
    QWidget* parent, const QString& notificationFile, const QString& dataDirectory, const QString& listName)
{
    auto* window = new TORVEList(notificationFile, dataDirectory, parent);
    if (!listName.isEmpty()) {
        if (QFileInfo(listName).isFile())
            window->OpenList(listName);
        else
            window->CreateList(EnsureEmlExtension(listName));
    }
    window->show();
    return window;
}
