#include "gui/authoring/surveycommands.h"

#include "core/authoring/questionlibrary.h"
#include "core/authoring/surveywizard.h"
#include "core/base/inisettings.h"
#include "core/survey/survey.h"
#include "gui/authoring/properties.h"
#include "gui/authoring/publishwizard.h"
#include "gui/authoring/ql.h"
#include "gui/mainwindow/commandids.h"
#include "gui/mainwindow/mainform.h"
#include "core/interaction/messages.h"

#include <QAction>

TORVSurveyCommands::TORVSurveyCommands(TORVMainForm& form)
    : QObject(&form)
    , form_(form)
{
    setObjectName(QStringLiteral("SurveyCommands"));
    form_.SetHandler(cmd::SurveyProperties, [this] { Properties(); });
    form_.SetHandler(cmd::SurveyQuestionLibrary, [this] { QuestionLibrary(); });
    form_.SetHandler(cmd::SurveyBuilderWizard, [this] { SurveyBuilderWizard(); });
    form_.SetAddToLibraryHandler([this](const QString& path) { AddToLibrary(path); });
}

void TORVSurveyCommands::Properties()
{
    if (form_.ConfirmChangesToPublished()) {
        TORVProperties dialog(form_.Survey(), form_.DataDirectory(), &form_);
        dialog.OnPreviewFile = [this](const QString& path) { form_.AddTempFile(path); };
        if (dialog.exec() == QDialog::Accepted)
            form_.RefreshQuestionList();
    }
}

void TORVSurveyCommands::QuestionLibrary()
{
    {
        TORVql dialog(form_);
        dialog.exec();
    }
    form_.RefreshQuestionList();
}

void TORVSurveyCommands::SurveyBuilderWizard()
{
    // New asks to save the old survey and puts an empty one in its place.
    if (!form_.FileNew())
        return;
    TORVPublishWizard wizard(
        ReadWizardSetup(AppSettings(), form_.DataDirectory()), form_.DataDirectory(), &form_);
    if (wizard.exec() != QDialog::Accepted)
        return;
    const std::optional<QString> failure = ApplyWizard(wizard.Choices(), form_.Survey());
    if (failure)
        ShowError(*failure);
    form_.RefreshQuestionList();
    if (wizard.PreviewWanted())
        form_.Preview();
}

void TORVSurveyCommands::AddToLibrary(const QString& libraryPath)
{
    if (!::AddToLibrary(libraryPath, form_.Survey(), form_.SelectedRows()))
        ShowError(QString::fromLatin1(kAddToLibraryFailed));
}
