#pragma once

// A real orvalle-server process on loopback for the protocol, load and durability tests. The
// server picks a free port; its log goes to a file the test can read.

#include <httplib.h>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

class ServerProcess {
public:
    // Starts the server with these extra arguments and waits until it listens.
    ServerProcess(std::string database, std::vector<std::string> extraArgs = {});
    ~ServerProcess(); // SIGKILL when still running

    int Port() const { return port_; }
    std::string Base() const { return "/orv.dll"; }
    std::unique_ptr<httplib::Client> Client() const;
    // Sends SIGTERM and returns the exit status (or -signal).
    int Terminate();
    void Kill(); // SIGKILL, as a crash would
    std::string Log() const;

private:
    pid_t pid_ = -1;
    int port_ = 0;
    std::string logPath_;
};

// A throw-away folder removed at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// PostgreSQL for the tests that run under pg_virtualenv; empty when none is set up.
std::string TestPostgresUrl();
// A plain TCP connection to the server on loopback, for tests that write raw bytes; with
// `receiveSeconds` reads give up after that long.
int ConnectTo(int port, int receiveSeconds = 0);
// A database nobody else uses: a fresh PostgreSQL database, or a SQLite file in `dir`.
std::string FreshDatabase(bool postgres, const std::string& dir);

// Form-encodes name/value pairs as a browser does.
std::string FormBody(const std::vector<std::pair<std::string, std::string>>& fields);
// Registers a survey with form 1; true on "Registration Complete".
bool RegisterSurvey(httplib::Client& client, const std::string& name, const std::string& id);
// GetResults; returns the body ("" when the request failed).
std::string Download(
    httplib::Client& client, const std::string& name, const std::string& id, const std::string& lastUpdate);
std::vector<std::string> Lines(const std::string& body);
