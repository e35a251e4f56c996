#pragma once
// The server's secrets read from files, never from its command line (which
// every local user can read in /proc): an account's password and the
// control channel's token.

#include <optional>
#include <string>

namespace ostiva::server {

// The first line of `path`, or of standard input for "-" (with a prompt on
// standard error and without echo when it is a terminal). None, with
// `error` set, when it cannot be read or is empty.
std::optional<std::string> ReadPasswordFile(const std::string& path, std::string* error);

// The first line of a regular file that only its owner (this user) may read
// or write (mode 0600 or stricter). None, with `error` set, otherwise or
// when the line is empty.
std::optional<std::string> ReadTokenFile(const std::string& path, std::string* error);

// Compares in a time that does not depend on where the texts differ.
bool SameSecret(const std::string& a, const std::string& b);

}  // namespace ostiva::server
