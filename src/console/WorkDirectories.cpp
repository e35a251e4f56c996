#include "console/WorkDirectories.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "util/Utf.h"

namespace ostiva {

namespace {

constexpr int kOpenDirectory = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Deletes the entries directly in the open directory `fd` (taken over and
// closed here).
void ClearOpenDirectory(int fd) {
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return;
    }
    // Collect first: deleting while reading may make readdir skip entries.
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(std::move(name));
    }
    for (const std::string& name : names) {
        // Relative to the open directory, so a directory swapped in meanwhile
        // is not followed; unlinkat refuses subdirectories without the flag.
        unlinkat(dirfd(dir), name.c_str(), 0);
    }
    closedir(dir);
}

// Makes the directory `name` inside the open directory `base`, replacing a
// symbolic link of that name by a real directory. Everything is relative to
// `base`, so the check and the removal see the same entry.
void MakeRealDirectory(int base, const char* name) {
    if (mkdirat(base, name, 0777) == 0 || errno != EEXIST) return;  // umask decides
    struct stat info {};
    if (fstatat(base, name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(info.st_mode)) return;
    // Only the link goes; a file or directory under the name stays.
    if (unlinkat(base, name, 0) == 0) mkdirat(base, name, 0777);
}

}  // namespace

void ClearImageDir(std::u16string_view directory) {
    const std::string path = ToUtf8(directory);
    const int fd = open(path.c_str(), kOpenDirectory);
    if (fd >= 0) ClearOpenDirectory(fd);
}

void PrepareWorkDirectories(std::u16string_view programDir) {
    const std::string basePath = ToUtf8(programDir);
    const int base = open(basePath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (base < 0) return;
    MakeRealDirectory(base, "imgs");
    const int images = openat(base, "imgs", kOpenDirectory);
    if (images >= 0) ClearOpenDirectory(images);
    for (const char* name : {"capture", "record", "chat"}) MakeRealDirectory(base, name);
    close(base);
}

}  // namespace ostiva
