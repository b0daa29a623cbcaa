#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class TSettings;
class TSurvey;

// What the survey builder wizard starts from: the stored defaults and the data directory's
// libraries and display templates, each list in directory order.
struct TWizardSetup {
    QString Author;
    QString Instructions;
    QString FinalComments;
    QStringList LibraryNames;
    QStringList LibraryPaths; // same order as LibraryNames
    QStringList DisplayTemplates; // file names
    int ChosenTemplate = -1; // the stored default template, when it is in the list
};
TWizardSetup ReadWizardSetup(const TSettings& settings, const QString& dataDirectory);

// The wizard's answers.
struct TWizardChoices {
    QString Name = QStringLiteral("Sample Survey");
    QString Author;
    bool IncludeSamples = false;
    QString LibraryName;
    QString LibraryPath;
    QString Instructions;
    QString FinalComments;
    QString DisplayTemplate;
};

// Finish: name and author, the library's items (when asked for and the file is still there),
// instructions and closing comments, then the display template. Returns the message to show
// when the library has gone; the survey still gets everything else.
std::optional<QString> ApplyWizard(const TWizardChoices& choices, TSurvey& survey);

// The picture shown for a display template: the template's path with ".bmp" for its extension.
QString TemplatePreviewPicture(const QString& dataDirectory, const QString& templateName);
