#pragma once
// The accounts file the server imports at start (--accounts FILE): UTF-8
// text, one account per line, fields separated by tabs:
//
//   id  password  company  name  expiry  customer_url  link1  link2
//
// Only id and password are required; missing trailing fields are empty.
// expiry is "YYYY-MM-DD" (the account is expired from the day after) or
// empty (never expires). Blank lines and lines starting with '#' are
// skipped; a line ending in CR LF is read without the CR. The password is
// hashed as it is read; the file's plain text is kept nowhere.

#include <string>
#include <string_view>
#include <vector>

#include "Account.h"

namespace ostiva::server {

struct AccountsFileResult {
    std::vector<Account> accounts;
    std::string error;  // empty when the whole text was read
};

inline constexpr size_t kMaxAccountsFileSize = 16 * 1024 * 1024;
inline constexpr size_t kMaxAccountLineLength = 4096;

// Reads the text of an accounts file. The first bad line (too many fields,
// an empty id or password, an expiry that is not a date, a line longer
// than kMaxAccountLineLength) ends the reading with an error naming its line.
// `iterations` is the password hashing cost (tests lower it).
AccountsFileResult ParseAccountsText(std::string_view text, unsigned iterations);

// The same for a file; an error when it cannot be read or is larger than
// kMaxAccountsFileSize.
AccountsFileResult ReadAccountsFile(const std::string& path, unsigned iterations);

}  // namespace ostiva::server
