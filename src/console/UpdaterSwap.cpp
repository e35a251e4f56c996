#include "console/UpdaterSwap.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace ostiva {

bool SwapUpdater(const std::string& directory) {
    const std::string downloaded = directory + "/" + kDownloadedUpdaterFile;
    const std::string current = directory + "/" + kUpdaterFile;
    struct stat info {};
    if (stat(downloaded.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    unlink(current.c_str());
    return std::rename(downloaded.c_str(), current.c_str()) == 0;
}

}  // namespace ostiva
