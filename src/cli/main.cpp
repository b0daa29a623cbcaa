#include "cli/commands.h"

#include <QCoreApplication>
#include <QTextStream>

#ifdef ORVALLE_CLI_REPORTS
#include <QApplication>
#endif

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The report command draws charts, which needs a GUI application; a batch run draws off screen
// unless the caller chose a platform.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char* argv[])
{
#ifdef ORVALLE_CLI_REPORTS
    if (argc > 1 && std::strcmp(argv[1], "report") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QApplication>(argc, argv);
    }
#endif
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

int main(int argc, char* argv[])
{
    const std::unique_ptr<QCoreApplication> app = MakeApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvalle-cli"));
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();

    int count = 0;
    const TCliCommand* commands = CliCommands(count);
    if (!args.isEmpty()) {
        const QString family = args.takeFirst();
        for (int i = 0; i < count; ++i)
            if (family == QLatin1String(commands[i].Name))
                return commands[i].run(args);
    }
    QTextStream err(stderr);
    err << "usage: orvalle-cli COMMAND ...\n";
    for (int i = 0; i < count; ++i)
        err << "  " << commands[i].Name << "  " << commands[i].Summary << "\n";
    return 2;
}
