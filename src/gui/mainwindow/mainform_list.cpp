// The question list of the main window and the analysis question combo.
#include "core/survey/survey.h"
#include "gui/mainwindow/mainform.h"
#include "gui/mainwindow/questionlistmodel.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QListView>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

void TORVMainForm::RefreshQuestionList()
{
    survey_->Renumber();
    std::vector<TQuestionRow> rows = BuildQuestionRows(*survey_);
    {
        const QSignalBlocker block(cmbQuestionList);
        cmbQuestionList->setUpdatesEnabled(false);
        cmbQuestionList->clear();
        for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
            if (!rows[i].Header)
                cmbQuestionList->addItem(rows[i].Text, i);
        }
        cmbQuestionList->setCurrentIndex(-1);
        cmbQuestionList->setUpdatesEnabled(true);
    }
    questionModel->SetRows(std::move(rows));
}

std::vector<int> TORVMainForm::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : lbQuestions->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void TORVMainForm::SelectRows(const std::vector<int>& rows)
{
    QItemSelection selection;
    for (int row : rows) {
        const QModelIndex index = questionModel->index(row, 0);
        if (index.isValid())
            selection.select(index, index);
    }
    lbQuestions->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.empty())
        lbQuestions->selectionModel()->setCurrentIndex(
            questionModel->index(rows.front(), 0), QItemSelectionModel::NoUpdate);
}

int TORVMainForm::FocusedRow() const
{
    const QModelIndex current = lbQuestions->selectionModel()->currentIndex();
    if (current.isValid())
        return current.row();
    const std::vector<int> selected = SelectedRows();
    return selected.empty() ? -1 : selected.front();
}

void TORVMainForm::ScrollToRow(int row)
{
    lbQuestions->scrollTo(questionModel->index(row, 0));
}

int TORVMainForm::ListScrollPosition() const
{
    return lbQuestions->verticalScrollBar()->value();
}

void TORVMainForm::SetListScrollPosition(int position)
{
    lbQuestions->verticalScrollBar()->setValue(position);
}
