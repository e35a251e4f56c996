#include "console/ViewerLauncher.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "util/Exception.h"
#include "util/Format.h"
#include "util/ModulePath.h"
#include "util/Utf.h"

namespace ostiva {

std::vector<std::string> ViewerArguments(std::u16string_view programDir, int32_t code) {
    return {
        FormatNarrow("%s/ostiviewer", {programDir}),
        FormatNarrow("-optionsfile=%s/info.dat", {programDir}),
        FormatNarrow("-code=%d", {code}),
    };
}

namespace {

// Everything below runs between fork and exec, in a child of a possibly
// multi-threaded process: only async-signal-safe calls, no allocation.

[[noreturn]] void ReportAndExit(int pipeFd, int code) {
    ssize_t ignored = write(pipeFd, &code, sizeof code);
    (void)ignored;
    _exit(127);
}

// Reads /proc/self/fd with raw getdents64 (opendir would allocate) and marks
// each descriptor above 2 close-on-exec. False when /proc is unavailable.
bool MarkCloseOnExecFromProc() {
    int dir = open("/proc/self/fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return false;
    alignas(8) char buffer[4096];
    for (;;) {
        long n = syscall(SYS_getdents64, dir, buffer, sizeof buffer);
        if (n <= 0) break;
        for (long offset = 0; offset < n;) {
            // struct linux_dirent64: ino (8), off (8), reclen (2), type (1), name.
            unsigned short reclen;
            __builtin_memcpy(&reclen, buffer + offset + 16, sizeof reclen);
            const char* name = buffer + offset + 19;
            int fd = 0;
            bool number = *name != '\0';
            for (const char* p = name; *p; ++p) {
                if (*p < '0' || *p > '9') {
                    number = false;
                    break;
                }
                fd = fd * 10 + (*p - '0');
            }
            if (number && fd > 2 && fd != dir) fcntl(fd, F_SETFD, FD_CLOEXEC);
            if (reclen == 0) break;
            offset += reclen;
        }
    }
    close(dir);
    return true;
}

// Makes sure the viewer inherits no descriptor but the standard three, even
// ones that a library opened without close-on-exec.
void MarkStrayDescriptors(int fdLimit) {
    if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) return;
    if (MarkCloseOnExecFromProc()) return;
    for (int fd = 3; fd < fdLimit; ++fd) fcntl(fd, F_SETFD, FD_CLOEXEC);
}

void ResetSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int sig = 1; sig < NSIG; ++sig) {
        if (sig == SIGKILL || sig == SIGSTOP) continue;
        sigaction(sig, &action, nullptr);  // fails harmlessly for reserved signals
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

// The pipes between the launcher and its intermediate child: the exec's
// errno, the viewer's process id, and the launcher's "done with it".
struct LaunchPipes {
    int error[2] = {-1, -1};
    int pid[2] = {-1, -1};
    int release[2] = {-1, -1};

    bool Open() {
        return pipe2(error, O_CLOEXEC) == 0 && pipe2(pid, O_CLOEXEC) == 0 &&
               pipe2(release, O_CLOEXEC) == 0;
    }
    static void Close(int& fd) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
    void CloseAll() {
        for (int* end : {&error[0], &error[1], &pid[0], &pid[1], &release[0], &release[1]})
            Close(*end);
    }
};

// Runs in the intermediate child: forks the viewer, tells the launcher its
// process id and exits once the launcher has taken hold of it, so that the
// viewer is re-parented and the launcher has only this child to reap. Until
// then the viewer, even one that has already ended, keeps its id here.
[[noreturn]] void RunIntermediateChild(char* const argv[], const LaunchPipes& pipes, int fdLimit) {
    const int errorPipe = pipes.error[1];
    close(pipes.release[1]);  // else the wait below would never see the end
    pid_t viewer = _Fork();
    if (viewer < 0) ReportAndExit(errorPipe, errno);
    if (viewer > 0) {
        ssize_t ignored = write(pipes.pid[1], &viewer, sizeof viewer);
        (void)ignored;
        char byte;
        while (read(pipes.release[0], &byte, 1) < 0 && errno == EINTR) {
        }
        _exit(0);
    }
    // Its own session: Ctrl+C in the console's terminal, or the terminal
    // closing, does not end the viewers along with the console.
    setsid();
    ResetSignals();
    MarkStrayDescriptors(fdLimit);
    execv(argv[0], argv);
    ReportAndExit(errorPipe, errno);
}

int DescriptorLimit() {
    struct rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur > 65536) {
        return 65536;
    }
    return static_cast<int>(limit.rlim_cur);
}

// A process descriptor for `pid`, or -1. Through syscall: the C library's
// wrapper is not usable from C++ in every version in use.
int OpenPidFd(pid_t pid) {
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
}

// Reads one whole value from a pipe; false at its end.
template <typename T>
bool ReadValue(int fd, T* value) {
    ssize_t n;
    do {
        n = read(fd, value, sizeof *value);
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(sizeof *value);
}

// Starts the program named by args[0] detached. 0 on success, otherwise the
// errno of the step that failed. `*viewerFd` receives a pidfd of the viewer
// on success, or -1 when the system offers none.
int SpawnDetached(const std::vector<std::string>& args, int* viewerFd) {
    *viewerFd = -1;
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int fdLimit = DescriptorLimit();

    LaunchPipes pipes;
    if (!pipes.Open()) {
        const int failure = errno;
        pipes.CloseAll();
        return failure;
    }

    // No signal handler of the console may run in the children before exec.
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    pid_t child = fork();
    if (child == 0) {
        close(pipes.error[0]);
        close(pipes.pid[0]);
        RunIntermediateChild(argv.data(), pipes, fdLimit);
    }
    int forkError = errno;
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    LaunchPipes::Close(pipes.error[1]);
    LaunchPipes::Close(pipes.pid[1]);
    LaunchPipes::Close(pipes.release[0]);
    if (child < 0) {
        pipes.CloseAll();
        return forkError;
    }

    // While the intermediate child waits, the viewer's id cannot have been
    // given to another process.
    pid_t viewer = 0;
    if (ReadValue(pipes.pid[0], &viewer) && viewer > 0) *viewerFd = OpenPidFd(viewer);
    LaunchPipes::Close(pipes.release[1]);
    LaunchPipes::Close(pipes.pid[0]);

    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // End of file: the viewer's exec closed the last writer. Otherwise the
    // errno of the failed fork or exec.
    int reported = 0;
    ssize_t n;
    do {
        n = read(pipes.error[0], &reported, sizeof reported);
    } while (n < 0 && errno == EINTR);
    LaunchPipes::Close(pipes.error[0]);
    int failure = 0;
    if (n == static_cast<ssize_t>(sizeof reported))
        failure = reported != 0 ? reported : EIO;
    else if (n != 0)
        failure = EIO;
    if (failure != 0 && *viewerFd >= 0) {
        close(*viewerFd);
        *viewerFd = -1;
    }
    return failure;
}

// Whether the process behind a pidfd has ended: the descriptor turns
// readable then.
bool HasEnded(int pidFd) {
    pollfd entry{pidFd, POLLIN, 0};
    int n;
    do {
        n = poll(&entry, 1, 0);
    } while (n < 0 && errno == EINTR);
    return n != 0;
}

}  // namespace

ProcessViewerLauncher::ProcessViewerLauncher(std::u16string programDir)
    : programDir_(std::move(programDir)) {}

ProcessViewerLauncher::~ProcessViewerLauncher() {
    for (const auto& entry : running_) close(entry.second);
}

std::vector<std::string> ProcessViewerLauncher::ArgumentsFor(int32_t code) const {
    return ViewerArguments(programDir_.empty() ? ProgramDirectory() : programDir_, code);
}

bool ProcessViewerLauncher::LaunchViewer(int32_t code, std::u16string* error) {
    ForgetEndedViewers();
    const std::vector<std::string> args = ArgumentsFor(code);
    int viewerFd = -1;
    int failure = SpawnDetached(args, &viewerFd);
    if (failure != 0) {
        if (error) *error = FormatWide(u"%s: %s", {args[0], SystemErrorText(failure)});
        return false;
    }
    lastStarted_ = kNoViewer;
    if (viewerFd >= 0) {
        lastStarted_ = nextHandle_++;
        running_.emplace(lastStarted_, viewerFd);
    }
    return true;
}

bool ProcessViewerLauncher::IsRunning(ViewerHandle viewer) const {
    auto it = running_.find(viewer);
    return it != running_.end() && !HasEnded(it->second);
}

void ProcessViewerLauncher::ForgetEndedViewers() {
    for (auto it = running_.begin(); it != running_.end();) {
        if (HasEnded(it->second)) {
            close(it->second);
            it = running_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace ostiva
