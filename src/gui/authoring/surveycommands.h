#pragma once

#include <QObject>

class TORVMainForm;

// The Survey menu's authoring commands of the main window: Properties, Question Library,
// Survey Builder Wizard, and the "Add to Question Library" submenu of the question list.
class TORVSurveyCommands : public QObject {
    Q_OBJECT
public:
    explicit TORVSurveyCommands(TORVMainForm& form);

    void Properties();
    void QuestionLibrary();
    void SurveyBuilderWizard();
    void AddToLibrary(const QString& libraryPath);

private:
    TORVMainForm& form_;
};
