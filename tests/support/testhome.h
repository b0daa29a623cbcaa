#pragma once

#include <QString>

// Makes `home` a window test's own throw-away home: HOME and the XDG config and data folders
// point into it, the program's settings file lives there, and the tip of the day stays away.
void UseAsHome(const QString& home);
