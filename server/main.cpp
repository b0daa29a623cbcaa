// orvalle-server: collects the answers of survey pages and hands them to the program.

#include "httpserver.h"
#include "options.h"
#include "requestlog.h"
#include "store.h"
#include "surveyservice.h"

#include <csignal>
#include <filesystem>
#include <iostream>
#include <thread>

using namespace orvserver;

namespace {

constexpr const char* kVersion = "orvalle-server " ORVALLE_SERVER_VERSION " (protocol 2.1)";

// SIGTERM and SIGINT are taken by one thread that stops the server; every other thread has
// them blocked, so they never interrupt a commit.
sigset_t StopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    return signals;
}

std::unique_ptr<ResponseStore> Open(const std::string& database)
{
    if (!IsPostgresUrl(database)) {
        const auto folder = std::filesystem::path(database).parent_path();
        if (!folder.empty())
            std::filesystem::create_directories(folder);
    }
    return OpenStore(database);
}

int AddAccount(const ServerOptions& options)
{
    auto store = Open(options.database);
    if (!store->AddAccount(options.accountName)) {
        std::cerr << "The account " << options.accountName << " exists already.\n";
        return 1;
    }
    std::cout << "Account " << options.accountName << " added.\n";
    return 0;
}

int Serve(const ServerOptions& options)
{
    auto store = Open(options.database);
    SurveyService service(*store, options.service);
    HttpServer server(service, options.http, std::cerr);
    if (!server.Bind()) {
        std::cerr << "Cannot listen on " << options.http.address << " port " << options.http.port << ".\n";
        return 1;
    }
    LogInfo(std::cerr,
        std::string(kVersion) + " listening on http://" + options.http.address + ":"
            + std::to_string(server.Port()) + options.http.basePath);
    std::thread stopper([&server] {
        const auto signals = StopSignals();
        int signal = 0;
        sigwait(&signals, &signal);
        server.Stop();
    });
    server.Serve();
    LogInfo(std::cerr, "stopped");
    // The stopper may still wait when the server ended for another reason.
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const auto signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::string error;
    const auto options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "orvalle-server: " << error << "\n" << UsageText();
        return 2;
    }
    try {
        switch (options->action) {
        case ServerOptions::Action::Help:
            std::cout << UsageText();
            return 0;
        case ServerOptions::Action::Version:
            std::cout << kVersion << "\n";
            return 0;
        case ServerOptions::Action::AddAccount:
            return AddAccount(*options);
        case ServerOptions::Action::Serve:
            return Serve(*options);
        }
    } catch (const std::exception& failure) {
        std::cerr << "orvalle-server: " << failure.what() << "\n";
        return 1;
    }
    return 0;
}
