#include "gui/responses/responsecommands.h"

#include "core/interaction/progress.h"
#include "core/responses/importdatafile.h"
#include "core/survey/survey.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "gui/seams/filedialogs.h"
#include "gui/seams/messages.h"
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
    form.Survey().Changes().Notify(TSurveyChange::Responses);
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
    survey.Changes().Notify(TSurveyChange::Responses);
}

namespace {

// The window's table when it is one of ours; null for a test's stand-in.
TResponseTable* TableOf(TORVMainForm& form)
{
    auto* table = dynamic_cast<TSurveyResponseTable*>(&form.ResponseTable());
    return table ? &table->Table() : nullptr;
}

} // namespace

std::unique_ptr<TResponseTableSeam> MakeSurveyResponseTable(TORVMainForm& form)
{
    TORVMainForm* window = &form; // the handlers live in the window's own command registry
    form.SetHandler(cmd::ResetLocalResponses, [window] {
        if (TResponseTable* table = TableOf(*window))
            ResetLocalResponsesCommand(*window, *table);
    });
    form.SetHandler(cmd::ImportServerDataFile, [window] {
        if (TResponseTable* table = TableOf(*window))
            ImportServerDataFileCommand(*window, *table);
    });
    return std::make_unique<TSurveyResponseTable>();
}

void InstallResponseCommands()
{
    TORVMainForm::SetResponseTableFactory(&MakeSurveyResponseTable);
}

TSurveyResponseTable& AttachResponseCommands(TORVMainForm& form)
{
    auto owned = MakeSurveyResponseTable(form);
    auto& responses = static_cast<TSurveyResponseTable&>(*owned);
    if (form.Survey().HasFile()) {
        TNoProgress quiet;
        responses.SurveyLoaded(form.Survey(), quiet);
    }
    form.SetResponseTable(std::move(owned));
    return responses;
}
