// CheckForButtons: command states, status bar, analysis labels and title, after every change the
// survey announces and every command.
#include "core/base/clock.h"
#include "core/base/datetimetext.h"
#include "core/base/utils.h"
#include "core/startup/recentfiles.h"
#include "core/survey/survey.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/mainwindow/responseseam.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

#include <exception>

namespace {

// "mm/dd/yy hh:nn am/pm"
QString LastUpdatedText(const QDateTime& when)
{
    if (!when.isValid() || when.date() == NoDownloadDateTime().date())
        return QStringLiteral("Last Updated: Never");
    const QTime t = when.time();
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    return QStringLiteral("Last Updated: %1 %2:%3 %4")
        .arg(when.date().toString(QStringLiteral("MM/dd/yy")))
        .arg(hour12, 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm"));
}

} // namespace

void TORVMainForm::CheckForButtons()
{
    refreshPending_ = false;
    try {
        pnlStatus[0]->setText(survey_->Modified() ? QStringLiteral(" Modified ") : QString());
        UpdateCommandStates();
        RebuildReopenMenu();
        UpdateStatusTexts();
        // The title as it stands: no " — Orvalle" appended from the application's display name.
        setWindowTitle(QStringLiteral("Orvalle - ") + survey_->Name());
    } catch (const std::exception& e) {
        AppendLine(dataDirectory_ + QStringLiteral("ERROR.LOG"),
            FormatDateAndTime(Now()) + QStringLiteral(":Exception thrown during CheckForButtons - ")
                + QString::fromUtf8(e.what()));
    }
}

// The selected rows that are items of the survey: a change announced while the list still shows
// the rows from before (a new survey, a file being loaded) must not reach past its end.
std::vector<int> TORVMainForm::SelectedItemRows() const
{
    std::vector<int> selected = SelectedRows();
    const int items = survey_->QuestionCount();
    std::erase_if(selected, [items](int row) { return row >= items; });
    return selected;
}

bool TORVMainForm::QuestionsPageShown() const
{
    return pcMain->currentIndex() == 0;
}

TCommandState TORVMainForm::CurrentCommandState(const std::vector<int>& selected) const
{
    TCommandState state;
    state.Selected = static_cast<int>(selected.size());
    state.Items = survey_->QuestionCount();
    state.FirstRowSelected = !selected.empty() && selected.front() == 0;
    state.LastRowSelected = !selected.empty() && selected.back() == state.Items - 1;
    state.SingleSelection = state.Selected == 1;
    state.OnQuestionsPage = QuestionsPageShown();
    state.ResponsesReceived = survey_->SRResponseCount();
    state.Modified = survey_->Modified();
    state.ClipboardFilled = clipboard_->QuestionCount() > 0;
    state.PageGenerated = survey_->HTMLStatus() != QLatin1String(kHTMLNotGenerated);
    state.ResponseTableOpen = responses_->IsOpen();
    state.HasLibraries = !libraryFiles_.isEmpty();
    state.ChartShown = responses_->IsOpen() && responses_->ChartShown();
    return state;
}

void TORVMainForm::UpdateCommandStates()
{
    const std::vector<int> selected = SelectedItemRows();
    const TCommandState state = CurrentCommandState(selected);
    commands_->UpdateStates(state);
    UpdateSkipGroupButton(selected);

    QAction* rawEditing = Command(cmd::RawResultsEditing);
    if (!rawEditing->isEnabled())
        rawEditing->setChecked(false);
    QAction* print = Command(cmd::FilePrint);
    print->setText(
        state.OnQuestionsPage ? QStringLiteral("&Print Questions...") : QStringLiteral("&Print Analysis..."));
    print->setToolTip(
        state.OnQuestionsPage ? QStringLiteral("Print Questions") : QStringLiteral("Print Analysis"));
}

void TORVMainForm::UpdateSkipGroupButton(const std::vector<int>& selected)
{
    skipGroupOffer_ = SkipGroupOffer(*survey_, selected);
    QMenu* skipMenu = tbSkipGroup->menu();
    skipMenu->clear();
    if (skipGroupOffer_ == TSkipGroupOffer::Ungroup)
        skipMenu->addAction(Command(cmd::UngroupSkipGroup));
    else if (skipGroupOffer_ == TSkipGroupOffer::Create)
        skipMenu->addAction(Command(cmd::CreateSkipGroup));
    tbSkipGroup->setEnabled(skipGroupOffer_ != TSkipGroupOffer::None);
}

void TORVMainForm::RebuildReopenMenu()
{
    QMenu* reopen = CommandMenu(cmd::FileReopen);
    reopen->clear();
    for (const QString& path : recent_.Files()) {
        if (survey_->HasFile() && path == survey_->FileName())
            continue;
        QAction* entry = reopen->addAction(TRecentFiles::Caption(path, lastDirSavedTo_));
        entry->setData(path);
        connect(entry, &QAction::triggered, this, [this, path] { Reopen(path); });
    }
    reopen->menuAction()->setEnabled(!reopen->isEmpty());
}

void TORVMainForm::UpdateStatusTexts()
{
    lblLastUpdated->setText(LastUpdatedText(survey_->SRServerUpdate()));
    lblNotificationsSent->setText(QStringLiteral("Notifications: ") + survey_->EMailStatus());
    lblResponsesReceived->setText(QStringLiteral("Responses Received: %1").arg(survey_->SRResponseCount()));
    pnlStatus[1]->setText(
        survey_->HasFile() ? TRecentFiles::Caption(survey_->FileName(), lastDirSavedTo_) : QString());
    if (cmbQuestionList->count() > 0 && cmbQuestionList->currentIndex() < 0)
        cmbQuestionList->setCurrentIndex(0);
    const QString filter = responses_->FilterText();
    pnlStatus[2]->setText(filter.isEmpty() ? QString() : QStringLiteral("Filter: ") + filter);
    lblCurrentFilter->setText(
        filter.isEmpty() ? QStringLiteral("Filter: None") : QStringLiteral("Filter: ") + filter);
}
