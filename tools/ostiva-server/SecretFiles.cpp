#include "SecretFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace ostiva::server {

namespace {

// Far more than any password or token; a longer first line is refused.
constexpr size_t kMaxSecretBytes = 1024;

// Reads up to the first line end (or the end of input) from `fd`.
std::optional<std::string> ReadFirstLine(int fd, std::string* error) {
    std::string line;
    char c;
    for (;;) {
        ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *error = std::strerror(errno);
            return std::nullopt;
        }
        if (n == 0 || c == '\n') break;
        if (line.size() >= kMaxSecretBytes) {
            *error = "its first line is longer than " + std::to_string(kMaxSecretBytes) + " bytes";
            return std::nullopt;
        }
        line += c;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) {
        *error = "its first line is empty";
        return std::nullopt;
    }
    return line;
}

}  // namespace

std::optional<std::string> ReadPasswordFile(const std::string& path, std::string* error) {
    if (path == "-") {
        termios saved{};
        bool terminal = ::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &saved) == 0;
        if (terminal) {
            std::fputs("password: ", stderr);
            std::fflush(stderr);
            termios quiet = saved;
            quiet.c_lflag &= ~tcflag_t(ECHO);
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        }
        auto line = ReadFirstLine(STDIN_FILENO, error);
        if (terminal) {
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
            std::fputs("\n", stderr);
        }
        if (!line) *error = "standard input: " + *error;
        return line;
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    auto line = ReadFirstLine(fd, error);
    ::close(fd);
    if (!line) *error = path + ": " + *error;
    return line;
}

std::optional<std::string> ReadTokenFile(const std::string& path, std::string* error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        *error = path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    struct stat info {};
    std::optional<std::string> line;
    if (::fstat(fd, &info) != 0) {
        *error = path + ": " + std::strerror(errno);
    } else if (!S_ISREG(info.st_mode)) {
        *error = path + ": not a regular file";
    } else if ((info.st_mode & 077) != 0 || info.st_uid != ::geteuid()) {
        *error = path + ": must be this user's and of mode 0600 (others may read or change it)";
    } else {
        line = ReadFirstLine(fd, error);
        if (!line) *error = path + ": " + *error;
    }
    ::close(fd);
    return line;
}

bool SameSecret(const std::string& a, const std::string& b) {
    unsigned char differ = a.size() == b.size() ? 0 : 1;
    for (size_t i = 0; i < a.size(); ++i) {
        differ |= uint8_t(a[i] ^ (i < b.size() ? b[i] : 0));
    }
    return differ == 0;
}

}  // namespace ostiva::server
