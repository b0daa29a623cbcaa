#pragma once

#include <QString>

#include <memory>

// The answer of a Yes/No/Cancel box or of the warning dialog.
enum class TAnswer { Yes, No, Cancel };

// Everything that stops the program to ask or tell the user something goes through this seam.
// The program installs boxes that really show (gui/seams); widget tests install TScriptedMessages
// (tests/support/scriptedseams.h), which records what would have been shown and returns scripted answers.
class TMessageBoxes {
public:
    enum class Icon { Error, Information, Question };
    virtual ~TMessageBoxes() = default;

    // A box with one OK button.
    virtual void Tell(Icon icon, const QString& caption, const QString& text) = 0;
    // A question with Yes and No; No is the default button unless yesIsDefault.
    virtual bool AskYesNo(const QString& caption, const QString& text, bool yesIsDefault) = 0;
    // A question with Yes, No and Cancel.
    virtual TAnswer AskYesNoCancel(const QString& caption, const QString& text) = 0;
    // The warning dialog with "Don't show this warning again"; dontShowAgain receives the tick.
    virtual TAnswer Warn(const QString& text, bool& dontShowAgain) = 0;
};

TMessageBoxes& MessageBoxes();
// Replaces the seam; returns the previous one so that a test can put it back.
std::unique_ptr<TMessageBoxes> SetMessageBoxes(std::unique_ptr<TMessageBoxes> boxes);

// "Error" with the error icon.
void ShowError(const QString& message);
// An error box under another caption ("File Not Found", "Directory Error").
void ShowErrorCaption(const QString& caption, const QString& message);
// "Warning" with the information icon.
void ShowWarning(const QString& message);
// "Information" with the information icon.
void ShowInformation(const QString& message);
// "Warning" with Yes and No; true when Yes was chosen.
bool AskYesNo(const QString& message, bool yesIsDefault = false);
// Yes/No under another caption ("Confirm Create").
bool AskYesNoCaption(const QString& caption, const QString& message, bool yesIsDefault = false);
// Yes/No/Cancel with a question icon under the given caption ("Confirm Save").
TAnswer AskYesNoCancel(const QString& caption, const QString& message);

// Asks the warning named `name` (a value of the "Disabled Warnings" settings section) unless the
// user switched it off, in which case the answer is Yes without asking. Leaving with Yes or No
// while the box is ticked switches the warning off for good; Cancel never does.
TAnswer WarnOnce(const QString& message, const QString& name);

// Told whenever a command is not part of this build yet, so that no button is silently dead.
void ShowNotAvailable(const QString& command);
