#include "gui/authoring/ql.h"

#include "core/authoring/listediting.h"
#include "core/base/inisettings.h"
#include "core/base/settingstable.h"
#include "core/survey/survey.h"
#include "gui/authoring/header.h"
#include "gui/authoring/libname.h"
#include "gui/authoring/listcommands.h"
#include "gui/authoring/question.h"
#include "gui/help/help.h"
#include "gui/mainwindow/mainform.h"
#include "gui/mainwindow/questionlistmodel.h"
#include "core/interaction/messages.h"
#include "gui/widgets/dialogposition.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

TORVql::TORVql(TORVMainForm& form)
    : QDialog(&form)
    , form_(form)
    , library_(std::make_unique<TSurvey>(&AppSettings()))
{
    setObjectName(QStringLiteral("ORVql"));
    setWindowTitle(QStringLiteral("Question Library"));
    CreateControls();
    LayOut();
    const QString last = AppSettings().ReadString(
        settings::QuestionLibrary, settings::Last, form_.DataDirectory() + settings::DefaultLastLibrary);
    RebuildLibraryList(QFileInfo::exists(last) ? last : QString());
}

TORVql::~TORVql() = default;

void TORVql::CreateControls()
{
    cmbLibraryName = new QComboBox(this);
    cmbLibraryName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbLibraryName->setMinimumContentsLength(28);
    btnNewLibrary = new QToolButton(this);
    btnNewLibrary->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    btnNewLibrary->setToolTip(QStringLiteral("Create New Library"));
    btnDeleteLibrary = new QToolButton(this);
    btnDeleteLibrary->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    btnDeleteLibrary->setToolTip(QStringLiteral("Delete Selected Library"));
    lbQuestions = new QListView(this);
    lbQuestions->setObjectName(QStringLiteral("lbQuestions"));
    questionModel = new TQuestionListModel(lbQuestions);
    lbQuestions->setModel(questionModel);
    lbQuestions->setItemDelegate(new TQuestionDelegate(lbQuestions));
    lbQuestions->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbQuestions->setUniformItemSizes(false);
    lbQuestions->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    lbQuestions->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    btnInsert = new QPushButton(QStringLiteral("&Insert"), this);
    btnInsert->setDefault(true);
    btnEditItem = new QPushButton(QStringLiteral("&Edit Item"), this);
    btnDeleteItem = new QPushButton(QStringLiteral("&Delete Item"), this);
    btnHelp = new QPushButton(QStringLiteral("&Help"), this);
    btnClose = new QPushButton(QStringLiteral("Close"), this);

    connect(cmbLibraryName, &QComboBox::activated, this, &TORVql::ChooseLibrary);
    connect(btnNewLibrary, &QToolButton::clicked, this, &TORVql::NewLibrary);
    connect(btnDeleteLibrary, &QToolButton::clicked, this, &TORVql::DeleteLibrary);
    connect(
        lbQuestions->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TORVql::CheckButtons);
    connect(lbQuestions, &QListView::doubleClicked, this, &TORVql::Insert);
    connect(btnInsert, &QPushButton::clicked, this, &TORVql::Insert);
    connect(btnEditItem, &QPushButton::clicked, this, &TORVql::EditItem);
    connect(btnDeleteItem, &QPushButton::clicked, this, &TORVql::DeleteItems);
    connect(btnHelp, &QPushButton::clicked, this, [] { ShowHelpTopic(9); });
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    SetHelpContexts({{cmbLibraryName, 901}, {btnNewLibrary, 902}, {btnDeleteLibrary, 903}, {btnInsert, 904},
        {btnEditItem, 905}, {btnDeleteItem, 906}, {btnHelp, 4}, {btnClose, 10}});
    SetHelpContext(lbQuestions, 907, true);
}

void TORVql::LayOut()
{
    auto* name = new QLabel(QStringLiteral("&Library Name:"), this);
    name->setBuddy(cmbLibraryName);
    auto* top = new QHBoxLayout;
    top->addWidget(name);
    top->addWidget(cmbLibraryName, 1);
    top->addWidget(btnNewLibrary);
    top->addWidget(btnDeleteLibrary);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {btnInsert, btnEditItem, btnDeleteItem})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(btnHelp);
    buttons->addWidget(btnClose);
    auto* grid = new QGridLayout(this);
    grid->addLayout(top, 0, 0);
    grid->addWidget(lbQuestions, 1, 0);
    grid->addLayout(buttons, 1, 1);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 1);
    QWidget* const order[] = {cmbLibraryName, btnNewLibrary, btnDeleteLibrary, lbQuestions, btnInsert,
        btnEditItem, btnDeleteItem, btnHelp, btnClose};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
    ShareHelpWithLabels(this);
    resize(620, 420);
}

void TORVql::RebuildLibraryList(const QString& path)
{
    libraries_ = ListLibraries(form_.DataDirectory());
    int chosen = -1;
    {
        const QSignalBlocker block(cmbLibraryName);
        cmbLibraryName->clear();
        for (size_t i = 0; i < libraries_.size(); ++i) {
            cmbLibraryName->addItem(libraries_[i].Name);
            if (chosen < 0 && !path.isEmpty() && QFileInfo(libraries_[i].Path) == QFileInfo(path))
                chosen = static_cast<int>(i);
        }
        cmbLibraryName->setCurrentIndex(chosen);
    }
    OpenLibrary(chosen >= 0 ? libraries_[chosen].Path : QString());
}

void TORVql::ChooseLibrary(int index)
{
    if (index < 0 || index >= static_cast<int>(libraries_.size()))
        return;
    OpenLibrary(libraries_[index].Path);
}

void TORVql::OpenLibrary(const QString& path)
{
    library_->NewSurvey();
    libraryPath_.clear();
    readInPart_ = false;
    if (!path.isEmpty()) {
        try {
            library_->Load(path);
        } catch (const ESurveyException& e) {
            ShowError(e.Message());
            readInPart_ = true;
        }
        libraryPath_ = path;
    }
    FillItems();
}

void TORVql::FillItems()
{
    questionModel->SetRows(BuildLibraryRows(*library_));
    CheckButtons();
}

void TORVql::CheckButtons()
{
    const int selected = static_cast<int>(SelectedRows().size());
    btnEditItem->setEnabled(selected == 1);
    btnDeleteItem->setEnabled(selected > 0);
    btnInsert->setEnabled(selected > 0);
    btnDeleteLibrary->setEnabled(cmbLibraryName->count() > 0);
}

std::vector<int> TORVql::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : lbQuestions->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TORVql::SelectRow(int row)
{
    if (row < 0 || row >= questionModel->rowCount())
        return;
    const QModelIndex index = questionModel->index(row, 0);
    lbQuestions->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    lbQuestions->scrollTo(index);
}

int TORVql::FocusedRow() const
{
    const QModelIndex current = lbQuestions->selectionModel()->currentIndex();
    const std::vector<int> selected = SelectedRows();
    if (current.isValid() && std::find(selected.begin(), selected.end(), current.row()) != selected.end())
        return current.row();
    return selected.empty() ? -1 : selected.front();
}

bool TORVql::RefuseChangesToPartLibrary() const
{
    // Writing back a library read only in part would drop the items after the faulty one; its
    // items can still be inserted.
    if (readInPart_)
        ShowError(QStringLiteral("The library ") + libraryPath_
            + QStringLiteral(" could not be read completely, so it is not changed."));
    return readInPart_;
}

bool TORVql::SaveLibrary()
{
    try {
        library_->Save();
    } catch (const ESurveyException& e) {
        ShowError(e.Message());
        return false;
    }
    return true;
}

void TORVql::Insert()
{
    const std::vector<int> selected = SelectedRows();
    if (selected.empty() || !form_.ConfirmChangesToPublished())
        return;
    AppendItemCopies(*library_, selected, form_.Survey());
    accept();
}

void TORVql::EditItem()
{
    const int row = FocusedRow();
    if (row < 0 || row >= library_->QuestionCount() || RefuseChangesToPartLibrary())
        return;
    auto* commands = form_.findChild<TORVListCommands*>();
    if (!commands)
        return;
    const TQuestion& item = library_->GetQuestion(row);
    if (item.IsHeader()) {
        TORVHeader* header = commands->HeaderEditor();
        header->memoText->setPlainText(item.Text);
        if (header->exec() != QDialog::Accepted)
            return;
        ReplaceHeader(*library_, row, header->memoText->toPlainText());
    } else {
        TORVQuestion* question = commands->QuestionEditor();
        question->Fill(EditorFromItem(item));
        if (question->exec() != QDialog::Accepted)
            return;
        ReplaceItem(*library_, row, FieldsFromEditor(question->Values()));
    }
    SaveLibrary();
    FillItems();
    SelectRow(row);
}

void TORVql::DeleteItems()
{
    const std::vector<int> selected = SelectedRows();
    if (selected.empty() || RefuseChangesToPartLibrary())
        return;
    if (!AskYesNoCaption(
            QStringLiteral("Confirm Delete"), DeleteItemsQuestion(static_cast<int>(selected.size())), true))
        return;
    DeleteLibraryItems(*library_, selected);
    SaveLibrary();
    FillItems();
}

void TORVql::NewLibrary()
{
    TORVLibName dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString name = dialog.Name().trimmed();
    if (name.isEmpty()) {
        ShowError(QStringLiteral("Please enter a name for the new library."));
        return;
    }
    if (LibraryNameInUse(libraries_, name)) {
        ShowError(LibraryNameInUseMessage(name));
        return;
    }
    QString path;
    try {
        path = CreateLibrary(form_.DataDirectory(), name, &AppSettings());
    } catch (const ESurveyException& e) {
        ShowError(e.Message());
        return;
    }
    RebuildLibraryList(path);
    form_.ListLibraries();
}

void TORVql::DeleteLibrary()
{
    const int index = cmbLibraryName->currentIndex();
    // With no library chosen (the remembered one has gone) there is nothing to delete.
    if (index < 0 || index >= static_cast<int>(libraries_.size()) || libraryPath_.isEmpty())
        return;
    const QString name = libraries_[index].Name;
    if (!AskYesNoCaption(QStringLiteral("Confirm Library Delete"),
            QStringLiteral("Are you sure you want to delete the library ") + name + QStringLiteral("?")))
        return;
    if (!QFile::remove(libraryPath_)) {
        ShowError(
            QStringLiteral("The library file ") + libraryPath_ + QStringLiteral(" could not be deleted."));
        return;
    }
    const std::vector<TLibraryEntry> remaining = ListLibraries(form_.DataDirectory());
    RebuildLibraryList(remaining.empty() ? QString() : remaining.front().Path);
    form_.ListLibraries();
}

void TORVql::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        RestoreDialogPosition(this, settings::QuestionLibrary);
    QDialog::showEvent(event);
}

void TORVql::done(int result)
{
    StoreDialogPosition(this, settings::QuestionLibrary);
    if (!libraryPath_.isEmpty())
        AppSettings().WriteString(settings::QuestionLibrary, settings::Last, libraryPath_);
    QDialog::done(result);
}
