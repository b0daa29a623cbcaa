#include "app/about.h"
#include "authoring/mainform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvalle"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orvalle"));
    QApplication::setDesktopFileName(QStringLiteral("orvalle"));

    TORVAbout splash;
    splash.ShowAsSplash();

    // At most one argument: the survey file to open.
    const QStringList args = QApplication::arguments();
    TORVMainForm window(args.size() > 1 ? args.at(1) : QString(), &splash);
    window.show();

    // The start-up benchmark (bench/startup.sh) asks for the time to the shown window and leaves.
    if (qEnvironmentVariableIsSet("ORVALLE_STARTUP_PROBE")) {
        QTimer::singleShot(0, &window, [&] {
            std::printf("main window shown after %lld ms\n", static_cast<long long>(sinceStart.elapsed()));
            std::fflush(stdout);
            QApplication::exit(0);
        });
    }
    return app.exec();
}
