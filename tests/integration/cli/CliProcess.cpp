#include "CliProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace ostiva::test {

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

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

// The program beside the console: a hard link where the file system allows
// one (the program directory is worked out from the running file), a copy
// otherwise.
bool PlaceProgram(const std::string& from, const fs::path& to) {
    std::error_code error;
    fs::create_hard_link(from, to, error);
    if (!error) return true;
    return fs::copy_file(from, to, error) && !error;
}

bool ProcessGone(pid_t pid) {
    // A viewer is not our child: it was started detached. Gone, or a zombie
    // waiting for init.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text)) return true;
    size_t close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'Z';
}

}  // namespace

CliProcess::CliProcess(const Options& options) {
    std::string pattern = (fs::temp_directory_path() / "ostiva-cli-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return;
    directory_ = pattern;
    const fs::path dir = directory_;
    if (!PlaceProgram(OSTIVA_CLI_PATH, dir / "ostiva-cli") ||
        !PlaceProgram(OSTIVIEWER_PATH, dir / "ostiviewer")) {
        return;
    }
    {
        std::ofstream settings(dir / "info.dat", std::ios::binary);
        settings << options.settings;
    }

    std::vector<std::string> arguments = {(dir / "ostiva-cli").string()};
    arguments.insert(arguments.end(), options.arguments.begin(), options.arguments.end());
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
        if (std::strncmp(*e, "OSTIVA_PASSWORD=", 16) != 0) environment.push_back(*e);
    }
    if (options.password) environment.push_back("OSTIVA_PASSWORD=" + *options.password);
    std::vector<char*> envp;
    for (auto& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) return;
    if (::pipe2(out, O_CLOEXEC) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        return;
    }
    const std::string errors = (dir / "stderr.txt").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addchdir_np(&actions, directory_.c_str());
    int rc = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    input_ = in[1];
    output_ = out[0];
    if (rc != 0) pid_ = -1;
}

CliProcess::~CliProcess() {
    CloseInput();
    if (pid_ > 0 && WaitForExit(5000) == -1 && pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    if (output_ >= 0) ::close(output_);
    EndViewers();
    if (!directory_.empty()) {
        std::error_code ignored;
        fs::remove_all(directory_, ignored);
    }
}

void CliProcess::Send(const std::string& line) {
    if (input_ < 0) return;
    std::string text = line + "\n";
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(input_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // the console has gone; the next wait says so
        done += size_t(n);
    }
}

void CliProcess::CloseInput() {
    if (input_ >= 0) ::close(input_);
    input_ = -1;
}

std::optional<nlohmann::json> CliProcess::NextEvent(int timeoutMs) {
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        size_t newline = buffer_.find('\n');
        if (newline != std::string::npos) {
            std::string line = buffer_.substr(0, newline);
            buffer_.erase(0, newline + 1);
            auto event = nlohmann::json::parse(line, nullptr, false);
            if (event.is_object()) return event;
            raw_ += "not an event: " + line + "\n";
            continue;
        }
        if (output_ < 0) return std::nullopt;
        pollfd p{output_, POLLIN, 0};
        if (::poll(&p, 1, RemainingMs(end)) <= 0) return std::nullopt;
        char chunk[4096];
        ssize_t n = ::read(output_, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(output_);
            output_ = -1;
            continue;
        }
        buffer_.append(chunk, size_t(n));
        raw_.append(chunk, size_t(n));
    }
}

int CliProcess::WaitForExit(int timeoutMs) {
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (pid_ > 0) {
        int status = 0;
        pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (done < 0 && errno != EINTR) {
            pid_ = -1;
            break;
        }
        if (Clock::now() >= end) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return exitStatus_;
}

std::string CliProcess::Errors() const {
    return directory_.empty() ? std::string() : ReadFile(directory_ + "/stderr.txt");
}

std::vector<nlohmann::json> CliProcess::WaitForViewers(size_t count, int timeoutMs) const {
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::vector<nlohmann::json> viewers;
        std::istringstream lines(ReadFile(directory_ + "/viewer-log.jsonl"));
        for (std::string line; std::getline(lines, line);) {
            auto entry = nlohmann::json::parse(line, nullptr, false);
            if (entry.is_object()) viewers.push_back(entry);
        }
        if (viewers.size() >= count || Clock::now() >= end) return viewers;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void CliProcess::EndViewers() {
    if (directory_.empty()) return;
    // Only the viewers this console started, by the ids they logged; a viewer
    // reported a moment ago may still be on its way to its log line.
    size_t started = 0;
    for (size_t at = raw_.find("\"event\":\"viewer\""); at != std::string::npos;
         at = raw_.find("\"event\":\"viewer\"", at + 1)) {
        ++started;
    }
    for (const auto& viewer : WaitForViewers(started, 5000)) {
        pid_t pid = viewer.value("pid", 0);
        if (pid <= 0) continue;
        ::kill(pid, SIGTERM);
        auto end = Clock::now() + std::chrono::seconds(5);
        while (!ProcessGone(pid) && Clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!ProcessGone(pid)) ::kill(pid, SIGKILL);
    }
}

}  // namespace ostiva::test
