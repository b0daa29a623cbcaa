#include "gui/mainwindow/commandregistry.h"

#include "gui/help/help.h"
#include "core/interaction/messages.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

QString PlainCaption(const QString& caption)
{
    QString plain = caption;
    plain.remove(QLatin1Char('&'));
    while (plain.endsWith(QLatin1Char('.')))
        plain.chop(1);
    return plain;
}

TCommandRegistry::TCommandRegistry(QObject* parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("CommandRegistry"));
}

QAction* TCommandRegistry::Register(TCommand command)
{
    if (const auto found = entries_.find(command.Id); found != entries_.end())
        return found->second.Action;
    TEntry entry;
    if (command.Submenu) {
        auto* parentWidget = qobject_cast<QWidget*>(parent());
        entry.Menu = new QMenu(command.Caption, parentWidget);
        entry.Action = entry.Menu->menuAction();
    } else {
        entry.Action = new QAction(command.Caption, this);
        const QString id = command.Id;
        connect(entry.Action, &QAction::triggered, this, [this, id] { Run(id); });
    }
    QAction* action = entry.Action;
    action->setObjectName(command.Id);
    action->setIcon(command.Icon);
    const QString hint = command.Hint.isEmpty() ? PlainCaption(command.Caption) : command.Hint;
    action->setToolTip(hint);
    action->setStatusTip(hint);
    if (!command.Shortcut.isEmpty())
        action->setShortcut(command.Shortcut);
    action->setCheckable(command.Checkable);
    if (command.HelpContext) {
        action->setProperty("helpContext", command.HelpContext);
        action->setWhatsThis(WhatsThisText(command.HelpContext));
    }
    entry.Command = std::move(command);
    entries_.emplace(entry.Command.Id, std::move(entry));
    return action;
}

bool TCommandRegistry::SetHandler(const QString& id, std::function<void()> handler)
{
    const auto found = entries_.find(id);
    if (found == entries_.end())
        return false;
    found->second.Command.Handler = std::move(handler);
    return true;
}

void TCommandRegistry::SetEnablingRule(const QString& id, TEnablingRule rule)
{
    if (const auto found = entries_.find(id); found != entries_.end())
        found->second.Command.EnabledWhen = std::move(rule);
}

QAction* TCommandRegistry::Action(const QString& id) const
{
    const auto found = entries_.find(id);
    return found == entries_.end() ? nullptr : found->second.Action;
}

QMenu* TCommandRegistry::Menu(const QString& id) const
{
    const auto found = entries_.find(id);
    return found == entries_.end() ? nullptr : found->second.Menu;
}

const TCommand* TCommandRegistry::Find(const QString& id) const
{
    const auto found = entries_.find(id);
    return found == entries_.end() ? nullptr : &found->second.Command;
}

void TCommandRegistry::UpdateStates(const TCommandState& state)
{
    for (auto& [id, entry] : entries_) {
        if (entry.Command.EnabledWhen)
            entry.Action->setEnabled(entry.Command.EnabledWhen(state));
    }
}

void TCommandRegistry::Run(const QString& id)
{
    const auto found = entries_.find(id);
    if (found == entries_.end())
        return;
    // A copy: the handler may replace itself (or another module's) while it runs.
    const std::function<void()> handler = found->second.Command.Handler;
    Q_EMIT CommandStarted(id);
    if (handler)
        handler();
    else
        ShowNotAvailable(found->second.Action->text());
    Q_EMIT CommandFinished(id);
}
