#include "support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

extern char** environ;

namespace ostiva::test {

namespace {

using Clock = std::chrono::steady_clock;

void CloseFd(int* fd) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (auto& text : strings) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ChildProcess::ChildProcess(const Options& options) {
    if (options.arguments.empty()) return;
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    if (options.pipeInput && ::pipe2(in, O_CLOEXEC) != 0) return;
    if (options.pipeOutput && ::pipe2(out, O_CLOEXEC) != 0) {
        CloseFd(&in[0]);
        CloseFd(&in[1]);
        return;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (options.pipeInput) posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    if (options.pipeOutput) {
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    } else if (!options.outputFile.empty()) {
        posix_spawn_file_actions_addopen(&actions, 1, options.outputFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    if (!options.errorFile.empty()) {
        posix_spawn_file_actions_addopen(&actions, 2, options.errorFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    if (!options.workingDirectory.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, options.workingDirectory.c_str());
    }

    std::vector<std::string> arguments = options.arguments;
    std::vector<char*> argv = Pointers(arguments);
    std::vector<std::string> environment;
    std::vector<char*> envp;
    if (options.environment) {
        environment = *options.environment;
        envp = Pointers(environment);
    }
    int rc = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(),
                           options.environment ? envp.data() : environ);
    posix_spawn_file_actions_destroy(&actions);

    // The child has its own copies; the parent keeps only its ends.
    CloseFd(&in[0]);
    CloseFd(&out[1]);
    input_ = in[1];
    output_ = out[0];
    if (rc != 0) {
        pid_ = -1;
        CloseInput();
        CloseFd(&output_);
        return;
    }
    started_ = true;
}

ChildProcess::~ChildProcess() {
    CloseInput();
    Kill();
    CloseFd(&output_);
}

bool ChildProcess::Write(const std::string& bytes) {
    if (input_ < 0) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(input_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

void ChildProcess::CloseInput() {
    CloseFd(&input_);
}

int ChildProcess::ReadOutput(char* buffer, size_t size, int timeoutMs) {
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (output_ >= 0) {
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        pollfd p{output_, POLLIN, 0};
        int ready = ::poll(&p, 1, left < 0 ? 0 : int(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return -1;
        ssize_t n = ::read(output_, buffer, size);
        if (n < 0 && errno == EINTR) continue;
        if (n > 0) return int(n);
        CloseFd(&output_);
    }
    return 0;
}

int ChildProcess::Wait(int timeoutMs) {
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
            exitStatus_ = -1;
            break;
        }
        if (Clock::now() >= end) return kStillRunning;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return exitStatus_;
}

int ChildProcess::Stop(int graceMs) {
    if (pid_ <= 0) return exitStatus_;
    ::kill(pid_, SIGTERM);
    int status = Wait(graceMs);
    if (status != kStillRunning) return status;
    Kill();
    return exitStatus_;
}

void ChildProcess::Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    // SIGKILL cannot be caught: the wait ends as soon as the kernel has
    // taken the process down.
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    exitStatus_ = -1;
}

}  // namespace ostiva::test
