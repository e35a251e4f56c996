#pragma once
// Runs the real ostiva-cli for a test, driven through pipes: commands in,
// events out, every wait bounded. Each console gets a program directory of
// its own (a temporary directory holding the console, the stand-in viewer
// and info.dat), so its viewers' log and pictures are its own. The
// destructor ends the console and every viewer it started.

#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "support/ChildProcess.h"

namespace ostiva::test {

inline constexpr int kCliWaitMs = 10000;

class CliProcess {
  public:
    struct Options {
        std::vector<std::string> arguments;   // after the program name
        std::optional<std::string> password;  // OSTIVA_PASSWORD; unset when empty
        std::string settings;                 // the text of <dir>/info.dat
    };

    explicit CliProcess(const Options& options);
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;
    ~CliProcess();

    bool IsRunning() const { return child_ && child_->Running(); }
    const std::string& Directory() const { return directory_; }

    void Send(const std::string& line);
    void CloseInput();
    // The next event, or nullopt when none came in time or the output ended.
    std::optional<nlohmann::json> NextEvent(int timeoutMs = kCliWaitMs);
    // The exit status, once the console has ended within the time; -1 when it
    // did not end (or was killed).
    int WaitForExit(int timeoutMs = kCliWaitMs);
    // Everything the console wrote to standard error, and every output line
    // that was not an event.
    std::string Errors() const;
    std::string RawOutput() const { return raw_; }

    // The stand-in viewer's log lines, once there are at least `count`.
    std::vector<nlohmann::json> WaitForViewers(size_t count, int timeoutMs = kCliWaitMs) const;

  private:
    void EndViewers();

    std::string directory_;
    std::unique_ptr<ChildProcess> child_;
    std::string buffer_;  // output read but not yet handed out
    std::string raw_;
};

}  // namespace ostiva::test
