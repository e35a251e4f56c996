#pragma once
// The NTLM messages of proxy authentication (NTLM version 1 responses): the
// identity taken from the proxy settings, the Type 1 (negotiate) message,
// reading the proxy's Type 2 (challenge), the LM and NT hashes and
// responses, and the Type 3 (authenticate) message. No I/O: the CONNECT
// handshake sends and receives the Base64 forms of these messages.
//
// Narrow texts are UTF-8. Names and the password are widened to UTF-16LE by
// a real conversion, so a non-ASCII password gives the NT hash Windows
// computes; for ASCII text this is the plain zero extension of every byte.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "proxy/CodecError.h"

namespace ostiva {

using NtlmChallenge = std::array<uint8_t, 8>;
using NtlmHash = std::array<uint8_t, 16>;
using NtlmResponse = std::array<uint8_t, 24>;

// Limits of the names and the password that the messages carry.
inline constexpr size_t kNtlmMaxNameUnits = 32;  // UTF-16 units per name
inline constexpr size_t kNtlmMaxPasswordBytes = 255;
inline constexpr size_t kNtlmMaxType2Bytes = 512;  // decoded challenge message
inline constexpr size_t kNtlmMaxTokenChars = 511;  // Base64 text of a token

struct NtlmIdentity {
    std::string domain;
    std::string user;
    std::string workstation;  // the host name with a-z upper-cased
    std::string password;
};

// Takes the identity apart from the proxy user ID:
//   no backslash        "alice"         domain "DOMAIN", user alice
//   two or more parts   "CORP\\alice\\x" domain CORP, user alice (rest dropped)
// Runs of backslashes count as one separator and empty parts are skipped.
// With only one part, a name that stands before a backslash is a domain
// ("CORP\\": domain CORP, empty user) and one that only follows a backslash
// is a user ("\\alice": domain "DOMAIN", user alice); backslashes alone give
// domain "DOMAIN" and an empty user, like an empty ID.
// Fails with NtlmNameTooLong when the domain, the user or the workstation
// needs more than 32 UTF-16 units, and NtlmPasswordTooLong over 255 bytes.
CodecResult<NtlmIdentity> MakeNtlmIdentity(std::string_view userId, std::string_view password,
                                           std::string_view hostName);

// This computer's host name, or empty when the system does not give one.
std::string LocalHostName();

// Type 1 (all numbers little-endian; names narrow, without terminators):
//   0  8  "NTLMSSP\0"          16 2+2 domain length d (twice)
//   8  4  message type 1        20 4   domain offset 32 + w
//   12 4  flags 0xB203          24 2+2 workstation length w (twice)
//                               28 4   workstation offset 32
//   32 w  workstation, then d bytes of domain; 32 + w + d bytes in all.
// The names are checked as by MakeNtlmIdentity.
CodecResult<std::vector<uint8_t>> MakeNtlmType1(const NtlmIdentity& identity);

// Reads the server challenge (bytes 24..31) of a Type 2 from its Base64
// text. The text must be at most 511 characters and decode to 32..512 bytes
// that start with "NTLMSSP\0" and message type 2; any challenge value,
// including one that starts with a zero byte, is taken.
CodecResult<NtlmChallenge> ReadNtlmType2(std::string_view base64);

// LM hash: the first 14 bytes of the password, zero-filled, a-z upper-cased,
// as two DES keys encrypting "KGS!@#$%".
NtlmHash NtlmLmHash(std::string_view password);
// NT hash: MD4 of the password's first 128 UTF-16 units, little-endian.
NtlmHash NtlmNtHash(std::string_view password);
// The 24-byte response: the hash and five zero bytes as three DES keys, each
// encrypting the challenge.
NtlmResponse MakeNtlmResponse(const NtlmHash& hash, const NtlmChallenge& challenge);

// Type 3 (D, U, W: UTF-16LE byte lengths of domain, user, workstation):
//   0  8  "NTLMSSP\0"              36 2+2 U   40 4 user offset 64 + D
//   8  4  message type 3           44 2+2 W   48 4 workstation offset 64 + D + U
//   12 2+2 24  16 4 LM offset 64 + D + U + W
//   20 2+2 24  24 4 NT offset 88 + D + U + W
//   28 2+2 D   32 4 domain offset 64
//   52 2+2 0   56 4 session key offset 112 + D + U + W
//   60 4  flags 0x8201
//   64    domain, user, workstation, LM response, NT response;
//         112 + D + U + W bytes in all.
CodecResult<std::vector<uint8_t>> MakeNtlmType3(const NtlmIdentity& identity,
                                                const NtlmChallenge& challenge);

}  // namespace ostiva
