#pragma once

#include <QString>

// The program's version numbers, compiled in from the build.
struct TVersion {
    int Major = 0;
    int Minor = 0;
    int Release = 0;
    int Build = 0;
};

TVersion GetVersion();
// "major.minor  (Build n)": shown in the about box and written into every generated page.
QString VersionString();
