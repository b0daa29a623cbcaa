#pragma once

#include <QByteArray>
#include <QString>

// Registers *.orv as application/x-orvalle-survey with a desktop entry that opens such files with
// this program: a shared-mime-info package and a .desktop file under the user's data home
// ($XDG_DATA_HOME). The files are rewritten only when their contents differ, and the desktop's
// databases are updated only then and only when their tools are installed, so that starting the
// program stays fast.
struct TFileTypeRegistration {
    QString MimePackage; // .../mime/packages/orvalle.xml
    QString DesktopEntry; // .../applications/orvalle.desktop
    bool Changed = false; // a file was (re)written
    bool Ok = true; // both files are in place
};

inline constexpr const char* kSurveyMimeType = "application/x-orvalle-survey";

QString SurveyMimePackage();
// The program's icon (SVG), installed beside the desktop entry.
QByteArray ProgramIcon();
QString DesktopEntry(const QString& programPath);

// dataHome empty: $XDG_DATA_HOME (~/.local/share). runTools: start update-mime-database and
// update-desktop-database (when they exist) after a change, without waiting for them.
TFileTypeRegistration RegisterFileType(
    const QString& programPath, const QString& dataHome = {}, bool runTools = true);
