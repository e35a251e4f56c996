// The launcher against a stand-in viewer: a shell script that writes down
// its argument vector, its parent and the descriptors it inherited.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "ConsoleFakes.h"
#include "console/ConsoleLogic.h"
#include "console/ViewerLauncher.h"

using namespace ostiva;
using namespace ostiva::testing;
namespace fs = std::filesystem;

namespace {

// Each run leaves "<dir>/launch.<pid>.log" (written whole, then renamed).
constexpr const char* kRecorder = R"sh(#!/bin/sh
dir=$(dirname "$0")
{
  printf 'argv0=%s\n' "$0"
  for a in "$@"; do printf 'arg=%s\n' "$a"; done
  printf 'ppid=%s\n' "$PPID"
  for f in /proc/$$/fd/*; do printf 'fd=%s %s\n' "${f##*/}" "$(readlink "$f")";
done
} > "$dir/launch.tmp.$$"
mv "$dir/launch.tmp.$$" "$dir/launch.$$.log"
)sh";

void WriteProgram(const fs::path& path, const std::string& text, mode_t mode) {
    std::ofstream(path) << text;
    chmod(path.c_str(), mode);
}

// The logs the stand-in has written so far, waiting up to five seconds for
// `count` of them.
std::vector<std::string> WaitForLogs(const fs::path& dir, size_t count) {
    std::vector<std::string> logs;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        logs.clear();
        for (const auto& entry : fs::directory_iterator(dir)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("launch.", 0) == 0 && name.find(".log") != std::string::npos) {
                std::ifstream in(entry.path());
                std::stringstream text;
                text << in.rdbuf();
                logs.push_back(text.str());
            }
        }
        if (logs.size() >= count || std::chrono::steady_clock::now() > deadline) return logs;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::vector<std::string> Lines(const std::string& log, const std::string& prefix) {
    std::vector<std::string> values;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(prefix, 0) == 0) values.push_back(line.substr(prefix.size()));
    }
    return values;
}

std::string LinkOf(int fd) {
    char target[256] = {};
    ssize_t n =
        readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<size_t>(n)) : std::string();
}

// True when this process has no child left, running or a zombie.
bool NoChildren() {
    int status;
    return waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

}  // namespace

TEST(ViewerArguments, ThreeArgumentsWithThePlainCode) {
    EXPECT_EQ(ViewerArguments(u"/opt/ostiva", 123045),
              (std::vector<std::string>{"/opt/ostiva/ostiviewer",
                                        "-optionsfile=/opt/ostiva/info.dat", "-code=123045"}));
    EXPECT_EQ(ViewerArguments(u"", 7),
              (std::vector<std::string>{"/ostiviewer", "-optionsfile=/info.dat", "-code=7"}));
}

TEST(ViewerLauncher, StartsTheProgramWithItsArgumentsInADirectoryWithSpaces) {
    ScratchDir scratch;
    const fs::path dir = scratch.path() / "Ostiva Manager dir";
    fs::create_directory(dir);
    WriteProgram(dir / "ostiviewer", kRecorder, 0755);

    ProcessViewerLauncher launcher(FromUtf8(dir.string()));
    std::u16string error;
    ASSERT_TRUE(launcher.LaunchViewer(123045, &error)) << ToUtf8(error);
    ASSERT_TRUE(launcher.LaunchViewer(7, &error)) << ToUtf8(error);
    // The launch has reaped its intermediate child: no zombie is left behind,
    // and the viewers belong to someone else.
    EXPECT_TRUE(NoChildren());

    std::vector<std::string> logs = WaitForLogs(dir, 2);
    ASSERT_EQ(logs.size(), 2u);
    std::vector<std::string> codes;
    for (const std::string& log : logs) {
        EXPECT_EQ(Lines(log, "argv0="), std::vector<std::string>{(dir / "ostiviewer").string()});
        std::vector<std::string> args = Lines(log, "arg=");
        ASSERT_EQ(args.size(), 2u);
        EXPECT_EQ(args[0], "-optionsfile=" + (dir / "info.dat").string());
        codes.push_back(args[1]);
        EXPECT_NE(Lines(log, "ppid="), std::vector<std::string>{std::to_string(getpid())});
    }
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(codes, (std::vector<std::string>{"-code=123045", "-code=7"}));
}

TEST(ViewerLauncher, TheViewerInheritsNoSocketOrStrayDescriptor) {
    ScratchDir scratch;
    WriteProgram(scratch.path() / "ostiviewer", kRecorder, 0755);

    int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 1), 0);
    // A descriptor some library opened without close-on-exec: the launcher
    // must keep it from the viewer all the same.
    int stray[2];
    ASSERT_EQ(pipe(stray), 0);
    const std::string listenerLink = LinkOf(listener);
    const std::string strayLink = LinkOf(stray[0]);

    ProcessViewerLauncher launcher(scratch.wide());
    std::u16string error;
    const bool started = launcher.LaunchViewer(1, &error);
    std::vector<std::string> logs = WaitForLogs(scratch.path(), 1);
    close(listener);
    close(stray[0]);
    close(stray[1]);

    ASSERT_TRUE(started) << ToUtf8(error);
    ASSERT_EQ(logs.size(), 1u);
    for (const std::string& fd : Lines(logs[0], "fd=")) {
        EXPECT_EQ(fd.find(listenerLink), std::string::npos) << fd;
        EXPECT_EQ(fd.find(strayLink), std::string::npos) << fd;
    }
    EXPECT_TRUE(NoChildren());
}

TEST(ViewerLauncher, AMissingOrNonExecutableProgramIsReported) {
    ScratchDir scratch;
    ProcessViewerLauncher launcher(scratch.wide());
    std::u16string error;
    EXPECT_FALSE(launcher.LaunchViewer(5, &error));
    EXPECT_NE(error.find(u"ostiviewer"), std::u16string::npos);
    EXPECT_NE(error.find(u"No such file"), std::u16string::npos) << ToUtf8(error);

    WriteProgram(scratch.path() / "ostiviewer", kRecorder, 0644);
    error.clear();
    EXPECT_FALSE(launcher.LaunchViewer(5, &error));
    EXPECT_NE(error.find(u"Permission denied"), std::u16string::npos) << ToUtf8(error);
    EXPECT_TRUE(NoChildren());

    // Through the console: the message names the reason, the code keeps its state.
    FakeView view;
    FakeCommands commands;
    ConsoleLogic logic(view, commands, launcher, scratch.wide());
    logic.OnCodeCreated(5);
    wire::CodeStatus ready;
    ready.code = 5;
    ready.state = static_cast<uint16_t>(AccessCodeState::Ready);
    logic.OnCodeStatus(ready);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].id, StringId::ViewerStartFailed);
    EXPECT_NE(view.messages[0].argument.find(u"Permission denied"), std::u16string::npos);
    EXPECT_TRUE(logic.codes()[0].Is(AccessCodeState::Ready));
}
