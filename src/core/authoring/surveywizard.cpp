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
    setup.author = settings.ReadString(Defaults, Author, QString());
    setup.instructions = settings.ReadString(Defaults, Instructions, WizardInstructions);
    setup.finalComments = settings.ReadString(Defaults, FinalComments, WizardFinalComments);
    for (const TLibraryEntry& library : ListLibraries(dataDirectory)) {
        setup.libraryNames.append(library.name);
        setup.libraryPaths.append(library.path);
    }
    for (const TTemplateEntry& entry : ListTemplates(dataDirectory, TTemplateKind::Display))
        setup.displayTemplates.append(entry.caption);
    const QString chosen = settings.ReadString(Defaults, DisplayTemplate, DefaultDisplayTemplate);
    setup.chosenTemplate = static_cast<int>(setup.displayTemplates.indexOf(chosen));
    return setup;
}

namespace {

// Appends every item of the chosen library; the message to show when that cannot be done.
std::optional<QString> AppendLibrary(const TWizardChoices& c, TSurvey& survey)
{
    if (!QFileInfo(c.libraryPath).isFile())
        return QStringLiteral("Could not find the library file for ") + c.libraryName + QStringLiteral(" in ")
            + c.libraryPath;
    TSurvey library(survey.Settings());
    library.NewSurvey();
    try {
        library.Load(c.libraryPath);
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
    survey.SetName(c.name);
    survey.SetAuthor(c.author);
    if (c.includeSamples)
        failure = AppendLibrary(c, survey);
    survey.SetInstructions(c.instructions);
    survey.SetFinalComments(c.finalComments);
    survey.SetDisplayTemplate(c.displayTemplate);
    return failure;
}

QString TemplatePreviewPicture(const QString& dataDirectory, const QString& templateName)
{
    return StripExtension(QDir(dataDirectory).filePath(templateName)) + QStringLiteral(".bmp");
}
