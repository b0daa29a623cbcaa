#include "serverprocess.h"

#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <regex>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Encode(const std::string& text)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '*')
            out += static_cast<char>(c);
        else if (c == ' ')
            out += '+';
        else
            out += {'%', hex[c >> 4], hex[c & 15]};
    }
    return out;
}

} // namespace

ServerProcess::ServerProcess(std::string database, std::vector<std::string> extraArgs)
{
    static int counter = 0;
    logPath_ = std::filesystem::temp_directory_path()
        / ("orvalle-server-test-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + ".log");
    std::vector<std::string> args{ORVALLE_SERVER_BINARY, "--port", "0", "--database", database};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start the server");
    const std::regex listening("listening on http://127\\.0\\.0\\.1:([0-9]+)");
    for (int i = 0; i < 300 && port_ == 0; ++i) {
        std::smatch match;
        const auto log = ReadFile(logPath_);
        if (std::regex_search(log, match, listening))
            port_ = std::stoi(match[1]);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        int status = 0;
        if (port_ == 0 && waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            throw std::runtime_error("the server ended at start: " + ReadFile(logPath_));
        }
    }
    if (port_ == 0)
        throw std::runtime_error("the server did not start: " + ReadFile(logPath_));
}

ServerProcess::~ServerProcess()
{
    Kill();
    if (!std::getenv("ORVALLE_KEEP_SERVER_LOGS"))
        std::filesystem::remove(logPath_);
}

std::unique_ptr<httplib::Client> ServerProcess::Client() const
{
    auto client = std::make_unique<httplib::Client>("127.0.0.1", port_);
    client->set_read_timeout(30, 0);
    client->set_connection_timeout(5, 0);
    return client;
}

int ServerProcess::Terminate()
{
    if (pid_ < 0)
        return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

void ServerProcess::Kill()
{
    if (pid_ < 0)
        return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

std::string ServerProcess::Log() const
{
    return ReadFile(logPath_);
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orvalle-server-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

int ConnectTo(int port, int receiveSeconds)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(socket);
        return -1;
    }
    if (receiveSeconds > 0) {
        timeval wait{receiveSeconds, 0};
        setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    }
    return socket;
}

std::string TestPostgresUrl()
{
    return std::getenv("PGHOST") && std::getenv("PGPASSWORD") ? "postgresql://" : "";
}

std::string FreshDatabase(bool postgres, const std::string& dir)
{
    static int counter = 0;
    const std::string name = "orvtest" + std::to_string(getpid()) + "x" + std::to_string(++counter);
    if (!postgres)
        return dir + "/" + name + ".sqlite";
    const std::string command = "psql -q -c 'CREATE DATABASE " + name + "' >/dev/null";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("cannot create a PostgreSQL database");
    return "postgresql:///" + name;
}

std::string FormBody(const std::vector<std::pair<std::string, std::string>>& fields)
{
    std::string body;
    for (const auto& [name, value] : fields) {
        if (!body.empty())
            body += '&';
        body += Encode(name) + "=" + Encode(value);
    }
    return body;
}

bool RegisterSurvey(httplib::Client& client, const std::string& name, const std::string& id)
{
    auto reply = client.Get(("/orv.dll/RegisterSurvey?"
        + FormBody({{"SurveyFile", name}, {"AccountID", ""},
            {"ID", id}})).c_str());
    return reply && reply->body.find("Registration Complete") != std::string::npos;
}

std::string Download(
    httplib::Client& client, const std::string& name, const std::string& id, const std::string& lastUpdate)
{
    auto reply = client.Get(
        ("/orv.dll/GetResults?" + FormBody({{"SurveyFile", name}, {"ID", id}, {"LastUpdate", lastUpdate}}))
            .c_str());
    return reply && reply->status == 200 ? reply->body : std::string();
}

std::vector<std::string> Lines(const std::string& body)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < body.size()) {
        auto end = body.find("\r\n", start);
        if (end == std::string::npos)
            end = body.size();
        lines.push_back(body.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}
