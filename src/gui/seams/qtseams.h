#pragma once

#include "core/interaction/filedialogs.h"
#include "core/interaction/messages.h"
#include "core/interaction/shell.h"

#include <memory>

// The seams as the program's windows show them: Qt message boxes and the warning dialog, Qt file
// dialogs, the desktop's default programs.
std::unique_ptr<TMessageBoxes> MakeQtMessageBoxes();
std::unique_ptr<TFileDialogs> MakeQtFileDialogs();
std::unique_ptr<TShell> MakeDesktopShell();

// Installs all three (the program does this before its first window; tests install scripted ones).
void InstallQtSeams();
