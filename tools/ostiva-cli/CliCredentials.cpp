#include "CliCredentials.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "util/Utf.h"

namespace ostiva::cli {

namespace {

bool IsUtf8(std::string_view text) {
    // The conversion replaces what is malformed, so a text that survives the
    // round trip unchanged was well-formed.
    return ToUtf8(FromUtf8(text)) == text;
}

bool IsWhiteSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' ||
           c == u'\u00A0' || c == u'\u3000';
}

}  // namespace

std::u16string TrimWhiteSpace(std::u16string_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsWhiteSpace(text[begin])) ++begin;
    while (end > begin && IsWhiteSpace(text[end - 1])) --end;
    return std::u16string(text.substr(begin, end - begin));
}

bool ReadPasswordFile(const std::string& path, std::string* password, std::string* error) {
    // Not required to be a regular file: a pipe such as <(pass show x) is
    // the safer way to hand a password over.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *error = "cannot open the password file " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string content;
    char buffer[1024];
    bool failed = false;
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *error = "cannot read the password file " + path + ": " + std::strerror(errno);
            failed = true;
            break;
        }
        if (n == 0) break;
        if (content.size() + static_cast<size_t>(n) > kMaxPasswordFile) {
            *error = "the password file " + path + " is larger than " +
                     std::to_string(kMaxPasswordFile) + " bytes";
            failed = true;
            break;
        }
        content.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    if (failed) return false;

    size_t lineEnd = content.find_first_of("\r\n");
    if (lineEnd != std::string::npos) content.resize(lineEnd);
    if (!IsUtf8(content)) {
        *error = "the password file " + path + " is not UTF-8 text";
        return false;
    }
    *password = std::move(content);
    return true;
}

Credentials FindCredentials(const CliOptions& options,
                            const std::optional<std::string>& environmentPassword,
                            const Settings& settings) {
    Credentials credentials;
    if (!IsUtf8(options.id)) {
        credentials.error = "the helper ID is not UTF-8 text";
        return credentials;
    }
    credentials.id = TrimWhiteSpace(FromUtf8(options.id));
    if (credentials.id.empty()) {
        credentials.error = "the helper ID is empty";
        return credentials;
    }

    std::u16string password;
    if (!options.passwordFile.empty()) {
        std::string text;
        if (!ReadPasswordFile(options.passwordFile, &text, &credentials.error)) return credentials;
        password = TrimWhiteSpace(FromUtf8(text));
        if (password.empty()) {
            credentials.error = "the password file " + options.passwordFile + " holds no password";
            return credentials;
        }
    } else if (environmentPassword && !environmentPassword->empty()) {
        if (!IsUtf8(*environmentPassword)) {
            credentials.error = std::string(kPasswordVariable) + " is not UTF-8 text";
            return credentials;
        }
        password = TrimWhiteSpace(FromUtf8(*environmentPassword));
    } else if (settings.SavePassword() == 1) {
        password = TrimWhiteSpace(settings.HelperPassword());
    }
    if (password.empty()) {
        credentials.error = std::string("no password: use --password-file, ") + kPasswordVariable +
                            " or a password saved in the settings file";
        return credentials;
    }
    credentials.password = std::move(password);
    return credentials;
}

}  // namespace ostiva::cli
