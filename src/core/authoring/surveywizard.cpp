#include "core/authoring/surveywizard.h"

#include "core/authoring/questionlibrary.h"
#include "core/authoring/responsetemplate.h"
#include "core/base/settings.h"
#include "core/base/settingstable.h"
#include "core/base/utils.h"
#include "core/survey/survey.h"

#include <QDir>
#include <QFileInfo>

TWizardSetup ReadWizardSetup(const TSettings& settings, const QString& dataDirectory)
{
    using namespace settings;
    TWizardSetup setup;
    setup.Author = settings.ReadString(Defaults, Author, QString());
    setup.Instructions = settings.ReadString(Defaults, Instructions, WizardInstructions);
    setup.FinalComments = settings.ReadString(Defaults, FinalComments, WizardFinalComments);
    for (const TLibraryEntry& library : ListLibraries(dataDirectory)) {
        setup.LibraryNames.append(library.Name);
        setup.LibraryPaths.append(library.Path);
    }
    for (const TTemplateEntry& entry : ListTemplates(dataDirectory, TTemplateKind::Display))
        setup.DisplayTemplates.append(entry.Caption);
    const QString chosen = settings.ReadString(Defaults, DisplayTemplate, DefaultDisplayTemplate);
    setup.ChosenTemplate = static_cast<int>(setup.DisplayTemplates.indexOf(chosen));
    return setup;
}

namespace {

// Appends every item of the chosen library; the message to show when that cannot be done.
std::optional<QString> AppendLibrary(const TWizardChoices& c, TSurvey& survey)
{
    if (!QFileInfo(c.LibraryPath).isFile())
        return QStringLiteral("Could not find the library file for ") + c.LibraryName + QStringLiteral(" in ")
            + c.LibraryPath;
    TSurvey library(survey.Settings());
    library.NewSurvey();
    try {
        library.Load(c.LibraryPath);
    } catch (const ESurveyException& e) {
        return e.Message();
    }
    for (int i = 0; i < library.QuestionCount(); ++i)
        AppendItemCopy(library.GetQuestion(i), survey);
    return std::nullopt;
}

} // namespace

std::optional<QString> ApplyWizard(const TWizardChoices& c, TSurvey& survey)
{
    std::optional<QString> failure;
    survey.SetName(c.Name);
    survey.SetAuthor(c.Author);
    if (c.IncludeSamples)
        failure = AppendLibrary(c, survey);
    survey.SetInstructions(c.Instructions);
    survey.SetFinalComments(c.FinalComments);
    survey.SetDisplayTemplate(c.DisplayTemplate);
    return failure;
}

QString TemplatePreviewPicture(const QString& dataDirectory, const QString& templateName)
{
    return StripExtension(QDir(dataDirectory).filePath(templateName)) + QStringLiteral(".bmp");
}
