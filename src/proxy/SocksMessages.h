#pragma once
// SOCKS4/4a (connect) and SOCKS5 (RFC 1928, with RFC 1929 username/password)
// requests and the checks of their replies. No I/O: the tunnel code resolves
// the target, sends what these build and feeds what it receives to the
// checks until they stop saying Incomplete. Ports and IPv4 addresses are in
// network byte order on the wire.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "proxy/CodecError.h"

namespace ostiva {

// The target of a tunnel: the IPv4 address when the name resolved locally,
// otherwise the name itself goes to the proxy.
struct SocksTarget {
    std::optional<std::array<uint8_t, 4>> address;  // in network order
    std::string name;                               // narrow; used without an address
    uint16_t port = 0;
};

// A name sent to the proxy has at most this many bytes.
inline constexpr size_t kSocksMaxNameBytes = 63;
inline constexpr size_t kSocksMaxCredential = 255;

inline constexpr uint8_t kSocks5MethodNone = 0x00;
inline constexpr uint8_t kSocks5MethodUserPassword = 0x02;
inline constexpr uint8_t kSocks5NoAcceptableMethod = 0xFF;

enum class SocksVerdict {
    Incomplete,  // receive more (up to `length` bytes when it is known)
    Granted,     // the whole reply is there and it says yes
    Refused,     // the proxy said no (`code` says how)
    Malformed,   // not a reply of this protocol step
};

struct SocksReplyCheck {
    SocksVerdict verdict = SocksVerdict::Incomplete;
    // The whole reply's length in bytes once known, otherwise the least the
    // check needs to learn it; bytes past it are not part of this reply.
    size_t length = 0;
    uint8_t code = 0;  // reply code, status or chosen method, once received
};

// SOCKS4 request:
//   0 1 version 4   1 1 command 1   2 2 port   4 4 address or 0.0.0.1
//   8 1 empty user ID (0)   9 n+1 name and 0, only without an address
// 9 bytes with an address, n + 10 with a name.
CodecResult<std::vector<uint8_t>> MakeSocks4Request(const SocksTarget& target);
// 8 bytes: byte 0 is 0, byte 1 is 90 when granted (91..93 refused).
SocksReplyCheck CheckSocks4Reply(std::span<const uint8_t> received);

// 05 02 02 00 when a user ID is to be offered, 05 01 00 otherwise.
std::vector<uint8_t> MakeSocks5Greeting(bool offerUserPassword);
// 2 bytes: version 5 and the chosen method. Granted with `code` 0, or 2 when
// it was offered; 0xFF is Refused; any other method is Malformed.
SocksReplyCheck CheckSocks5MethodReply(std::span<const uint8_t> received, bool offeredUserPassword);

// 01, u, user ID, p, password (u, p at most 255 bytes each).
CodecResult<std::vector<uint8_t>> MakeSocks5UserPassRequest(std::string_view userId,
                                                            std::string_view password);
// 2 bytes; status byte 1 is 0 when accepted. Byte 0 is not examined: proxies
// answer with 1 or 5 there.
SocksReplyCheck CheckSocks5UserPassReply(std::span<const uint8_t> received);

// SOCKS5 connect request:
//   0 1 version 5   1 1 command 1   2 1 reserved 0   3 1 address type
//   type 1: 4 4 address, 8 2 port (10 bytes)
//   type 3: 4 1 n, 5 n name, 5+n 2 port (n + 7 bytes)
CodecResult<std::vector<uint8_t>> MakeSocks5ConnectRequest(const SocksTarget& target);
// Version 5, reply code (0 granted), reserved, address type, bound address
// and port: 10 bytes for type 1, 7 + n for type 3 (n in byte 4), 22 for
// type 4. Any other type is Malformed.
SocksReplyCheck CheckSocks5ConnectReply(std::span<const uint8_t> received);

}  // namespace ostiva
