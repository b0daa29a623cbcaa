#pragma once

#include "core/interaction/filedialogs.h"
#include "core/interaction/messages.h"
#include "core/interaction/shell.h"

#include <QStringList>

#include <deque>
#include <vector>

// Test doubles of the interaction seams: they never block, record what the program would have
// shown or opened, and return answers scripted in advance. An unscripted question gets the
// cautious answer (No, Cancel, nothing chosen), and is recorded like any other.

struct TShownMessage {
    QString Kind; // "Tell", "YesNo", "YesNoCancel", "Warn"
    TMessageBoxes::Icon Icon = TMessageBoxes::Icon::Information;
    QString Caption;
    QString Text;
};

class TScriptedMessages : public TMessageBoxes {
public:
    struct Answer {
        TAnswer answer = TAnswer::Cancel;
        bool dontShowAgain = false;
    };

    void Tell(Icon icon, const QString& caption, const QString& text) override;
    bool AskYesNo(const QString& caption, const QString& text, bool yesIsDefault) override;
    TAnswer AskYesNoCancel(const QString& caption, const QString& text) override;
    TAnswer Warn(const QString& text, bool& dontShowAgain) override;

    void Script(TAnswer answer, bool dontShowAgain = false) { answers.push_back({answer, dontShowAgain}); }
    QStringList Captions() const;
    QStringList Texts() const;

    std::vector<TShownMessage> shown;
    std::deque<Answer> answers;

private:
    Answer Next(TAnswer cautious);
};

struct TFileDialogRequest {
    QString Kind; // "Open", "Save", "Directory"
    QString Title;
    QString Filter;
    QString Directory;
    QString FileName;
};

class TScriptedFileDialogs : public TFileDialogs {
public:
    std::optional<QString> OpenFile(
        const QString& title, const QString& filter, const QString& directory) override;
    std::optional<QString> SaveFile(const QString& title, const QString& filter, const QString& directory,
        const QString& fileName, QString* chosenFilter) override;
    std::optional<QString> Directory(const QString& title, const QString& directory) override;

    // `filter` is the filter picked in a save dialog; none means the dialog's first one.
    void Script(const QString& chosen, const QString& filter = {})
    {
        answers.push_back({true, chosen, filter});
    }
    void ScriptCancel() { answers.push_back({false, {}, {}}); }

    struct Answer {
        bool Chosen = false;
        QString Path;
        QString Filter;
    };
    std::vector<TFileDialogRequest> requests;
    std::deque<Answer> answers; // unscripted dialogs are cancelled

private:
    std::optional<QString> Next();
};

class TScriptedShell : public TShell {
public:
    void Open(const QString& pathOrUrl) override { opened.append(pathOrUrl); }
    QStringList opened;
};

// Installs the three doubles for the lifetime of the object and puts the previous seams back
// afterwards. Use the public pointers to script answers and inspect what was recorded.
class TScriptedSeams {
public:
    TScriptedSeams();
    ~TScriptedSeams();
    TScriptedSeams(const TScriptedSeams&) = delete;
    TScriptedSeams& operator=(const TScriptedSeams&) = delete;

    TScriptedMessages* messages = nullptr;
    TScriptedFileDialogs* files = nullptr;
    TScriptedShell* shell = nullptr;

private:
    std::unique_ptr<TMessageBoxes> oldMessages_;
    std::unique_ptr<TFileDialogs> oldFiles_;
    std::unique_ptr<TShell> oldShell_;
};
