#pragma once

#include <QIcon>
#include <QKeySequence>
#include <QObject>
#include <QString>

#include <functional>
#include <map>

class QAction;
class QMenu;

// What the enabling rules of the main window's commands look at. The window computes it once per
// refresh (CheckForButtons) and hands it to every rule.
struct TCommandState {
    int Selected = 0; // selected rows of the question list
    bool FirstRowSelected = false;
    bool LastRowSelected = false;
    bool SingleSelection = false;
    int Items = 0;
    bool OnQuestionsPage = true;
    int ResponsesReceived = 0;
    bool Modified = false;
    bool ClipboardFilled = false;
    bool PageGenerated = false;
    bool ResponseTableOpen = false;
    bool HasLibraries = false;
    bool ChartShown = false; // the analysis shows its chart (not a grid of answers)
};

using TEnablingRule = std::function<bool(const TCommandState&)>;

// One command of the window: registered once, shown by every menu, tool bar, side bar and popup
// menu that lists its id.
struct TCommand {
    QString Id{};
    QString Caption{};
    QString Hint{}; // tool tip and status bar text; the caption without "&" and "..." when empty
    QKeySequence Shortcut{};
    int HelpContext = 0;
    QIcon Icon{};
    bool Checkable = false;
    bool Submenu = false; // the command opens a menu whose entries its module fills
    TEnablingRule EnabledWhen{}; // empty: always enabled
    std::function<void()> Handler{}; // empty: the "not available yet" box
};

// The commands of the main window by id. A module that implements a command gives it its handler
// with SetHandler; the action, and every button and menu entry showing it, stay as they are.
class TCommandRegistry : public QObject {
    Q_OBJECT
public:
    explicit TCommandRegistry(QObject* parent);

    // Creates the command's action (and menu, for a submenu). Registering an id twice replaces
    // nothing and returns the first action.
    QAction* Register(TCommand command);
    // False when no command has this id.
    bool SetHandler(const QString& id, std::function<void()> handler);
    void SetEnablingRule(const QString& id, TEnablingRule rule);

    QAction* Action(const QString& id) const;
    QMenu* Menu(const QString& id) const;
    const TCommand* Find(const QString& id) const;

    // Applies every enabling rule to its action.
    void UpdateStates(const TCommandState& state);

Q_SIGNALS:
    // Around every run of a command's handler (the window brings its states up to date after).
    void CommandStarted(const QString& id);
    void CommandFinished(const QString& id);

private:
    struct TEntry {
        TCommand Command;
        QAction* Action = nullptr;
        QMenu* Menu = nullptr;
    };
    void Run(const QString& id);

    std::map<QString, TEntry> entries_;
};

// The caption without accelerator marks and trailing dots ("&Open..." -> "Open").
QString PlainCaption(const QString& caption);
