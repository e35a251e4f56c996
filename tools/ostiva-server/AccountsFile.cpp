#include "AccountsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "PasswordHash.h"

namespace ostiva::server {

namespace {

constexpr size_t kFieldCount = 8;

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        size_t tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) break;
        line.remove_prefix(tab + 1);
    }
    return fields;
}

std::string LineError(size_t number, const std::string& what) {
    return "line " + std::to_string(number) + ": " + what;
}

}  // namespace

AccountsFileResult ParseAccountsText(std::string_view text, unsigned iterations) {
    AccountsFileResult result;
    size_t number = 0;
    while (!text.empty()) {
        ++number;
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() > kMaxAccountLineLength) {
            result.error = LineError(
                number, "longer than " + std::to_string(kMaxAccountLineLength) + " bytes");
            return result;
        }
        if (line.empty() || line.front() == '#') continue;
        auto fields = SplitTabs(line);
        if (fields.size() > kFieldCount) {
            result.error = LineError(number, "more than 8 tab-separated fields");
            return result;
        }
        fields.resize(kFieldCount);
        if (fields[0].empty() || fields[1].empty()) {
            result.error = LineError(number, "the id and the password are required");
            return result;
        }
        Account account;
        account.id = fields[0];
        account.company = fields[2];
        account.name = fields[3];
        account.expiry = fields[4];
        account.customerUrl = fields[5];
        account.link1 = fields[6];
        account.link2 = fields[7];
        if (!account.expiry.empty() && !IsDateText(account.expiry)) {
            result.error = LineError(number, "expiry \"" + account.expiry + "\" is not YYYY-MM-DD");
            return result;
        }
        account.passwordHash = HashPassword(fields[1], iterations);
        result.accounts.push_back(std::move(account));
    }
    return result;
}

AccountsFileResult ReadAccountsFile(const std::string& path, unsigned iterations) {
    AccountsFileResult result;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.error = path + ": " + std::strerror(errno);
        return result;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        size_t(info.st_size) > kMaxAccountsFileSize) {
        ::close(fd);
        result.error = path + ": not a regular file of at most 16 MiB";
        return result;
    }
    std::string text;
    char buffer[8192];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            result.error = path + ": " + std::strerror(errno);
            ::close(fd);
            return result;
        }
        if (n == 0) break;
        text.append(buffer, size_t(n));
        if (text.size() > kMaxAccountsFileSize) {
            ::close(fd);
            result.error = path + ": larger than 16 MiB";
            return result;
        }
    }
    ::close(fd);
    result = ParseAccountsText(text, iterations);
    if (!result.error.empty()) result.error = path + ": " + result.error;
    return result;
}

}  // namespace ostiva::server
