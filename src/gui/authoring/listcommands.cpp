#include "gui/authoring/listcommands.h"

#include "core/authoring/listediting.h"
#include "core/authoring/questionrows.h"
#include "core/authoring/responsetemplate.h"
#include "core/base/settingstable.h"
#include "core/survey/survey.h"
#include "gui/authoring/header.h"
#include "gui/authoring/question.h"
#include "gui/authoring/skipgroup.h"
#include "gui/authoring/templatemgr.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "core/interaction/messages.h"

#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPlainTextEdit>

TORVListCommands::TORVListCommands(TORVMainForm& form)
    : QObject(&form)
    , form_(form)
{
    setObjectName(QStringLiteral("ListCommands"));
    question_ = new TORVQuestion(form.DataDirectory(), &form);
    header_ = new TORVHeader(&form);
    Connect();
    RebuildApplyMenu();
}

void TORVListCommands::Connect()
{
    const std::pair<QString, void (TORVListCommands::*)()> commands[] = {
        {cmd::AddQuestion, &TORVListCommands::AddQuestion},
        {cmd::AddHeader, &TORVListCommands::AddHeader},
        {cmd::EditItem, &TORVListCommands::EditItem},
        {cmd::DeleteItem, &TORVListCommands::DeleteItems},
        {cmd::MoveUp, &TORVListCommands::MoveUp},
        {cmd::MoveDown, &TORVListCommands::MoveDown},
        {cmd::EditCopy, &TORVListCommands::Copy},
        {cmd::EditCut, &TORVListCommands::Cut},
        {cmd::EditPaste, &TORVListCommands::Paste},
        {cmd::CreateSkipGroup, &TORVListCommands::CreateSkipGroup},
        {cmd::UngroupSkipGroup, &TORVListCommands::Ungroup},
        {cmd::TemplateManager, &TORVListCommands::TemplateManager},
    };
    for (const auto& [id, command] : commands)
        form_.SetHandler(id, [this, command = command] { (this->*command)(); });
    connect(form_.CommandMenu(cmd::ApplyResponseTemplate), &QMenu::aboutToShow, this,
        &TORVListCommands::RebuildApplyMenu);
    connect(&form_, &TORVMainForm::DataDirectoryChanged, this, [this](const QString& directory) {
        question_->SetDataDirectory(directory);
        RebuildApplyMenu();
    });
}

void TORVListCommands::RebuildApplyMenu()
{
    QMenu* menu = form_.CommandMenu(cmd::ApplyResponseTemplate);
    menu->clear();
    const QStringList& list = question_->TemplateList();
    for (int i = 0; i < list.size(); ++i) {
        QAction* entry = menu->addAction(ResponseTemplateTitle(question_->DataDirectory() + list[i]));
        entry->setData(i);
        connect(entry, &QAction::triggered, this, [this, i] { ApplyResponseTemplate(i); });
    }
}

void TORVListCommands::Finish(const std::vector<int>& select)
{
    form_.RefreshQuestionList();
    form_.SelectRows(select);
}

void TORVListCommands::AddQuestion()
{
    if (!form_.ConfirmChangesToPublished())
        return;
    question_->ResetEditor();
    if (question_->exec() != QDialog::Accepted)
        return;
    const int row = AddItem(form_.Survey(), FieldsFromEditor(question_->Values()), form_.SelectedRows());
    Finish({row});
    form_.ScrollToRow(row);
}

void TORVListCommands::AddHeader()
{
    if (!form_.ConfirmChangesToPublished())
        return;
    header_->memoText->clear();
    if (header_->exec() != QDialog::Accepted)
        return;
    const int row = AddHeaderItem(form_.Survey(), header_->memoText->toPlainText(), form_.SelectedRows());
    Finish({row});
    form_.ScrollToRow(row);
}

void TORVListCommands::EditItem()
{
    const int row = form_.FocusedRow();
    TSurvey& survey = form_.Survey();
    if (row < 0 || row >= survey.QuestionCount())
        return;
    const int scrolled = form_.ListScrollPosition();
    if (!form_.ConfirmChangesToPublished())
        return;
    const TQuestion& item = survey.GetQuestion(row);
    if (item.IsHeader()) {
        header_->memoText->setPlainText(item.Text);
        if (header_->exec() != QDialog::Accepted)
            return;
        ReplaceHeader(survey, row, header_->memoText->toPlainText());
    } else {
        question_->Fill(EditorFromItem(item));
        if (question_->exec() != QDialog::Accepted)
            return;
        ReplaceItem(survey, row, FieldsFromEditor(question_->Values()));
    }
    Finish({row});
    form_.SetListScrollPosition(scrolled);
}

void TORVListCommands::DeleteItems()
{
    const std::vector<int> selected = form_.SelectedRows();
    if (selected.empty() || !form_.ConfirmChangesToPublished())
        return;
    const QString question = selected.size() == 1
        ? QStringLiteral("Are you sure you want to delete the selected item?")
        : QStringLiteral("Are you sure you want to delete the %1 items you have selected?")
              .arg(selected.size());
    if (WarnOnce(question, settings::DeleteQuestions) != TAnswer::Yes)
        return;
    const int scrolled = form_.ListScrollPosition();
    const int row = ::DeleteItems(form_.Survey(), selected, form_.FocusedRow());
    Finish(row < 0 ? std::vector<int>{} : std::vector<int>{row});
    form_.SetListScrollPosition(scrolled);
}

bool TORVListCommands::MoveGuard()
{
    if (!HasAnySkipGroup(form_.Survey()))
        return true;
    return WarnOnce(QStringLiteral("You are about to move questions in a Skip Group. This may corrupt the "
                                   "survey - are you sure you want to do this?"),
               settings::MoveSkipGroup)
        == TAnswer::Yes;
}

void TORVListCommands::MoveUp()
{
    const std::vector<int> selected = form_.SelectedRows();
    if (selected.empty() || !MoveGuard())
        return;
    Finish(MoveItemsUp(form_.Survey(), selected));
}

void TORVListCommands::MoveDown()
{
    const std::vector<int> selected = form_.SelectedRows();
    if (selected.empty() || !MoveGuard())
        return;
    Finish(MoveItemsDown(form_.Survey(), selected));
}

void TORVListCommands::Copy()
{
    const std::vector<int> selected = form_.SelectedRows();
    if (selected.empty())
        return;
    const QString text = CopyItems(form_.Survey(), selected, form_.ClipboardSurvey());
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
}

void TORVListCommands::Cut()
{
    const std::vector<int> selected = form_.SelectedRows();
    if (selected.empty())
        return;
    Copy();
    const int row = ::DeleteItems(form_.Survey(), selected, selected.front());
    Finish(row < 0 ? std::vector<int>{} : std::vector<int>{row});
}

void TORVListCommands::Paste()
{
    if (form_.ClipboardSurvey().QuestionCount() == 0)
        return;
    Finish(PasteItems(form_.ClipboardSurvey(), form_.Survey()));
}

void TORVListCommands::CreateSkipGroup()
{
    const std::vector<int> selected = form_.SelectedRows();
    TSurvey& survey = form_.Survey();
    if (selected.empty() || selected.front() < 1 || !form_.ConfirmChangesToPublished())
        return;
    survey.Renumber();
    QStringList members;
    for (int row : selected)
        members.append(RowText(survey.GetQuestion(row)));
    const TQuestion& owner = survey.GetQuestion(selected.front() - 1);
    TORVSkipGroup dialog(members, RowText(owner), owner.OptionList(), &form_);
    if (dialog.exec() != QDialog::Accepted)
        return;
    ::CreateSkipGroup(survey, selected, dialog.Response());
    Finish(selected);
}

void TORVListCommands::Ungroup()
{
    const std::vector<int> selected = form_.SelectedRows();
    if (selected.empty() || !form_.ConfirmChangesToPublished())
        return;
    if (WarnOnce(QStringLiteral("Are you sure you want to ungroup all the questions in this skip group?"),
            settings::UngroupSkipGroup)
        != TAnswer::Yes)
        return;
    UngroupSkipGroup(form_.Survey(), selected);
    Finish(selected);
}

void TORVListCommands::ApplyResponseTemplate(int position)
{
    const QStringList& list = question_->TemplateList();
    const std::vector<int> selected = form_.SelectedRows();
    if (position < 0 || position >= list.size() || selected.empty())
        return;
    const QString path = question_->DataDirectory() + list[position];
    // A file removed behind the program's back would read as no options and wipe the options
    // of every selected question: refuse, and offer the templates that are really there.
    if (!QFileInfo(path).isFile()) {
        ShowError(QStringLiteral("The response template ") + path + QStringLiteral(" no longer exists."));
        question_->LoadTemplateList();
        RebuildApplyMenu();
        return;
    }
    const TResponseTemplate t = ReadResponseTemplate(path);
    if (!AskYesNo(QStringLiteral("Are you sure you want to apply the responses from the ") + t.Title
            + QStringLiteral(" template to the selected questions?")))
        return;
    ApplyOptions(form_.Survey(), selected, t.Options);
    Finish(selected);
}

void TORVListCommands::TemplateManager()
{
    TORVTemplateMgr manager(question_->DataDirectory(), &form_);
    manager.exec();
    question_->LoadTemplateList();
    RebuildApplyMenu();
}
