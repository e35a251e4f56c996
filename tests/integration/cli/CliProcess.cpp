#include "CliProcess.h"

#include <signal.h>

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

    ChildProcess::Options spawn;
    spawn.arguments = {(dir / "ostiva-cli").string()};
    spawn.arguments.insert(spawn.arguments.end(), options.arguments.begin(),
                           options.arguments.end());
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
        if (std::strncmp(*e, "OSTIVA_PASSWORD=", 16) != 0) environment.push_back(*e);
    }
    if (options.password) environment.push_back("OSTIVA_PASSWORD=" + *options.password);
    spawn.environment = std::move(environment);
    spawn.workingDirectory = directory_;
    spawn.pipeInput = true;
    spawn.pipeOutput = true;
    spawn.errorFile = (dir / "stderr.txt").string();
    child_ = std::make_unique<ChildProcess>(spawn);
}

CliProcess::~CliProcess() {
    if (child_) {
        child_->CloseInput();
        if (child_->Wait(5000) == ChildProcess::kStillRunning) child_->Kill();
        child_.reset();  // closes its output
    }
    EndViewers();
    if (!directory_.empty()) {
        std::error_code ignored;
        fs::remove_all(directory_, ignored);
    }
}

void CliProcess::Send(const std::string& line) {
    // When the console has gone the write fails; the next wait says so.
    if (child_) child_->Write(line + "\n");
}

void CliProcess::CloseInput() {
    if (child_) child_->CloseInput();
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
        if (!child_ || !child_->OutputOpen()) return std::nullopt;
        char chunk[4096];
        int n = child_->ReadOutput(chunk, sizeof chunk, RemainingMs(end));
        if (n < 0) return std::nullopt;
        if (n == 0) continue;  // the output ended: what is buffered is all
        buffer_.append(chunk, size_t(n));
        raw_.append(chunk, size_t(n));
    }
}

int CliProcess::WaitForExit(int timeoutMs) {
    if (!child_) return -1;
    int status = child_->Wait(timeoutMs);
    return status == ChildProcess::kStillRunning ? -1 : status;
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
