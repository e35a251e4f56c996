// The updater swap at start-up: "autoup2" becomes "autoup"; anything else
// leaves the directory as it was.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "console/UpdaterSwap.h"

namespace fs = std::filesystem;

namespace {

class UpdaterSwap : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/ostiva-updater-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Write(const std::string& name, const std::string& content) {
        std::ofstream(dir_ / name, std::ios::binary) << content;
    }
    std::string Read(const std::string& name) {
        std::ifstream in(dir_ / name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool Exists(const std::string& name) { return fs::exists(fs::symlink_status(dir_ / name)); }

    fs::path dir_;
};

TEST_F(UpdaterSwap, DownloadedFileReplacesTheOldOne) {
    Write("autoup", "old");
    Write("autoup2", "new");
    EXPECT_TRUE(ostiva::SwapUpdater(dir_.string()));
    EXPECT_EQ(Read("autoup"), "new");
    EXPECT_FALSE(Exists("autoup2"));
    // Nothing to swap the second time.
    EXPECT_FALSE(ostiva::SwapUpdater(dir_.string()));
    EXPECT_EQ(Read("autoup"), "new");
}

TEST_F(UpdaterSwap, AnythingElseLeavesTheDirectoryAsItWas) {
    // A directory named like the download is not one.
    Write("autoup", "old");
    fs::create_directory(dir_ / "autoup2");
    EXPECT_FALSE(ostiva::SwapUpdater(dir_.string()));
    EXPECT_EQ(Read("autoup"), "old");
    EXPECT_TRUE(fs::is_directory(dir_ / "autoup2"));
    fs::remove_all(dir_ / "autoup2");
    fs::remove(dir_ / "autoup");

    // An "autoup" that cannot be replaced: the swap fails quietly and the
    // download stays for the next start.
    fs::create_directory(dir_ / "autoup");
    Write("autoup/keep", "x");
    Write("autoup2", "new");
    EXPECT_FALSE(ostiva::SwapUpdater(dir_.string()));
    EXPECT_EQ(Read("autoup2"), "new");
    EXPECT_EQ(Read("autoup/keep"), "x");
    EXPECT_FALSE(ostiva::SwapUpdater((dir_ / "missing").string()));
}

}  // namespace
