#include "gui/widgets/hooks.h"

#include <map>

namespace {

std::map<QString, THook>& Hooks()
{
    static std::map<QString, THook> hooks;
    return hooks;
}

} // namespace

void RegisterHook(const QString& name, THook hook)
{
    Hooks()[name] = std::move(hook);
}

void UnregisterHook(const QString& name)
{
    Hooks().erase(name);
}

bool RunHook(const QString& name, QWidget* parent, const QVariantMap& args)
{
    const auto found = Hooks().find(name);
    if (found == Hooks().end() || !found->second)
        return false;
    found->second(parent, args);
    return true;
}
