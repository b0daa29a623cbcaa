// CheckForButtons: command states, status bar, analysis labels and title after every command.
#include "core/startup/recentfiles.h"
#include "core/base/utils.h"
#include "gui/mainwindow/mainform.h"
#include "gui/mainwindow/responseseam.h"
#include "core/base/clock.h"
#include "core/base/datetimetext.h"
#include "core/survey/survey.h"

#include <QComboBox>
#include <QLabel>
#include <QListView>
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
    try {
        pnlStatus[0]->setText(survey_->Modified() ? QStringLiteral(" Modified ") : QString());
        UpdateCommandStates();
        RebuildReopenMenu();
        UpdateStatusTexts();
        setWindowTitle(QStringLiteral("Orvalle - ") + survey_->Name());
    } catch (const std::exception& e) {
        AppendLine(dataDirectory_ + QStringLiteral("ERROR.LOG"),
            FormatDateAndTime(Now()) + QStringLiteral(":Exception thrown during CheckForButtons - ")
                + QString::fromUtf8(e.what()));
    }
}

void TORVMainForm::UpdateCommandStates()
{
    const std::vector<int> selected = SelectedRows();
    const int selection = static_cast<int>(selected.size());
    const int items = survey_->QuestionCount();
    const bool onQuestions = pcMain->currentIndex() == 0;
    const int received = survey_->SRResponseCount();

    miFileReopen->setEnabled(!miFileReopen->isEmpty());
    miFileSave->setEnabled(survey_->Modified());
    miFilePrint->setEnabled(onQuestions ? items > 0 : received > 0);
    tbPreviewAsWebPage->setEnabled(items > 0);
    miEditCut->setEnabled(selection > 0);
    miEditCopy->setEnabled(selection > 0);
    miEditPaste->setEnabled(clipboard_->QuestionCount() > 0);
    miDeleteItem->setEnabled(selection > 0);
    miEditItem->setEnabled(selection == 1);
    tbMoveUp->setEnabled(selection > 0 && selected.front() != 0);
    tbMoveDown->setEnabled(selection > 0 && selected.back() != items - 1);
    miAddtoQuestionLibrary->setEnabled(selection > 0 && !libraryFiles_.isEmpty());
    miApplyResponseTemplate->setEnabled(selection > 0);
    miPublishSurvey->setEnabled(items > 0);

    skipGroupOffer_ = SkipGroupOffer(*survey_, selected);
    QMenu* skipMenu = tbSkipGroup->menu();
    skipMenu->clear();
    if (skipGroupOffer_ == TSkipGroupOffer::Ungroup)
        skipMenu->addAction(miUngroupSkipGroup);
    else if (skipGroupOffer_ == TSkipGroupOffer::Create)
        skipMenu->addAction(miCreateSkipGroup);
    tbSkipGroup->setEnabled(skipGroupOffer_ != TSkipGroupOffer::None);

    miRawResultsEditing->setEnabled(received > 0);
    if (!miRawResultsEditing->isEnabled())
        miRawResultsEditing->setChecked(false);
    miFileExport->setEnabled(received > 0 && responses_->IsOpen());
    btnSetFilterOptions->setEnabled(received > 0 && responses_->IsOpen());
    btnExportChart->setEnabled(received > 0 && responses_->IsOpen());
    btnChartView->setEnabled(received > 0 && responses_->IsOpen() && responses_->ChartShown());
    const bool generated = survey_->HTMLStatus() != QLatin1String(kHTMLNotGenerated);
    miImportServerDataFile->setEnabled(generated);
    btnUpdateNow->setEnabled(generated);
    miClearResultsFromServer->setEnabled(received > 0);

    miFilePrint->setText(
        onQuestions ? QStringLiteral("&Print Questions...") : QStringLiteral("&Print Analysis..."));
    miFilePrint->setToolTip(
        onQuestions ? QStringLiteral("Print Questions") : QStringLiteral("Print Analysis"));
}

void TORVMainForm::RebuildReopenMenu()
{
    miFileReopen->clear();
    for (const QString& path : recent_.Files()) {
        if (survey_->HasFile() && path == survey_->FileName())
            continue;
        QAction* entry = miFileReopen->addAction(TRecentFiles::Caption(path, lastDirSavedTo_));
        entry->setData(path);
        connect(entry, &QAction::triggered, this, [this, path] { Reopen(path); });
    }
    miFileReopen->setEnabled(!miFileReopen->isEmpty());
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
