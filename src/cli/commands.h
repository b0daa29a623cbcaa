#pragma once

#include <QStringList>

// A command family of orvalle-cli. `args` holds the words after the family name; the result is
// the process exit status. Output goes to standard output, errors to standard error.
struct TCliCommand {
    const char* Name; // "survey", "dbf", ...
    const char* Summary; // one line for the usage text
    int (*run)(const QStringList& args);
};

// Every command family registers itself here (see main.cpp).
const TCliCommand* CliCommands(int& count);
