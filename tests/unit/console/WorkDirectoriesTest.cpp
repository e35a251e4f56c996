#include <gtest/gtest.h>

#include <fstream>

#include "ConsoleFakes.h"
#include "console/ConsoleLogic.h"
#include "console/WorkDirectories.h"

using namespace ostiva;
using namespace ostiva::testing;
namespace fs = std::filesystem;

TEST(WorkDirectories, ImagesAreClearedAndEverythingElseSurvives) {
    ScratchDir dir;
    const fs::path base = dir.path();
    fs::create_directories(base / "imgs" / "keep");
    std::ofstream(base / "imgs" / "123045.png") << "old picture";
    std::ofstream(base / "imgs" / ".hidden") << "x";
    std::ofstream(base / "imgs" / "keep" / "inner.png") << "x";
    fs::create_directory(base / "capture");
    std::ofstream(base / "capture" / "shot.png") << "x";
    std::ofstream(base / "outside.txt") << "x";
    // A link in imgs goes, what it points to stays.
    fs::create_symlink(base / "outside.txt", base / "imgs" / "link.png");

    PrepareWorkDirectories(dir.wide());

    EXPECT_FALSE(fs::exists(base / "imgs" / "123045.png"));
    EXPECT_FALSE(fs::exists(base / "imgs" / ".hidden"));
    EXPECT_FALSE(fs::is_symlink(base / "imgs" / "link.png"));
    EXPECT_TRUE(fs::exists(base / "outside.txt"));
    EXPECT_TRUE(fs::exists(base / "imgs" / "keep" / "inner.png"));
    EXPECT_TRUE(fs::exists(base / "capture" / "shot.png"));
    for (const char* sub : {"imgs", "capture", "record", "chat"}) {
        EXPECT_TRUE(fs::is_directory(base / sub)) << sub;
    }
}

TEST(WorkDirectories, FailuresAreIgnored) {
    ScratchDir dir;
    // "record" is taken by a file, and the program directory may not exist.
    std::ofstream(dir.path() / "record") << "not a directory";
    PrepareWorkDirectories(dir.wide());
    EXPECT_TRUE(fs::is_regular_file(dir.path() / "record"));
    EXPECT_TRUE(fs::is_directory(dir.path() / "chat"));
    PrepareWorkDirectories(dir.wide() + u"/missing/deeper");
    ClearImageDir(dir.wide() + u"/none");
    EXPECT_FALSE(fs::exists(dir.path() / "missing"));
}

// Signing in opens the main window, which prepares the work directories: a
// link under any of their names must not lead the console into the folder it
// names, whether to empty it ("imgs") or to hand it to the viewers.
TEST(WorkDirectories, SigningInReplacesLinksByRealFoldersAndEmptiesNothingThroughThem) {
    ScratchDir program;
    ScratchDir elsewhere;
    const fs::path base = program.path();
    for (const char* name : {"imgs", "capture", "record", "chat"}) {
        const fs::path target = elsewhere.path() / name;
        fs::create_directory(target);
        std::ofstream(target / "first.png") << "kept";
        std::ofstream(target / "second.png") << "kept";
        fs::create_directory_symlink(target, base / name);
    }
    // A dangling link is replaced the same way.
    fs::remove(base / "chat");
    fs::create_directory_symlink(elsewhere.path() / "gone", base / "chat");

    FakeView view;
    FakeCommands commands;
    RecordingLauncher launcher;
    ConsoleLogic logic(view, commands, launcher, program.wide());
    logic.Open(ConsoleAccount{});

    for (const char* name : {"imgs", "capture", "record", "chat"}) {
        EXPECT_FALSE(fs::is_symlink(base / name)) << name;
        EXPECT_TRUE(fs::is_directory(base / name)) << name;
    }
    for (const char* name : {"imgs", "capture", "record", "chat"}) {
        EXPECT_TRUE(fs::exists(elsewhere.path() / name / "first.png")) << name;
        EXPECT_TRUE(fs::exists(elsewhere.path() / name / "second.png")) << name;
    }
    EXPECT_FALSE(fs::exists(elsewhere.path() / "gone"));
    // Emptying a link by its own name does not follow it either.
    fs::create_directory_symlink(elsewhere.path() / "imgs", base / "imgs-link");
    ClearImageDir(program.wide() + u"/imgs-link");
    EXPECT_TRUE(fs::exists(elsewhere.path() / "imgs" / "first.png"));
}
