#pragma once

#include "support/scriptedseams.h"

#include <QString>
#include <QTemporaryDir>

// Makes `home` a window test's own throw-away home: HOME and the XDG config and data folders
// point into it, the program's settings file lives there, and the tip of the day stays away.
void UseAsHome(const QString& home);

// A window test's home for one test function, made in init() and dropped in cleanup(): a
// temporary folder used as home (UseAsHome) and the scripted seams. The settings go with it.
class TTestHome : public QTemporaryDir {
public:
    TTestHome();
    ~TTestHome();
    TScriptedSeams seams;
};
