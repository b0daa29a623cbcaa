#include "gui/mainwindow/application.h"

#include "core/startup/filetype.h"
#include "gui/seams/qtseams.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>

void SetUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("Orvalle"));
    QApplication::setDesktopFileName(QStringLiteral("orvalle"));
    InstallQtSeams();
    QPixmap icon;
    if (icon.loadFromData(ProgramIcon(), "SVG"))
        QApplication::setWindowIcon(QIcon(icon));
}
