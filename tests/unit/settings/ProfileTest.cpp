#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <string>

#include "settings/Profile.h"
#include "support/TempDir.h"

using ostiva::ParseProfileInt;
using ostiva::Profile;

namespace {

mode_t ModeOf(const std::string& file) {
    struct stat info {};
    EXPECT_EQ(::stat(file.c_str(), &info), 0);
    return info.st_mode & 07777;
}

// Runs `body` in a child process and returns its exit status (-1 when it did
// not exit normally). Used where the test must give up privileges or limits
// that it cannot get back.
template <typename Body>
int InChild(Body body) {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// Drops to an unprivileged user when running as root, so that permissions
// apply to the child.
bool DropRoot() {
    if (::geteuid() != 0) return true;
    struct passwd* nobody = ::getpwnam("nobody");
    uid_t uid = nobody ? nobody->pw_uid : 65534;
    gid_t gid = nobody ? nobody->pw_gid : 65534;
    return ::setgid(gid) == 0 && ::setuid(uid) == 0;
}

}  // namespace

TEST(ProfileInt, DigitsAtTheStartOfTheValue) {
    struct Case {
        std::u16string_view value;
        int expected;
    } cases[] = {
        {u"", 0},
        {u"abc", 0},
        {u"80", 80},
        {u"+7", 7},
        {u"-12x", -12},
        {u"3.5", 3},
        {u"-", 0},
        {u"- 5", 0},
        {u"0x10", 0},
        {u"007", 7},
        {u"2147483647", INT_MAX},
        {u"2147483648", INT_MAX},
        {u"99999999999999999999", INT_MAX},
        {u"-2147483648", INT_MIN},
        {u"-99999999999999999999", INT_MIN},
        {u"\uFF11", 0},  // full-width digit
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseProfileInt(c.value), c.expected)
            << std::string(c.value.begin(), c.value.end());
    }
}

TEST(ProfileRead, MissingFileSectionOrKeyGivesTheDefault) {
    TempDir dir;
    Profile profile(dir.File("info.dat"));
    EXPECT_EQ(profile.GetString(u"server", u"svr_addr", u"dflt", 20), u"dflt");
    EXPECT_EQ(profile.GetInt(u"server", u"svr_port", 80), 80);
    EXPECT_FALSE(std::filesystem::exists(dir.File("info.dat")));  // reading creates nothing

    TempDir::Write(dir.File("info.dat"), "[server]\nother=1\n");
    EXPECT_EQ(profile.GetString(u"server", u"svr_addr", u"dflt", 20), u"dflt");
    EXPECT_EQ(profile.GetInt(u"proxy", u"use", 9), 9);
}

TEST(ProfileRead, PresentValuesOverrideTheDefault) {
    TempDir dir;
    TempDir::Write(dir.File("info.dat"), "[proxy]\r\nport=\r\nuse=abc\r\naddr=\r\n");
    Profile profile(dir.File("info.dat"));
    EXPECT_EQ(profile.GetInt(u"proxy", u"port", 3128), 0);  // empty value
    EXPECT_EQ(profile.GetInt(u"proxy", u"use", 1), 0);      // not a number
    EXPECT_EQ(profile.GetString(u"proxy", u"addr", u"dflt", 48), u"");
}

TEST(ProfileRead, CapacityCutsTheStoredValue) {
    TempDir dir;
    TempDir::Write(dir.File("info.dat"), "[a]\nk=abcdefghij\npair=abc\xF0\x9F\x98\x80\n");
    Profile profile(dir.File("info.dat"));
    EXPECT_EQ(profile.GetString(u"a", u"k", u"", 11), u"abcdefghij");
    EXPECT_EQ(profile.GetString(u"a", u"k", u"", 10), u"abcdefghi");
    EXPECT_EQ(profile.GetString(u"a", u"k", u"", 1), u"");
    EXPECT_EQ(profile.GetString(u"a", u"k", u"", 0), u"");
    // U+1F600 takes two units; a cut inside it drops it whole.
    EXPECT_EQ(profile.GetString(u"a", u"pair", u"", 6), u"abc\xD83D\xDE00");
    EXPECT_EQ(profile.GetString(u"a", u"pair", u"", 5), u"abc");
    // The default is the program's own and comes back whole.
    EXPECT_EQ(profile.GetString(u"a", u"none", u"a-rather-long-default", 5),
              u"a-rather-long-default");
}

TEST(ProfileRead, UnusableFilesReadAsMissing) {
    TempDir dir;
    std::string file = dir.File("info.dat");

    std::filesystem::create_directory(file);
    EXPECT_EQ(Profile(file).GetInt(u"a", u"k", 5), 5);
    std::filesystem::remove(file);

    // A FIFO must not block the reader.
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(Profile(file).GetInt(u"a", u"k", 6), 6);
    EXPECT_FALSE(Profile(file).WriteString(u"a", u"k", u"1"));
    std::filesystem::remove(file);

    std::string big = "[a]\nk=1\n" + std::string(Profile::kMaxFileSize, ';');
    TempDir::Write(file, big);
    EXPECT_EQ(Profile(file).GetInt(u"a", u"k", 7), 7);
    EXPECT_FALSE(Profile(file).WriteString(u"a", u"k", u"2"));
    EXPECT_EQ(TempDir::Read(file), big);  // never rewritten
}

TEST(ProfileWrite, CreatesTheFileWithOwnerOnlyMode) {
    TempDir dir;
    std::string file = dir.File("info.dat");
    mode_t oldMask = ::umask(0);  // the mode must not depend on the umask
    bool written = Profile(file).WriteString(u"helper", u"pw", u"secret");
    ::umask(oldMask);
    ASSERT_TRUE(written);
    EXPECT_EQ(ModeOf(file), 0600u);
    EXPECT_EQ(TempDir::Read(file), "[helper]\npw=secret\n");
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(ProfileWrite, ExistingFileKeepsItsModeAndEveryOtherLine) {
    TempDir dir;
    std::string file = dir.File("info.dat");
    const std::string before =
        "; written on Windows\r\n"
        "[server]\r\n"
        "svr_addr=203.0.113.9\r\n"
        "\r\n"
        "[helper]\r\n"
        "ID=old\r\n"
        "custom=kept\r\n"
        "[options]\r\n"
        "fitwindow=1\r\n";
    TempDir::Write(file, before);
    ::chmod(file.c_str(), 0644);

    Profile profile(file);
    ASSERT_TRUE(profile.WriteString(u"helper", u"id", u"new"));
    ASSERT_TRUE(profile.WriteString(u"proxy", u"port", u""));
    ASSERT_TRUE(profile.WriteString(u"helper", u"savepw", u"1"));
    EXPECT_EQ(TempDir::Read(file),
              "; written on Windows\r\n"
              "[server]\r\n"
              "svr_addr=203.0.113.9\r\n"
              "\r\n"
              "[helper]\r\n"
              "ID=new\r\n"
              "custom=kept\r\n"
              "savepw=1\r\n"
              "[options]\r\n"
              "fitwindow=1\r\n"
              "[proxy]\r\n"
              "port=\r\n");
    EXPECT_EQ(ModeOf(file), 0644u);
    EXPECT_EQ(profile.GetInt(u"proxy", u"port", 8080), 0);
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(ProfileWrite, Utf16FileIsRewrittenAsUtf16) {
    TempDir dir;
    std::string file = dir.File("info.dat");
    auto utf16 = [](std::u16string_view text) {
        std::string bytes;
        for (char16_t unit : text) {
            bytes.push_back(static_cast<char>(unit & 0xFF));
            bytes.push_back(static_cast<char>(unit >> 8));
        }
        return bytes;
    };
    TempDir::Write(file, "\xFF\xFE" + utf16(u"[helper]\r\nid=\u5C71\u7530\r\n"));
    Profile profile(file);
    EXPECT_EQ(profile.GetString(u"helper", u"id", u"", 48), u"\u5C71\u7530");
    ASSERT_TRUE(profile.WriteString(u"helper", u"pw", u"\u79D8\u5BC6"));
    EXPECT_EQ(TempDir::Read(file),
              "\xFF\xFE" + utf16(u"[helper]\r\nid=\u5C71\u7530\r\npw=\u79D8\u5BC6\r\n"));
}

TEST(ProfileWrite, ASymbolicLinkKeepsPointingAtTheFile) {
    TempDir dir;
    std::string real = dir.File("shared.dat");
    std::string link = dir.File("info.dat");
    TempDir::Write(real, "[a]\nk=1\n");
    std::filesystem::create_symlink(real, link);
    ASSERT_TRUE(Profile(link).WriteString(u"a", u"k", u"2"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TempDir::Read(real), "[a]\nk=2\n");

    std::filesystem::remove(real);  // now dangling
    EXPECT_FALSE(Profile(link).WriteString(u"a", u"k", u"3"));
    EXPECT_FALSE(std::filesystem::exists(real));
}

TEST(ProfileWrite, RefusedWritesLeaveTheFileAlone) {
    TempDir dir;
    std::string file = dir.File("info.dat");
    TempDir::Write(file, "[a]\nk=1\n");
    Profile profile(file);
    EXPECT_FALSE(profile.WriteString(u"a", u"k", u"two\nlines"));
    EXPECT_FALSE(profile.WriteString(u"a", u"k", std::u16string(Profile::kMaxFileSize, u'x')));
    EXPECT_EQ(TempDir::Read(file), "[a]\nk=1\n");
    EXPECT_FALSE(Profile(dir.File("missing/info.dat")).WriteString(u"a", u"k", u"1"));
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(ProfileWrite, ReadOnlyDirectoryFailsAndKeepsTheOldFile) {
    TempDir dir;
    std::string file = dir.File("info.dat");
    TempDir::Write(file, "[helper]\nid=old\n");
    ::chmod(file.c_str(), 0666);  // writable in place, but a rename needs the directory
    ::chmod(dir.path().c_str(), 0555);
    int status = InChild([&] {
        if (!DropRoot()) return 2;
        return Profile(file).WriteString(u"helper", u"id", u"new") ? 1 : 0;
    });
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(TempDir::Read(file), "[helper]\nid=old\n");
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(ProfileWrite, AWriteCutShortByTheFileSizeLimitKeepsTheOldFile) {
    TempDir dir;
    std::string file = dir.File("info.dat");
    const std::string before = "[a]\nk=1\n" + std::string(3000, ';') + "\n";
    TempDir::Write(file, before);
    int status = InChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {1024, 1024};  // as if the disk filled up after 1 KiB
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
        return Profile(file).WriteString(u"a", u"k", u"2") ? 1 : 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(TempDir::Read(file), before);
    EXPECT_EQ(dir.EntryCount(), 1u);  // the temporary file is gone
}
