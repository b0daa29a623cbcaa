// File commands of the main window and the guards that run before the survey is replaced.
#include "core/base/settingstable.h"
#include "core/base/utils.h"
#include "core/survey/survey.h"
#include "core/webform/page.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/mainwindow/questionlistmodel.h"
#include "gui/mainwindow/responseseam.h"
#include "core/interaction/filedialogs.h"
#include "core/interaction/messages.h"
#include "core/interaction/shell.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QTabWidget>

namespace {

const QString kSurveyFilter = QStringLiteral("Orvalle Files (*.orv)");
const QString kNotSaved = QStringLiteral("Your survey has not been saved. Would you like to save it now?");

// The new survey of Save As under another name: a fresh copy of the items (new IDs, no skip
// groups) and of the properties that describe the survey, without responses, publication state
// or password.
void CopyForSaveAs(const TSurvey& from, TSurvey& to)
{
    to.SetName(from.Name());
    to.SetAuthor(from.Author());
    to.SetInstructions(from.GetInstructions());
    to.SetFinalComments(from.GetFinalComments());
    to.SetPublishMethod(from.PublishMethod());
    to.SetDisplayTemplate(from.DisplayTemplate());
    to.SetProcessResponses(from.ProcessResponses());
    to.SetAccountID(from.AccountID());
    to.SetServerURL(from.GetFormAction());
    to.SetEMailAddress(from.EMailAddress());
    to.SetNotificationFile(from.NotificationFile());
    to.SetNotifyMessage(from.NotifyMessage());
    to.SetAllAddresses(from.AllAddresses());
    to.SetAttachSurvey(from.AttachSurvey());
    to.SetSamplingPercent(from.SamplingPercent());
    to.SetIncomingDomain(from.IncomingDomain());
    to.SetDomain(from.Domain());
    to.SetOnly1Email(from.Only1Email());
    to.SetOnly1IP(from.Only1IP());
    to.SetLimitByIP(from.LimitByIP());
    to.SetIPAddresses(from.IPAddresses());
    for (int i = 0; i < from.QuestionCount(); ++i) {
        const TQuestion& q = from.GetQuestion(i);
        to.AddQuestion(q.Content());
    }
}

} // namespace

bool TORVMainForm::ConfirmSave()
{
    if (!survey_->Modified())
        return true;
    switch (AskYesNoCancel(QStringLiteral("Confirm Save"), kNotSaved)) {
    case TAnswer::No:
        return true;
    case TAnswer::Cancel:
        return false;
    case TAnswer::Yes:
        break;
    }
    const bool saved = survey_->HasFile() ? SaveToFile() : SaveSurveyAs();
    if (saved && survey_->HasFile())
        AddToRecentFiles(survey_->FileName());
    return saved;
}

bool TORVMainForm::ConfirmSaveBeforePublish()
{
    if (!survey_->Modified())
        return true;
    if (AskYesNoCancel(QStringLiteral("Confirm Save"), kNotSaved) != TAnswer::Yes)
        return false;
    const bool saved = survey_->HasFile() ? SaveToFile() : SaveSurveyAs();
    if (saved && survey_->HasFile())
        AddToRecentFiles(survey_->FileName());
    return saved;
}

bool TORVMainForm::ConfirmChangesToPublished()
{
    if (!Command(cmd::UpdateNow)->isEnabled())
        return true;
    return WarnOnce(
               QStringLiteral("This survey has potentially been published.  Making changes to the survey at "
                              "this point may corrupt any results that have already been submitted.  Are you "
                              "sure you want to do this?"),
               settings::ChangesToPublishedSurvey)
        == TAnswer::Yes;
}

void TORVMainForm::AddToRecentFiles(const QString& path)
{
    recent_.Add(path, lastDirSavedTo_);
    RebuildReopenMenu();
}

bool TORVMainForm::LoadSurvey(const QString& path)
{
    try {
        survey_->Load(path);
    } catch (const ESurveyException& e) {
        ShowError(e.Message());
        return false;
    }
    responses_->SurveyLoaded(*survey_, *this);
    survey_->Changes().Notify(TSurveyChange::Responses);
    return true;
}

bool TORVMainForm::SaveToFile()
{
    try {
        survey_->Save();
    } catch (const ESurveyException& e) {
        ShowError(e.Message());
        return false;
    }
    return true;
}

void TORVMainForm::ResetForNewSurvey()
{
    questionModel->SetRows({});
    survey_->NewSurvey();
    cmbQuestionList->clear();
    pcMain->setCurrentIndex(0);
    responses_->Close();
    survey_->Changes().Notify(TSurveyChange::Responses);
}

bool TORVMainForm::ReplaceSurveyWith(const QString& path)
{
    if (survey_->HasFile())
        recent_.Add(survey_->FileName(), lastDirSavedTo_);
    ResetForNewSurvey();
    bool ok = true;
    if (QFileInfo::exists(path))
        ok = LoadSurvey(path);
    else
        survey_->SetFileName(path); // a name that does not exist yet only names the new survey
    RefreshQuestionList();
    return ok;
}

bool TORVMainForm::FileNew()
{
    if (!ConfirmSave())
        return false;
    if (survey_->HasFile())
        recent_.Add(survey_->FileName(), lastDirSavedTo_);
    ResetForNewSurvey();
    RefreshQuestionList();
    return true;
}

bool TORVMainForm::FileOpen()
{
    const auto chosen
        = FileDialogs().OpenFile(QStringLiteral("Open a Survey"), kSurveyFilter, lastDirSavedTo_);
    if (!chosen)
        return false;
    if (!ConfirmSave())
        return false;
    return ReplaceSurveyWith(*chosen);
}

bool TORVMainForm::FileSave()
{
    const bool saved = survey_->HasFile() ? SaveToFile() : SaveSurveyAs();
    if (survey_->HasFile())
        AddToRecentFiles(survey_->FileName());
    return saved;
}

bool TORVMainForm::SaveSurveyAs()
{
    const auto chosen = FileDialogs().SaveFile(
        QStringLiteral("Save Survey"), kSurveyFilter, lastDirSavedTo_, survey_->FileName());
    if (!chosen)
        return false;
    QString path = *chosen;
    if (QFileInfo(path).suffix().toUpper() != QLatin1String("ORV"))
        path += QStringLiteral(".ORV");

    bool saved = false;
    if (!survey_->HasFile() || path == survey_->FileName()) {
        survey_->SetDataFileName(QString());
        try {
            survey_->SaveAs(path);
            saved = true;
        } catch (const ESurveyException& e) {
            ShowError(e.Message());
        }
    } else {
        saved = SaveCopyAs(path);
    }
    lastDirSavedTo_ = QFileInfo(path).absolutePath();
    if (survey_->HasFile())
        AddToRecentFiles(survey_->FileName());
    return saved;
}

bool TORVMainForm::SaveCopyAs(const QString& path)
{
    TSurvey copy(survey_->Settings());
    copy.NewSurvey();
    CopyForSaveAs(*survey_, copy);
    try {
        copy.SaveAs(path);
    } catch (const ESurveyException& e) {
        ShowError(e.Message());
        return false; // the open survey stays as it was
    }
    ResetForNewSurvey();
    const bool loaded = LoadSurvey(path);
    RefreshQuestionList();
    return loaded;
}

bool TORVMainForm::Reopen(const QString& entry)
{
    if (!ConfirmSave())
        return false;
    const QString path = TRecentFiles::Complete(entry, lastDirSavedTo_);
    if (!QFileInfo::exists(path)) {
        ShowErrorCaption(QStringLiteral("File Not Found"),
            path + QStringLiteral(" is no longer there.  It may have been deleted or moved."));
        recent_.Remove(path);
        RebuildReopenMenu();
        return false;
    }
    return ReplaceSurveyWith(path);
}

bool TORVMainForm::OpenDroppedFile(const QString& path)
{
    if (!ConfirmSave())
        return false;
    return ReplaceSurveyWith(path);
}

void TORVMainForm::Preview()
{
    const QString file = MakeTempFileName(QStringLiteral("htm"));
    // A preview is not a publication: the survey keeps the page state it had.
    const QString status = survey_->HTMLStatus();
    const QString pageFile = survey_->HTMLFileName();
    const QDateTime pageTime = survey_->HTMLLastUpdate();
    const bool modified = survey_->Modified();
    const TPageResult result = GeneratePage(*survey_, file, dataDirectory_);
    survey_->SetHTMLStatus(status);
    survey_->SetHTMLFileName(pageFile);
    survey_->SetHTMLLastUpdate(pageTime);
    survey_->SetModified(modified);
    if (!result.Succeeded()) {
        QFile::remove(file); // the empty file that reserved the name
        ShowError(QString::fromUtf8(kPageFailureMessage));
        return;
    }
    tempFiles_.append(file);
    OpenWithShell(file);
}
