#pragma once

// The command line of orvalle-server.

#include "httpserver.h"
#include "surveyservice.h"

#include <optional>
#include <string>
#include <vector>

namespace orvserver {

struct ServerOptions {
    HttpOptions http;
    ServiceOptions service;
    std::string database; // a SQLite file or a postgresql:// address
    enum class Action { Serve, Help, Version, AddAccount } action = Action::Serve;
    std::string accountName;
};

// Parses the arguments after the program name; nullopt with `error` set on a mistake.
std::optional<ServerOptions> ParseOptions(const std::vector<std::string>& args, std::string& error);
std::string DefaultDatabasePath();
std::string UsageText();

} // namespace orvserver
