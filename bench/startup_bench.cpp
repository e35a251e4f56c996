// Start-up time to the login window: the real ostiva-manager, started as a
// technician starts it, until its login window has painted, against a bare
// Qt Widgets program that shows one empty dialog (the floor for any Qt
// program here). Both run offscreen from the same directory of programs, in
// turns, and are timed from the spawn until they write their "shown" line;
// what they do after it is not counted. Also the bare program's resident memory after
// the same idle time as the rebuild benchmark's main window, to set that
// window's memory against. The last lines print ours / bare.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "CounterReporter.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

fs::path ProgramDir() {
    return fs::read_symlink("/proc/self/exe").parent_path();
}

// A private working and runtime directory, so that no console of the user's
// and no settings file of theirs takes part.
class Scratch {
  public:
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "ostiva-startup-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// Ends the child within a bounded time: first as asked, then by force.
void Reap(pid_t pid) {
    for (int i = 0; i < 500; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

struct Launch {
    bool ok = false;
    double seconds = 0;  // spawn until the first whole line on standard output
    std::string line;
};

Launch RunUntilFirstLine(const fs::path& program, const std::vector<std::string>& arguments,
                         const fs::path& directory, int timeoutMs) {
    Launch launch;
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return launch;

    // The caller's environment, with the variables set here taken out.
    auto setHere = [](const std::string& text) {
        for (const char* name :
             {"QT_QPA_PLATFORM=", "OSTIVA_EXIT_WHEN_LOGIN_SHOWN=", "XDG_RUNTIME_DIR="}) {
            if (text.rfind(name, 0) == 0) return true;
        }
        return false;
    };
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        if (!setHere(*entry)) environment.emplace_back(*entry);
    }
    environment.push_back("QT_QPA_PLATFORM=offscreen");
    environment.push_back("OSTIVA_EXIT_WHEN_LOGIN_SHOWN=1");
    environment.push_back("XDG_RUNTIME_DIR=" + directory.string());
    std::vector<char*> envp;
    for (std::string& text : environment) envp.push_back(text.data());
    envp.push_back(nullptr);

    std::vector<std::string> args{program.string()};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : args) argv.push_back(text.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return launch;
    }

    const auto deadline = start + std::chrono::milliseconds(timeoutMs);
    char buffer[256];
    while (launch.line.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd wait{out[0], POLLIN, 0};
        if (poll(&wait, 1, int(left.count())) <= 0) continue;
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;
        launch.line.append(buffer, size_t(n));
    }
    const auto end = std::chrono::steady_clock::now();
    close(out[0]);
    Reap(pid);
    launch.ok = launch.line.find('\n') != std::string::npos;
    launch.seconds = std::chrono::duration<double>(end - start).count();
    return launch;
}

// Each iteration starts both, in turns, so that the load of a shared
// machine falls on both alike. The iteration time is ostiva-manager's; the
// counters hold both means.
void BM_StartupBesideBareQt(benchmark::State& state) {
    const fs::path ours = ProgramDir() / "ostiva-manager";
    const fs::path bare = ProgramDir() / "bare_qt_dialog";
    for (const fs::path& path : {ours, bare}) {
        if (!fs::exists(path)) {
            state.SkipWithError((path.string() + " is not built").c_str());
            return;
        }
    }
    Scratch scratch;
    std::error_code ignored;
    fs::permissions(scratch.path(), fs::perms::owner_all, ignored);
    double oursTotal = 0;
    double bareTotal = 0;
    for (auto _ : state) {
        const bool bareFirst = state.iterations() % 2 == 0;
        const Launch first = RunUntilFirstLine(bareFirst ? bare : ours, {}, scratch.path(), 30000);
        const Launch second = RunUntilFirstLine(bareFirst ? ours : bare, {}, scratch.path(), 30000);
        if (!first.ok || !second.ok) {
            state.SkipWithError("a program never showed its window");
            break;
        }
        const double oursNow = bareFirst ? second.seconds : first.seconds;
        oursTotal += oursNow;
        bareTotal += bareFirst ? first.seconds : second.seconds;
        state.SetIterationTime(oursNow);
    }
    if (state.iterations() > 0 && bareTotal > 0) {
        state.counters["ours_ms"] = 1000 * oursTotal / double(state.iterations());
        state.counters["bare_ms"] = 1000 * bareTotal / double(state.iterations());
        state.counters["ours_over_bare"] = oursTotal / bareTotal;
    }
}

// One run: the bare program's VmRSS after idling, as the counter rss_kb.
void BM_BareQtIdleMemory(benchmark::State& state) {
    const fs::path path = ProgramDir() / "bare_qt_dialog";
    Scratch scratch;
    long kilobytes = -1;
    for (auto _ : state) {
        const Launch launch = RunUntilFirstLine(path, {"--idle-rss"}, scratch.path(), 30000);
        if (!launch.ok || std::sscanf(launch.line.c_str(), "VmRSS %ld", &kilobytes) != 1) {
            state.SkipWithError("bare_qt_dialog --idle-rss gave no figure");
            break;
        }
    }
    state.counters["rss_kb"] = double(kilobytes);
}

BENCHMARK(BM_StartupBesideBareQt)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_BareQtIdleMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ostiva::bench::CounterReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    auto ratio = reporter.counters.find("ours_over_bare");
    if (ratio != reporter.counters.end()) {
        std::printf(
            "start-up to the login window, ostiva-manager / bare Qt dialog = %.3f "
            "(%.0f ms / %.0f ms)\n",
            ratio->second, reporter.counters["ours_ms"], reporter.counters["bare_ms"]);
    }
    auto rss = reporter.counters.find("rss_kb");
    if (rss != reporter.counters.end()) {
        std::printf("bare Qt dialog idle: VmRSS = %.1f MB\n", rss->second / 1024);
    }
    return 0;
}
