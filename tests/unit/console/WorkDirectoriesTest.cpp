#include <gtest/gtest.h>

#include <fstream>

#include "ConsoleFakes.h"
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
