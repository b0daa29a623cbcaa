#include "responses/responsecommands.h"

#include "app/filedialogs.h"
#include "app/messages.h"
#include "authoring/mainform.h"
#include "platform/progress.h"
#include "responses/importdatafile.h"
#include "responses/servercommands.h"
#include "survey/survey.h"
#include "xbase/table.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>

namespace {

const QString kImportTitle = QStringLiteral("Import Server Data File");

// Progress of an import in a window the user can stop it from.
class TImportProgress {
public:
    explicit TImportProgress(QWidget* parent)
        : dialog_(kImportTitle, QStringLiteral("&Stop"), 0, 1000, parent)
    {
        dialog_.setWindowTitle(kImportTitle);
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(500);
    }
    bool Report(qint64 done, qint64 total)
    {
        dialog_.setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
        QApplication::processEvents();
        return !dialog_.wasCanceled();
    }

private:
    QProgressDialog dialog_;
};

} // namespace

void TSurveyResponseTable::SurveyLoaded(TSurvey& survey, TProgress&)
{
    table_.Close();
    const QString path = survey.SRResponseFile();
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    if (!OpenResponseTable(survey, table_, [](const QString& message) { ShowError(message); }))
        return;
    const int count = table_.Table().RecordCount();
    if (count != survey.SRResponseCount())
        survey.SetSRResponseCount(count);
}

void ResetLocalResponsesCommand(TORVMainForm& form, TResponseTable& table)
{
    if (!AskYesNo(QStringLiteral("Are you sure you want to reset your local responses?")))
        return;
    const QString saveError = ResetLocalResponses(form.Survey(), table);
    if (!saveError.isEmpty())
        ShowError(saveError);
    form.CheckForButtons();
}

void ImportServerDataFileCommand(TORVMainForm& form, TResponseTable& table)
{
    TSurvey& survey = form.Survey();
    const QString proposed = survey.UniqueName() + QStringLiteral(".dat");
    const std::optional<QString> chosen
        = FileDialogs().OpenFile(kImportTitle, QStringLiteral("Orvalle Server Data File (%1)").arg(proposed),
            QDir(form.LastDirSavedTo()).filePath(proposed));
    if (!chosen)
        return;
    TImportProgress progress(&form);
    TIntakeHooks hooks;
    hooks.ShowError = [](const QString& message) { ShowError(message); };
    hooks.Inform = [](const QString& message) { ShowInformation(message); };
    hooks.Progress = [&progress](qint64 done, qint64 total) { return progress.Report(done, total); };
    const TImportOutcome outcome = ImportServerDataFile(survey, table, *chosen, hooks);
    switch (outcome.Kind) {
    case TImportOutcome::TKind::Imported:
        ShowInformation(outcome.Message);
        break;
    case TImportOutcome::TKind::Stopped:
        break;
    default:
        ShowError(outcome.Message);
        break;
    }
    if (!outcome.Result.SaveError.isEmpty())
        ShowError(outcome.Result.SaveError);
    form.CheckForButtons();
}

TSurveyResponseTable& AttachResponseCommands(TORVMainForm& form)
{
    auto owned = std::make_unique<TSurveyResponseTable>();
    TSurveyResponseTable& responses = *owned;
    form.SetResponseTable(std::move(owned));
    if (form.Survey().HasFile()) {
        TNoProgress quiet;
        responses.SurveyLoaded(form.Survey(), quiet);
    }
    form.SetCommand(form.miResetLocalResponses,
        [&form, &responses] { ResetLocalResponsesCommand(form, responses.Table()); });
    form.SetCommand(form.miImportServerDataFile,
        [&form, &responses] { ImportServerDataFileCommand(form, responses.Table()); });
    AttachServerCommands(form, responses.Table());
    form.CheckForButtons();
    return responses;
}
