#pragma once
// Salted password hashes for the server's account store: PBKDF2 with
// HMAC-SHA256 and a random 16-byte salt per account, kept as one text
//
//   pbkdf2-sha256$ITERATIONS$SALT_HEX$HASH_HEX
//
// so the parameters travel with the hash. Passwords are never stored.

#include <string>
#include <string_view>

namespace ostiva::server {

inline constexpr unsigned kPasswordIterations = 10000;

// A new hash of `password` (UTF-8) with a fresh salt.
std::string HashPassword(std::string_view password, unsigned iterations = kPasswordIterations);

// True when `password` matches `stored`. A stored text that is not a hash
// of the form above (wrong scheme, bad hex, absurd iteration count) matches
// nothing. The comparison takes the same time wherever the bytes differ.
bool VerifyPassword(std::string_view password, std::string_view stored);

}  // namespace ostiva::server
