#pragma once
// Digest proxy authentication with MD5 (RFC 2617 / RFC 2069) for a CONNECT
// request: taking the proxy's challenge line apart and computing the
// response. No I/O; ConnectRequest formats the values into the request.

#include <cstdint>
#include <string>
#include <string_view>

#include "proxy/CodecError.h"

namespace ostiva {

// The client nonce of every Digest response; each challenge is answered once
// with nonce count 1, so a fixed client nonce gives nothing away.
inline constexpr std::string_view kDigestClientNonce = "3b7e0a91c4d25f68";

inline constexpr size_t kDigestMaxLine = 1023;
inline constexpr size_t kDigestMaxWord = 255;
inline constexpr size_t kDigestMaxRealm = 49;
inline constexpr size_t kDigestMaxNonce = 149;
inline constexpr size_t kDigestMaxQop = 49;
inline constexpr size_t kDigestMaxOpaque = 49;
inline constexpr size_t kDigestMaxHashedText = 511;

struct DigestChallenge {
    std::string realm;
    std::string nonce;
    std::string qop;     // the first option of the qop list, or empty
    std::string opaque;  // empty when the challenge has none
};

// Takes a challenge header line (name included, without "\r\n"; a zero byte
// ends it) apart. The directives after "Digest" (or "DIGEST") are read as
// name=token or name="quoted string" pairs; names are matched without regard
// to case, the first of a name counts, and a quoted value keeps its blanks
// and commas. A qop list gives its first option.
//
// Required: "Digest" or "DIGEST", "realm" and "nonce". An "algorithm"
// directive, when present, must have a value that begins with MD5 or md5 (so
// MD5-sess is taken, and answered as MD5); with none, MD5 is assumed.
// Bounded: line 1023, name or value 255, realm/qop/opaque 49, nonce 149
// bytes; longer fails, and so does a quote that is never closed.
CodecResult<DigestChallenge> ParseDigestChallenge(std::string_view challengeLine);

struct DigestResponse {
    std::string realm;
    std::string nonce;
    std::string cnonce;       // kDigestClientNonce with qop, empty without
    uint32_t nonceCount = 1;  // always 1: a nonce is answered once
    std::string response;     // 32 lowercase hex digits
    std::string qop;
    std::string opaque;
};

// HA1 = MD5(user:realm:password), HA2 = MD5(CONNECT:host:port), both as hex.
// With qop: response = MD5(HA1:nonce:00000001:cnonce:qop:HA2) (RFC 2617).
// Without qop: response = MD5(HA1:nonce:HA2) (RFC 2069) and no client nonce.
// Every hashed text may hold at most 511 bytes.
CodecResult<DigestResponse> MakeDigestResponse(const DigestChallenge& challenge,
                                               std::string_view userId, std::string_view password,
                                               std::string_view host, uint16_t port);

// Both steps from the proxy's reply header (LocateProxyChallenge finds the
// line).
CodecResult<DigestResponse> MakeDigestResponse(std::string_view replyHeader,
                                               std::string_view userId, std::string_view password,
                                               std::string_view host, uint16_t port);

}  // namespace ostiva
