#pragma once
// Runs the real bin/ostiva-server for a test: in a fresh temporary
// directory, with an accounts file, on ports the system chooses. Control()
// speaks the server's control channel (one line, one answer line). The
// destructor ends the server ("quit", then SIGKILL after a bounded wait) and
// removes the directory. Every wait is bounded.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ostiva::test {

class ChildProcess;

class ServerProcess {
  public:
    struct Options {
        // The accounts file's text (see the server's AccountsFile.h).
        std::string accounts = DefaultAccounts();
        // Appended to the command line, e.g. {"--db", path}.
        std::vector<std::string> extraArguments;
        // With the control channel (false: the server is started without
        // --control-port and Control() answers "").
        bool controlChannel = true;
        // Non-empty: written to a 0600 file for --control-token-file, and
        // sent by Control() as "auth TOKEN" before each line.
        std::string controlToken;
        // --login-pace: none by default, so that suites that log in by the
        // thousand run at full speed.
        int loginPaceMs = 0;
        int startTimeoutMs = 15000;
    };

    // The accounts of DefaultAccounts():
    //   alice / secret-a: current (expiry 2099-12-31), every field set
    //   bob / secret-b: expired on 2001-02-03
    //   carol / secret-c: current, no expiry, only the name set
    static std::string DefaultAccounts();
    // The server built beside the tests.
    static std::string BinaryPath();

    ServerProcess() : ServerProcess(Options()) {}
    explicit ServerProcess(Options options);
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;
    ~ServerProcess();

    // True once the server runs and has reported its ports.
    bool IsRunning() const { return port_ != 0; }
    uint16_t Port() const { return port_; }
    // 0 without a control channel.
    uint16_t ControlPort() const { return controlPort_; }
    // The web pages' port (--http-port); 0 without them.
    uint16_t HttpPort() const { return httpPort_; }
    // The temporary directory the server runs in.
    const std::string& Directory() const { return directory_; }

    // Sends one control line; the answer without its line end, or "" when
    // the channel failed or no answer came in time.
    std::string Control(const std::string& line, int timeoutMs = 5000) const;
    // Repeats Control(line) until `accept` holds for the answer or
    // `timeoutMs` has passed; returns the last answer.
    std::string WaitFor(const std::string& line,
                        const std::function<bool(const std::string&)>& accept,
                        int timeoutMs = 5000) const;
    // What the server wrote to stderr so far.
    std::string Log() const;

    // Ends the server: "quit" (SIGTERM without a control channel), then
    // SIGTERM and SIGKILL when it does not end in time. Returns its exit status, or -1 when it was
    // killed or never ran.
    int Stop(int timeoutMs = 5000);

  private:
    std::string directory_;
    std::unique_ptr<ChildProcess> child_;
    uint16_t port_ = 0;
    uint16_t controlPort_ = 0;
    uint16_t httpPort_ = 0;
    std::string controlToken_;
};

}  // namespace ostiva::test
