#include "options.h"

#include <cstdlib>

namespace orvserver {

namespace {

bool ParseNumber(const std::string& text, long long low, long long high, long long& number)
{
    if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    number = std::stoll(text);
    return number >= low && number <= high;
}

// Options that take a value; false with `error` set on a bad one.
bool TakeValue(ServerOptions& options, const std::string& name, const std::string& value, std::string& error)
{
    long long number = 0;
    auto numeric = [&](long long low, long long high) {
        if (ParseNumber(value, low, high, number))
            return true;
        error = name + " needs a number from " + std::to_string(low) + " to " + std::to_string(high);
        return false;
    };
    if (name == "--address") {
        options.http.address = value;
    } else if (name == "--port") {
        if (!numeric(0, 65535))
            return false;
        options.http.port = static_cast<int>(number);
    } else if (name == "--base-path") {
        if (value.empty() || value.front() != '/' || value.back() == '/') {
            error = "--base-path must start with / and not end with /";
            return false;
        }
        options.http.basePath = value;
    } else if (name == "--database") {
        options.database = value;
    } else if (name == "--threads") {
        if (!numeric(2, 4096))
            return false;
        options.http.threads = static_cast<int>(number);
    } else if (name == "--max-body") {
        if (!numeric(1024, 1LL << 30))
            return false;
        options.http.maxBody = static_cast<std::size_t>(number);
    } else if (name == "--max-fields") {
        if (!numeric(1, 1000000))
            return false;
        options.service.limits.maxFields = static_cast<std::size_t>(number);
    } else if (name == "--max-field-length") {
        if (!numeric(16, 1LL << 30))
            return false;
        options.service.limits.maxFieldLength = static_cast<std::size_t>(number);
    } else {
        error = "unknown option " + name;
        return false;
    }
    return true;
}

bool TakeFlag(ServerOptions& options, const std::string& name)
{
    if (name == "--trust-proxy")
        options.service.trustProxy = true;
    else if (name == "--accounts")
        options.service.accounts = true;
    else if (name == "--help" || name == "-h")
        options.action = ServerOptions::Action::Help;
    else if (name == "--version")
        options.action = ServerOptions::Action::Version;
    else
        return false;
    return true;
}

} // namespace

std::string DefaultDatabasePath()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    std::string base = dataHome && *dataHome ? dataHome : std::string(home ? home : ".") + "/.local/share";
    return base + "/orvalle/responses.sqlite";
}

std::optional<ServerOptions> ParseOptions(const std::vector<std::string>& args, std::string& error)
{
    ServerOptions options;
    options.database = DefaultDatabasePath();
    std::size_t i = 0;
    if (args.size() >= 1 && args[0] == "account") {
        if (args.size() < 3 || args[1] != "add" || args[2].empty() || args[2].front() == '-') {
            error = "usage: orvalle-server account add NAME [--database DB]";
            return std::nullopt;
        }
        options.action = ServerOptions::Action::AddAccount;
        options.accountName = args[2];
        i = 3;
    }
    for (; i < args.size(); ++i) {
        const auto& arg = args[i];
        const auto eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        if (eq == std::string::npos && TakeFlag(options, name))
            continue;
        std::string value;
        if (eq != std::string::npos) {
            value = arg.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = name.starts_with("--") ? name + " needs a value, or is not an option"
                                           : "unknown argument " + name;
            return std::nullopt;
        }
        if (!TakeValue(options, name, value, error))
            return std::nullopt;
    }
    return options;
}

std::string UsageText()
{
    return "Usage: orvalle-server [OPTIONS]\n"
           "       orvalle-server account add NAME [--database DB]\n"
           "\n"
           "Collects the answers of Orvalle survey pages and hands them to the program.\n"
           "\n"
           "  --address ADDR        address to listen on (default 127.0.0.1)\n"
           "  --port N              port to listen on (default 8765; 0 picks a free one)\n"
           "  --base-path PATH      path of the form action (default /orv.dll)\n"
           "  --database DB         SQLite file (default "
        + DefaultDatabasePath()
        + ")\n"
          "                        or postgresql://user@host/dbname for PostgreSQL\n"
          "  --trust-proxy         take the respondent's address from X-Forwarded-For\n"
          "                        (only behind a reverse proxy that sets it)\n"
          "  --accounts            hosted mode: registrations need a known AccountID\n"
          "  --threads N           threads for requests that query the database (default 64)\n"
          "  --max-body BYTES      largest request body (default 4194304)\n"
          "  --max-fields N        most fields in one form (default 2000)\n"
          "  --max-field-length N  longest field value (default 262144)\n"
          "  --help, --version\n";
}

} // namespace orvserver
