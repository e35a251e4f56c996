#include "console/ViewerLauncher.h"

#include <dirent.h>
#include <fcntl.h>
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

// Runs in the intermediate child: forks the viewer and exits, so that the
// viewer is re-parented and the launcher has only this child to reap.
[[noreturn]] void RunIntermediateChild(char* const argv[], int errorPipe, int fdLimit) {
    pid_t viewer = _Fork();
    if (viewer < 0) ReportAndExit(errorPipe, errno);
    if (viewer > 0) _exit(0);
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

// Starts the program named by args[0] detached. 0 on success, otherwise the
// errno of the step that failed.
int SpawnDetached(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int fdLimit = DescriptorLimit();

    int errorPipe[2];
    if (pipe2(errorPipe, O_CLOEXEC) != 0) return errno;

    // No signal handler of the console may run in the children before exec.
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    pid_t child = fork();
    if (child == 0) {
        close(errorPipe[0]);
        RunIntermediateChild(argv.data(), errorPipe[1], fdLimit);
    }
    int forkError = errno;
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    close(errorPipe[1]);
    if (child < 0) {
        close(errorPipe[0]);
        return forkError;
    }

    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // End of file: the viewer's exec closed the last writer. Otherwise the
    // errno of the failed fork or exec.
    int reported = 0;
    ssize_t n;
    do {
        n = read(errorPipe[0], &reported, sizeof reported);
    } while (n < 0 && errno == EINTR);
    close(errorPipe[0]);
    if (n == static_cast<ssize_t>(sizeof reported)) return reported != 0 ? reported : EIO;
    if (n != 0) return EIO;
    return 0;
}

}  // namespace

ProcessViewerLauncher::ProcessViewerLauncher(std::u16string programDir)
    : programDir_(std::move(programDir)) {}

std::vector<std::string> ProcessViewerLauncher::ArgumentsFor(int32_t code) const {
    return ViewerArguments(programDir_.empty() ? ProgramDirectory() : programDir_, code);
}

bool ProcessViewerLauncher::LaunchViewer(int32_t code, std::u16string* error) {
    const std::vector<std::string> args = ArgumentsFor(code);
    int failure = SpawnDetached(args);
    if (failure == 0) return true;
    if (error) *error = FormatWide(u"%s: %s", {args[0], SystemErrorText(failure)});
    return false;
}

}  // namespace ostiva
