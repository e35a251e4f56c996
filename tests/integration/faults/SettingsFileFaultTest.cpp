// info.dat in states the console did not write: lines it cannot read, lines
// of a hundred thousand characters, text that is not valid in its encoding,
// files it may not read, names that are not files, and writers racing each
// other. A read gives the valid keys or the defaults; a write either
// succeeds, keeping every other byte, or fails with the old file intact and
// no temporary file left.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "settings/Profile.h"
#include "settings/SettingsKeys.h"
#include "support/TempDir.h"

namespace ostiva::test {
namespace {

using namespace std::string_literals;

void WriteBytes(const std::string& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// The bytes of a regular file; empty for anything else.
std::string ReadBytes(const std::string& file) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(file, ignored)) return {};
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// UTF-16LE with its mark, unit by unit: unpaired surrogates go in as they are.
std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::string Noise(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        byte = static_cast<char>(seed >> 24);
    }
    return bytes;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(text.find(from, at + 1), std::string::npos) << "the marker must be unique";
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// Runs `body` in a child process as an unprivileged user (when the test runs
// as root), so that file permissions apply; its exit status, -1 when it did
// not exit normally.
int AsUnprivilegedChild(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0) {
            struct passwd* nobody = ::getpwnam("nobody");
            uid_t uid = nobody ? nobody->pw_uid : 65534;
            gid_t gid = nobody ? nobody->pw_gid : 65534;
            if (::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(100);
        }
        ::_exit(body());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// Each file holds "[a]" with k=1 and "[b]" with x=2 among lines that are not
// what the console writes; `k1` and `k2` are the bytes of the line "k=1" and
// of its rewritten form in the file's encoding.
struct OddFile {
    const char* name;
    std::string bytes;
    std::string k1 = "k=1";
    std::string k2 = "k=2";
};

std::vector<OddFile> OddFiles() {
    const std::string line100k(100000, 'L');
    std::string manyLongLines;
    for (int i = 0; i < 4; ++i) manyLongLines += ";" + line100k + "\n";
    const std::u16string lone = {u'b', u'a', u'd', u'=', 0xD800, u'x', 0xDC00, u'y', 0xDBFF};
    return {
        {"no equals sign", "[a]\njust some words\nk=1\n[b]\nx=2\n"},
        {"lone brackets", "[\n]\n[a]\n[\nk=1\n[]\n[b\n[b]\nx=2\n["},
        {"zero bytes", "\0\0[c]\0\n[a]\n\0=\0\nk=1\n[b]\nx=2\0 after the zero\n"s},
        {"invalid UTF-8", "\xC3\n[a]\n\xFF\xFE\xC0\x80=\xE3\x81\nk=1\n[\xED\xA0\x80]\n[b]\nx=2\n"},
        {"CR without LF", "[a]\nnote=one\rtwo\r\rthree\nk=1\r\n[b]\r\nx=2\r\n\r"},
        {"lines of 100k characters",
         "[a]\n" + manyLongLines + "long=" + line100k + "\nk=1\n[b]\n" + manyLongLines + "x=2\n"},
        {"one line just under the size cap",
         "[a]\nk=1\n[b]\nx=2\n;" + std::string(Profile::kMaxFileSize - 20, '#') + "\n"},
        {"binary noise before the sections", Noise(8192, 12345) + "\n[a]\nk=1\n[b]\nx=2\n"},
        {"UTF-16LE with unpaired surrogates",
         Utf16File(u"[a]\r\n" + lone + u"\r\nk=1\r\n[b]\r\nx=2\r\n" + std::u16string(1, 0xDC01)),
         Utf16File(u"k=1").substr(2), Utf16File(u"k=2").substr(2)},
    };
}

TEST(SettingsFileFaults, OddLinesKeepTheValidKeysAndEveryByteThroughAWrite) {
    for (const OddFile& odd : OddFiles()) {
        SCOPED_TRACE(odd.name);
        TempDir folder;
        std::string file = folder.File("info.dat");
        WriteBytes(file, odd.bytes);
        Profile profile(file);
        EXPECT_EQ(profile.GetInt(u"a", u"k", -1), 1);
        EXPECT_EQ(profile.GetInt(u"b", u"x", -1), 2);
        EXPECT_EQ(profile.GetString(u"a", u"missing", u"dflt", 48), u"dflt");
        // Long values are cut at the reader's capacity.
        EXPECT_LE(profile.GetString(u"a", u"long", u"", 48).size(), 47u);
        EXPECT_LE(Settings(profile).ProxyAddress().size(), 47u);

        ASSERT_TRUE(profile.WriteString(u"a", u"k", u"2"));
        EXPECT_TRUE(ReadBytes(file) == Replaced(odd.bytes, odd.k1, odd.k2));
        EXPECT_EQ(profile.GetInt(u"a", u"k", -1), 2);
        EXPECT_EQ(folder.EntryCount(), 1u);
    }
}

TEST(SettingsFileFaults, AddingASectionKeepsTheOldBytesAsTheyWere) {
    for (const OddFile& odd : OddFiles()) {
        SCOPED_TRACE(odd.name);
        TempDir folder;
        std::string file = folder.File("info.dat");
        WriteBytes(file, odd.bytes);
        Profile profile(file);
        bool fits = odd.bytes.size() + 64 <= Profile::kMaxFileSize;
        EXPECT_EQ(Settings(profile).SetProxyAddress(u"proxy.example"), fits);
        std::string after = ReadBytes(file);
        if (fits) {
            // The file had a last line ending or not: the old bytes lead either way.
            EXPECT_TRUE(after.compare(0, odd.bytes.size(), odd.bytes) == 0);
            EXPECT_EQ(Settings(profile).ProxyAddress(), u"proxy.example");
            EXPECT_EQ(profile.GetInt(u"a", u"k", -1), 1);
        } else {
            EXPECT_TRUE(after == odd.bytes);
        }
        EXPECT_EQ(folder.EntryCount(), 1u);
    }
}

// What cannot be read as a file reads as missing, and a write fails with
// whatever is there left as it was.
TEST(SettingsFileFaults, NamesThatAreNotUsableFiles) {
    struct Unusable {
        const char* name;
        std::function<void(const TempDir&)> make;
    };
    const Unusable cases[] = {
        {"a directory",
         [](const TempDir& f) { std::filesystem::create_directory(f.File("info.dat")); }},
        {"a link to itself",
         [](const TempDir& f) { std::filesystem::create_symlink("info.dat", f.File("info.dat")); }},
        {"a link through a loop",
         [](const TempDir& f) {
             std::filesystem::create_symlink("loop", f.File("info.dat"));
             std::filesystem::create_symlink("info.dat", f.path() / "loop");
         }},
        {"over the size cap",
         [](const TempDir& f) {
             WriteBytes(f.File("info.dat"),
                        "[proxy]\nuse=1\n" + std::string(Profile::kMaxFileSize, ';'));
         }},
    };
    for (const Unusable& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir folder;
        c.make(folder);
        size_t entries = folder.EntryCount();
        std::error_code ignored;
        auto before = std::filesystem::symlink_status(folder.File("info.dat"), ignored).type();
        std::string bytes = ReadBytes(folder.File("info.dat"));

        Settings settings{Profile(folder.File("info.dat"))};
        EXPECT_EQ(settings.ProxyMode(), 0);
        EXPECT_EQ(settings.ServerPort(), 80);
        EXPECT_EQ(settings.ServerAddress(), kDefaultServerHost);
        EXPECT_FALSE(settings.SetProxyMode(2));
        EXPECT_FALSE(settings.SetHelperId(u"someone"));

        EXPECT_EQ(folder.EntryCount(), entries);
        EXPECT_EQ(std::filesystem::symlink_status(folder.File("info.dat"), ignored).type(), before);
        EXPECT_TRUE(ReadBytes(folder.File("info.dat")) == bytes);
    }
}

TEST(SettingsFileFaults, AFileTheUserMayNotReadIsNeitherReadNorReplaced) {
    TempDir folder;
    std::string file = folder.File("info.dat");
    const std::string before = "[proxy]\nuse=1\nport=3128\n";
    WriteBytes(file, before);
    ASSERT_EQ(::chmod(file.c_str(), 0), 0);
    // The directory is writable by anyone: only the file's own mode stops
    // the write.
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
    int status = AsUnprivilegedChild([&] {
        Settings settings{Profile(file)};
        if (settings.ProxyMode() != 0 || settings.ProxyPort() != 0) return 1;
        if (settings.SetProxyPort(u"8080")) return 2;
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(ReadBytes(file) == before);
    EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(SettingsFileFaults, AtTheSizeCapAWriteThatWouldGrowItFails) {
    TempDir folder;
    std::string file = folder.File("info.dat");
    std::string head = "[helper]\nid=abc\n;";
    std::string before = head + std::string(Profile::kMaxFileSize - head.size() - 1, '#') + "\n";
    ASSERT_EQ(before.size(), Profile::kMaxFileSize);
    WriteBytes(file, before);
    Settings settings{Profile(file)};
    EXPECT_EQ(settings.HelperId(), u"abc");
    EXPECT_FALSE(settings.SetHelperId(u"abcd"));
    EXPECT_TRUE(settings.SetHelperId(u"xyz"));  // the same size still fits
    EXPECT_TRUE(ReadBytes(file) == Replaced(before, "id=abc", "id=xyz"));
    EXPECT_EQ(folder.EntryCount(), 1u);
}

// The console and the viewer write the same file, each one key at a time;
// neither may lose what the other wrote.
TEST(SettingsFileFaultsConcurrency, WritersOfDifferentKeysLoseNothing) {
    TempDir folder;
    std::string file = folder.File("info.dat");
    WriteBytes(file, "; shared\n[options]\nquality=3\n");
    constexpr int kWriters = 4;
    constexpr int kKeysEach = 40;
    std::vector<std::thread> writers;
    std::atomic<int> failed{0};
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            Profile profile(file);
            for (int i = 0; i < kKeysEach; ++i) {
                std::u16string key = u"w" + std::u16string(1, char16_t(u'a' + w)) + u"k" +
                                     std::u16string(1, char16_t(u'a' + i % 26)) +
                                     std::u16string(1, char16_t(u'a' + i / 26));
                if (!profile.WriteString(u"race", key, u"1")) ++failed;
            }
        });
    }
    for (auto& writer : writers) writer.join();
    EXPECT_EQ(failed.load(), 0);
    Profile profile(file);
    int present = 0;
    for (int w = 0; w < kWriters; ++w) {
        for (int i = 0; i < kKeysEach; ++i) {
            std::u16string key = u"w" + std::u16string(1, char16_t(u'a' + w)) + u"k" +
                                 std::u16string(1, char16_t(u'a' + i % 26)) +
                                 std::u16string(1, char16_t(u'a' + i / 26));
            present += profile.GetInt(u"race", key, 0);
        }
    }
    EXPECT_EQ(present, kWriters * kKeysEach);
    EXPECT_EQ(profile.GetInt(u"options", u"quality", 0), 3);
    EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(SettingsFileFaultsConcurrency, AWriterThatNeverFinishesDelaysTheWriteButCannotHangIt) {
    TempDir folder;
    std::string file = folder.File("info.dat");
    const std::string before = "[helper]\nid=old\n";
    WriteBytes(file, before);
    // Another writer holds its turn and does not give it up.
    int directory = ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(directory, 0);
    ASSERT_EQ(::flock(directory, LOCK_EX), 0);
    Settings settings{Profile(file)};
    EXPECT_FALSE(settings.SetHelperId(u"new"));
    EXPECT_EQ(settings.HelperId(), u"old");  // reading needs no turn
    EXPECT_TRUE(ReadBytes(file) == before);
    EXPECT_EQ(folder.EntryCount(), 1u);
    ::close(directory);
    EXPECT_TRUE(settings.SetHelperId(u"new"));
    EXPECT_EQ(settings.HelperId(), u"new");
}

}  // namespace
}  // namespace ostiva::test
