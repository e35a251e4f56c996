#include "console/WorkDirectories.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "util/Utf.h"

namespace ostiva {

namespace {

void MakeDirectory(const std::string& path) {
    mkdir(path.c_str(), 0777);  // umask decides; an existing directory stays
}

}  // namespace

void ClearImageDir(std::u16string_view directory) {
    const std::string path = ToUtf8(directory);
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
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

void PrepareWorkDirectories(std::u16string_view programDir) {
    const std::string base = ToUtf8(programDir);
    MakeDirectory(base + "/imgs");
    ClearImageDir(std::u16string(programDir) + u"/imgs");
    MakeDirectory(base + "/capture");
    MakeDirectory(base + "/record");
    MakeDirectory(base + "/chat");
}

}  // namespace ostiva
