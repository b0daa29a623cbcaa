#pragma once

#include <QString>
#include <QVariantMap>

#include <functional>

class QWidget;

// Windows that one module provides and another opens, reached by name so that neither includes
// the other (the e-mail list manager, opened from the survey properties). The module that owns
// the window registers it; a caller runs it and learns whether anyone answered.
using THook = std::function<void(QWidget* parent, const QVariantMap& args)>;

void RegisterHook(const QString& name, THook hook);
void UnregisterHook(const QString& name);
// False, and nothing happens, when no module registered the name.
bool RunHook(const QString& name, QWidget* parent, const QVariantMap& args = {});

// The e-mail list manager. Arguments: "file" (the list to open; empty for the survey's default
// list) and "create" (true: make that list first, it does not exist yet). Runs modeless.
inline constexpr const char* kEmailListManagerHook = "EmailListManager";
