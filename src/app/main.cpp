#include "gui/help/about.h"
#include "gui/mainwindow/application.h"
#include "gui/mainwindow/mainform.h"
#include "gui/publishing/publishcommands.h"
#include "gui/reports/reportcommands.h"
#include "gui/responses/responsecommands.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    SetUpApplication();

    TORVAbout splash;
    splash.ShowAsSplash();

    // The response table comes with the window, so that a survey opened at start-up has its
    // table open and tallied (with progress on the splash screen) before the window shows.
    InstallResponseCommands();
    // At most one argument: the survey file to open.
    const QStringList args = QApplication::arguments();
    TORVMainForm window(args.size() > 1 ? args.at(1) : QString(), &splash);
    AttachReportCommands(window);
    AttachPublishingCommands(window);
    window.show();

    // The start-up benchmark (bench/startup.sh) asks for the time to the shown window and leaves.
    if (qEnvironmentVariableIsSet("ORVALLE_STARTUP_PROBE")) {
        QTimer::singleShot(0, &window, [&] {
            std::printf("main window shown after %lld ms in main(), at %lld ms since the epoch\n",
                static_cast<long long>(sinceStart.elapsed()),
                static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
            std::fflush(stdout);
            QApplication::exit(0);
        });
    }
    return app.exec();
}
