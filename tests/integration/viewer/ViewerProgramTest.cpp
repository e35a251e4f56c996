// The console's launcher and code list against the real stand-in viewer.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "console/ConsoleLogic.h"
#include "console/ViewerLauncher.h"
#include "unit/console/ConsoleFakes.h"

using namespace ostiva;
using namespace ostiva::testing;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Waits up to ten seconds for `done`.
template <class Predicate>
bool WaitFor(Predicate done) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// The JSON lines the viewers have logged in `dir`.
std::vector<nlohmann::json> ViewerLog(const fs::path& dir) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(ReadAll(dir / "viewer-log.jsonl"));
    for (std::string line; std::getline(in, line);) {
        lines.push_back(nlohmann::json::parse(line, nullptr, false));
    }
    return lines;
}

// Gone, or a zombie waiting for a parent that is not us.
bool ProcessGone(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    size_t paren = text.rfind(')');
    return text.empty() || (paren != std::string::npos && text.substr(paren + 2, 1) == "Z");
}

// Ends a viewer that the console left running, as the viewer's own user would.
void EndViewer(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    EXPECT_TRUE(WaitFor([pid] { return ProcessGone(pid); })) << "viewer " << pid;
}

// Width and height from IHDR, and whether the image data inflates to the
// rows that size needs.
bool CheckPng(const std::string& png, uint32_t* width, uint32_t* height) {
    if (png.size() < 33 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return false;
    auto be32 = [&](size_t at) {
        return uint32_t(uint8_t(png[at])) << 24 | uint32_t(uint8_t(png[at + 1])) << 16 |
               uint32_t(uint8_t(png[at + 2])) << 8 | uint32_t(uint8_t(png[at + 3]));
    };
    *width = be32(16);
    *height = be32(20);
    std::string idat;
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = be32(at);
        if (at + 12 + length > png.size()) return false;
        if (png.compare(at + 4, 4, "IDAT") == 0) idat += png.substr(at + 8, length);
        at += 12 + length;
    }
    std::vector<uint8_t> raw(size_t(*height) * (1 + size_t(*width) * 3) + 1);
    uLongf rawSize = raw.size();
    if (uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(idat.data()),
                   idat.size()) != Z_OK) {
        return false;
    }
    return rawSize == raw.size() - 1;
}

class ViewerProgram : public ::testing::Test {
  protected:
    ViewerProgram() {
        fs::create_directory(dir);
        fs::create_symlink(OSTIVIEWER_PATH, dir / "ostiviewer");
        std::ofstream(dir / "info.dat") << "[Options]\r\nViewOnly=1\r\nquality=6\r\n";
    }

    ScratchDir scratch;
    const fs::path dir = scratch.path() / "program dir";
};

}  // namespace

TEST_F(ViewerProgram, ReadyStartsTheViewerWhosePictureTheTimerThenShows) {
    FakeView view;
    FakeCommands commands;
    ProcessViewerLauncher launcher(FromUtf8(dir.string()));
    ConsoleLogic logic(view, commands, launcher, FromUtf8(dir.string()));
    logic.Open({});
    logic.OnCodeCreated(123045);
    wire::CodeStatus status;
    status.code = 123045;
    status.state = static_cast<uint16_t>(AccessCodeState::Ready);
    logic.OnCodeStatus(status);
    EXPECT_TRUE(view.messages.empty());
    status.state = static_cast<uint16_t>(AccessCodeState::Connected);
    logic.OnCodeStatus(status);

    ASSERT_TRUE(WaitFor([&] { return !ViewerLog(dir).empty(); }));
    std::vector<nlohmann::json> log = ViewerLog(dir);
    ASSERT_EQ(log.size(), 1u);
    const pid_t pid = log[0].value("pid", 0);
    EXPECT_EQ(log[0]["argv"],
              (nlohmann::json{(dir / "ostiviewer").string(),
                              "-optionsfile=" + (dir / "info.dat").string(), "-code=123045"}));
    EXPECT_EQ(log[0]["code"], 123045);
    EXPECT_EQ(log[0]["options"]["viewonly"], 1);
    EXPECT_EQ(log[0]["options"]["quality"], 6);
    EXPECT_EQ(log[0]["options"]["fitwindow"], 1);

    const fs::path picture = dir / "imgs" / "123045.png";
    EXPECT_TRUE(WaitFor([&] { return fs::exists(picture); }));
    logic.OnTimer(ConsoleLogic::kCodeListTimerId);
    ASSERT_EQ(view.list.size(), 1u);
    EXPECT_EQ(ToUtf8(view.list[0].picturePath), picture.string());
    uint32_t width = 0, height = 0;
    EXPECT_TRUE(CheckPng(ReadAll(picture), &width, &height));
    EXPECT_EQ(width, 120u);
    EXPECT_EQ(height, 80u);

    EndViewer(pid);
}

TEST_F(ViewerProgram, EndsAfterItsTimeAndRefusesOtherCommandLines) {
    auto run = [&](std::vector<std::string> args) {
        pid_t pid = fork();
        if (pid == 0) {
            std::vector<char*> argv;
            std::string program = OSTIVIEWER_PATH;
            argv.push_back(program.data());
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
            dup2(null, 1);
            dup2(null, 2);
            execv(program.c_str(), argv.data());
            _exit(126);
        }
        int status = -1;
        // Bounded: the viewer's own clock ends it; a hang fails below.
        const bool ended = WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; });
        if (!ended) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const std::string options = "-optionsfile=" + (dir / "info.dat").string();
    EXPECT_EQ(run({options, "-code=7", "--seconds", "0"}), 0);
    ASSERT_EQ(ViewerLog(dir).size(), 1u);
    EXPECT_EQ(ViewerLog(dir)[0]["code"], 7);
    EXPECT_TRUE(fs::exists(dir / "imgs" / "7.png"));

    EXPECT_EQ(run({options}), 2);
    EXPECT_EQ(run({"-code=7"}), 2);
    EXPECT_EQ(run({options, "-code=12x"}), 2);
    EXPECT_EQ(run({options, "-code=99999999999"}), 2);
    EXPECT_EQ(run({options, "-code=7", "-extra"}), 2);
    EXPECT_EQ(run({"-optionsfile=", "-code=7"}), 2);
    EXPECT_EQ(ViewerLog(dir).size(), 1u);
}
