#pragma once
// A program a test starts (the bundled server, the command-line console):
// spawned with posix_spawn, its standard input and output pipes or files,
// every wait bounded, and killed when the object goes while it still runs.
// The server's and the console's test drivers are built on it.

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace ostiva::test {

class ChildProcess {
  public:
    // What Wait() returns while the program still runs at the deadline.
    static constexpr int kStillRunning = -2;

    struct Options {
        // arguments[0] is the program's path.
        std::vector<std::string> arguments;
        // "NAME=value" entries; this process's environment when not set.
        std::optional<std::vector<std::string>> environment;
        // Where the program starts; the test's own directory when empty.
        std::string workingDirectory;
        // Standard input from a pipe (Write, CloseInput) instead of the
        // test's own.
        bool pipeInput = false;
        // Standard output to a pipe (ReadOutput) instead of outputFile.
        bool pipeOutput = false;
        // Files (created or emptied) for standard output and error; the
        // test's own streams when empty.
        std::string outputFile;
        std::string errorFile;
    };

    explicit ChildProcess(const Options& options);
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // Kills the program if it still runs and closes the pipes.
    ~ChildProcess();

    // True from a successful start until the program has been waited for.
    bool Running() const { return pid_ > 0; }
    // False when the program could not be started at all.
    bool Started() const { return started_; }

    // Writes all of `bytes` to the program's input; false when the pipe is
    // closed or the program has gone.
    bool Write(const std::string& bytes);
    void CloseInput();

    // Reads what the program wrote, up to `size` bytes, waiting at most
    // `timeoutMs`: the count (> 0), 0 at the end of its output (the pipe is
    // then closed), -1 when nothing came in time.
    int ReadOutput(char* buffer, size_t size, int timeoutMs);
    bool OutputOpen() const { return output_ >= 0; }

    // Waits at most `timeoutMs` for the program to end: its exit status, -1
    // when a signal ended it (or it never ran), kStillRunning when it still
    // runs. Once it has ended every call returns the same status.
    int Wait(int timeoutMs);
    // Ends the program if it still runs: SIGTERM, then SIGKILL when it has
    // not ended within `graceMs`. Returns Wait()'s status.
    int Stop(int graceMs);
    // Ends the program at once with SIGKILL.
    void Kill();

  private:
    pid_t pid_ = -1;
    bool started_ = false;
    int input_ = -1;
    int output_ = -1;
    int exitStatus_ = -1;
};

}  // namespace ostiva::test
