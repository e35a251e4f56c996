#pragma once
// The helper ID and password ostiva-cli signs in with. The password comes
// from the first of: the file named by --password-file, the environment
// variable OSTIVA_PASSWORD, the settings file's saved password when
// "helper"/"savepw" is 1. Both texts lose leading and trailing white space,
// as the login dialog trims what is typed.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "CliOptions.h"
#include "settings/SettingsKeys.h"

namespace ostiva::cli {

inline constexpr const char* kPasswordVariable = "OSTIVA_PASSWORD";
// A password file larger than this is not a password file.
inline constexpr size_t kMaxPasswordFile = 4096;

struct Credentials {
    std::u16string id;
    std::u16string password;
    std::string error;  // empty when both were found; never holds the password
};

// `environmentPassword` is the variable's value, if it was set.
Credentials FindCredentials(const CliOptions& options,
                            const std::optional<std::string>& environmentPassword,
                            const Settings& settings);

// The file's first line (without its line end). False with `error` set when
// the file cannot be read, is too large or is not UTF-8.
bool ReadPasswordFile(const std::string& path, std::string* password, std::string* error);

std::u16string TrimWhiteSpace(std::u16string_view text);

}  // namespace ostiva::cli
