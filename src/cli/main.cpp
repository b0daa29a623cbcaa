#include "cli/commands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvalle-cli"));
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();

    int count = 0;
    const TCliCommand* commands = CliCommands(count);
    if (!args.isEmpty()) {
        const QString family = args.takeFirst();
        for (int i = 0; i < count; ++i)
            if (family == QLatin1String(commands[i].name))
                return commands[i].run(args);
    }
    QTextStream err(stderr);
    err << "usage: orvalle-cli COMMAND ...\n";
    for (int i = 0; i < count; ++i)
        err << "  " << commands[i].name << "  " << commands[i].summary << "\n";
    return 2;
}
