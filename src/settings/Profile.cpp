#include "settings/Profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

#include "settings/ProfileDocument.h"
#include "util/Utf.h"

namespace ostiva {
namespace {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now, reporting whether the close succeeded (it can report a
    // failed delayed write).
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

enum class FileState { Loaded, Missing, Unusable };

struct LoadedFile {
    FileState state = FileState::Unusable;
    std::string bytes;
    struct stat info = {};
};

LoadedFile LoadFile(const std::string& path) {
    LoadedFile file;
    // Non-blocking, so that a FIFO planted as the settings file cannot hang
    // the console; it is refused below as not a regular file.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        file.state = errno == ENOENT ? FileState::Missing : FileState::Unusable;
        return file;
    }
    FileDescriptor guard(fd);
    if (::fstat(fd, &file.info) != 0 || !S_ISREG(file.info.st_mode) ||
        file.info.st_size > static_cast<off_t>(Profile::kMaxFileSize)) {
        return file;
    }
    // The size may change while we read: read at most one byte past the limit
    // to notice a file that grew beyond it.
    constexpr size_t kReadLimit = Profile::kMaxFileSize + 1;
    std::string bytes(static_cast<size_t>(file.info.st_size) + 1, '\0');
    size_t total = 0;
    while (total < kReadLimit) {
        if (total == bytes.size()) bytes.resize(std::min(bytes.size() * 2, kReadLimit));
        ssize_t n = ::read(fd, bytes.data() + total, bytes.size() - total);
        if (n < 0) {
            if (errno == EINTR) continue;
            return file;
        }
        if (n == 0) break;
        total += static_cast<size_t>(n);
    }
    if (total > Profile::kMaxFileSize) return file;
    bytes.resize(total);
    file.bytes = std::move(bytes);
    file.state = FileState::Loaded;
    return file;
}

// The file a write must replace: the path itself, or the file a symbolic
// link at the path names (renaming over the link would cut it). Nothing for a
// dangling link.
std::optional<std::string> WriteTarget(const std::string& path) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return std::nullopt;
    std::string target(resolved);
    ::free(resolved);
    return target;
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

std::filesystem::path DirectoryOf(const std::string& target) {
    std::filesystem::path directory = std::filesystem::path(target).parent_path();
    return directory.empty() ? std::filesystem::path(".") : directory;
}

// Writers of one file (the console's dialogs, the viewer, in any process)
// take turns at reading it, changing a key and replacing it: one that read
// before another's replacement would write the older text back and lose the
// other's key. The lock is on the directory, because the replacement puts a
// new file in place at every write. A directory that cannot be opened or
// locked is written without the lock; one whose lock stays taken fails the
// write, so a stuck writer elsewhere cannot hang the console.
class DirectoryLock {
  public:
    explicit DirectoryLock(const std::filesystem::path& directory)
        : fd_(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_.get() < 0) return;
        auto end = std::chrono::steady_clock::now() + kWait;
        while (::flock(fd_.get(), LOCK_EX | LOCK_NB) != 0) {
            // A file system without locks is written as before.
            if (errno != EWOULDBLOCK && errno != EINTR) return;
            if (std::chrono::steady_clock::now() >= end) {
                refused_ = true;
                return;
            }
            std::this_thread::sleep_for(kRetry);
        }
    }

    // False when another writer kept the lock for the whole wait.
    bool Usable() const { return !refused_; }

  private:
    static constexpr std::chrono::milliseconds kWait{3000};
    static constexpr std::chrono::milliseconds kRetry{2};

    // Closing the directory releases the lock.
    FileDescriptor fd_;
    bool refused_ = false;
};

// Writes `bytes` to a new file beside `target` and renames it over `target`.
bool ReplaceFile(const std::string& target, const std::string& bytes, const LoadedFile& old) {
    std::filesystem::path targetPath(target);
    std::filesystem::path directory = DirectoryOf(target);
    std::string temporary =
        (directory / ("." + targetPath.filename().string() + ".XXXXXX")).string();
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return false;
    FileDescriptor guard(fd);

    bool existed = old.state == FileState::Loaded;
    mode_t mode = existed ? (old.info.st_mode & 07777) : 0600;
    bool ok = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0;
    if (ok && existed && (old.info.st_uid != ::geteuid() || old.info.st_gid != ::getegid())) {
        // Only a privileged writer can keep another owner; anyone else keeps
        // the file as their own, as an editor would.
        [[maybe_unused]] int ignored = ::fchown(fd, old.info.st_uid, old.info.st_gid);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = guard.Close() && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself reaches the disk with the directory.
    int directoryFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directoryFd >= 0) {
        ::fsync(directoryFd);
        ::close(directoryFd);
    }
    return true;
}

}  // namespace

int ParseProfileInt(std::u16string_view value) {
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == u'+' || value[i] == u'-')) {
        negative = value[i] == u'-';
        ++i;
    }
    constexpr int64_t kCap = int64_t(INT_MAX) + 1;
    int64_t number = 0;
    for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) {
        number = number * 10 + (value[i] - u'0');
        if (number > kCap) number = kCap;
    }
    if (negative) number = -number;
    if (number > INT_MAX) return INT_MAX;
    return static_cast<int>(number);
}

std::u16string Profile::GetString(std::u16string_view section, std::u16string_view key,
                                  std::u16string_view defaultValue, size_t capacity) const {
    LoadedFile file = LoadFile(path_);
    if (file.state != FileState::Loaded) return std::u16string(defaultValue);
    std::optional<std::u16string> value = ProfileDocument::Parse(file.bytes).Find(section, key);
    if (!value) return std::u16string(defaultValue);
    if (capacity == 0) return {};
    return std::u16string(CutUtf16(*value, capacity - 1));
}

int Profile::GetInt(std::u16string_view section, std::u16string_view key, int defaultValue) const {
    LoadedFile file = LoadFile(path_);
    if (file.state != FileState::Loaded) return defaultValue;
    std::optional<std::u16string> value = ProfileDocument::Parse(file.bytes).Find(section, key);
    return value ? ParseProfileInt(*value) : defaultValue;
}

bool Profile::WriteString(std::u16string_view section, std::u16string_view key,
                          std::u16string_view value) {
    return WriteStrings({{section, key, value}});
}

bool Profile::WriteStrings(const std::vector<ProfileEntry>& entries) {
    std::optional<std::string> target = WriteTarget(path_);
    if (!target) return false;
    DirectoryLock lock(DirectoryOf(*target));
    if (!lock.Usable()) return false;
    LoadedFile file = LoadFile(*target);
    if (file.state == FileState::Unusable) return false;
    ProfileDocument document =
        file.state == FileState::Loaded ? ProfileDocument::Parse(file.bytes) : ProfileDocument();
    for (const ProfileEntry& entry : entries) {
        if (!document.Set(entry.section, entry.key, entry.value)) return false;
    }
    std::string bytes = document.Serialize();
    if (bytes.size() > kMaxFileSize) return false;
    return ReplaceFile(*target, bytes, file);
}

}  // namespace ostiva
