#include "support/ServerProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/ChildProcess.h"

namespace ostiva::test {

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point end) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left < 0 ? 0 : int(left);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::string ServerProcess::DefaultAccounts() {
    return "# id\tpassword\tcompany\tname\texpiry\tcustomer_url\tlink1\tlink2\n"
           "alice\tsecret-a\tAcme Support\tAlice Anders\t2099-12-31\thttps://c.example/alice\t"
           "https://link1.example/\thttps://link2.example/\n"
           "bob\tsecret-b\tBolt\tBob Brown\t2001-02-03\n"
           "carol\tsecret-c\t\tCarol\n";
}

std::string ServerProcess::BinaryPath() {
    return std::string(OSTIVA_BINARY_DIR) + "/bin/ostiva-server";
}

ServerProcess::ServerProcess(Options options) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "ostiva-server-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return;
    directory_ = pattern;
    std::string accounts = directory_ + "/accounts.txt";
    std::string portFile = directory_ + "/ports";
    {
        std::ofstream out(accounts, std::ios::binary);
        out << options.accounts;
    }

    ChildProcess::Options spawn;
    spawn.arguments = {BinaryPath(), "--port",       "0",
                       "--accounts", accounts,       "--port-file",
                       portFile,     "--login-pace", std::to_string(options.loginPaceMs)};
    if (options.controlChannel) {
        spawn.arguments.insert(spawn.arguments.end(), {"--control-port", "0"});
        if (!options.controlToken.empty()) {
            std::string tokenFile = directory_ + "/control-token";
            int fd = ::open(tokenFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            if (fd < 0) return;
            std::string line = options.controlToken + "\n";
            bool written = ::write(fd, line.data(), line.size()) == ssize_t(line.size());
            ::close(fd);
            if (!written) return;
            spawn.arguments.insert(spawn.arguments.end(), {"--control-token-file", tokenFile});
            controlToken_ = options.controlToken;
        }
    }
    spawn.arguments.insert(spawn.arguments.end(), options.extraArguments.begin(),
                           options.extraArguments.end());
    spawn.outputFile = directory_ + "/server.out";
    spawn.errorFile = directory_ + "/server.log";
    child_ = std::make_unique<ChildProcess>(spawn);
    if (!child_->Started()) return;

    auto end = Clock::now() + std::chrono::milliseconds(options.startTimeoutMs);
    while (Clock::now() < end) {
        std::ifstream in(portFile);
        unsigned port = 0, control = 0, http = 0;
        if (in >> port >> control && port != 0 && (control != 0 || !options.controlChannel)) {
            if (in >> http) httpPort_ = uint16_t(http);
            port_ = uint16_t(port);
            controlPort_ = uint16_t(control);
            return;
        }
        if (child_->Wait(0) != ChildProcess::kStillRunning) return;  // it ended early
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

ServerProcess::~ServerProcess() {
    Stop();
    if (!directory_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
}

std::string ServerProcess::Control(const std::string& line, int timeoutMs) const {
    if (controlPort_ == 0) return {};
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return {};
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(controlPort_);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    // A loopback connect to a listening port completes at once or fails.
    // With a token its answer line comes first and is skipped.
    size_t skip = controlToken_.empty() ? 0 : 1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        std::string text = (skip ? "auth " + controlToken_ + "\n" : std::string()) + line + "\n";
        if (::send(fd, text.data(), text.size(), MSG_NOSIGNAL) == ssize_t(text.size())) {
            char buffer[65536];
            for (;;) {
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, RemainingMs(end)) <= 0) {
                    answer.clear();
                    break;
                }
                ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                if (n <= 0) {
                    answer.clear();
                    break;
                }
                answer.append(buffer, size_t(n));
                size_t newline = answer.find('\n');
                if (newline != std::string::npos && skip > 0) {
                    answer.erase(0, newline + 1);
                    newline = answer.find('\n');
                    --skip;
                }
                if (newline != std::string::npos && skip == 0) {
                    answer.resize(newline);
                    break;
                }
            }
        }
    }
    ::close(fd);
    return answer;
}

std::string ServerProcess::WaitFor(const std::string& line,
                                   const std::function<bool(const std::string&)>& accept,
                                   int timeoutMs) const {
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::string answer = Control(line, std::max(RemainingMs(end), 100));
        if (accept(answer) || Clock::now() >= end) return answer;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::string ServerProcess::Log() const {
    return directory_.empty() ? std::string() : ReadFile(directory_ + "/server.log");
}

int ServerProcess::Stop(int timeoutMs) {
    if (!child_) return -1;
    if (child_->Running()) {
        // Without a control channel the server ends on SIGTERM as a service
        // would.
        if (controlPort_ != 0) Control("quit", timeoutMs);
        if (controlPort_ == 0 || child_->Wait(timeoutMs) == ChildProcess::kStillRunning) {
            child_->Stop(timeoutMs);
        }
    }
    port_ = 0;
    controlPort_ = 0;
    return child_->Wait(0);
}

}  // namespace ostiva::test
