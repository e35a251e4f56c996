#pragma once
// The CONNECT requests that open a tunnel through an HTTP proxy, in the four
// forms of the handshake: plain (no credentials), Basic, Digest and NTLM.
// Texts are narrow (UTF-8); the target host appears as given.

#include <cstdint>
#include <string>
#include <string_view>

#include "proxy/CodecError.h"

namespace ostiva {

struct DigestResponse;

// A request must fit a 4096-byte buffer with its terminating zero.
inline constexpr size_t kConnectRequestMax = 4095;
// "user:password" of Basic, before encoding.
inline constexpr size_t kBasicCredentialsMax = 511;

// Every builder fails with TextHasLineBreak when a value it inserts holds CR,
// LF or a zero byte (it would end the header early or smuggle in another),
// and with RequestTooLarge over kConnectRequestMax bytes.

// First request, without credentials (long User-Agent line).
CodecResult<std::string> MakePlainConnectRequest(std::string_view host, uint16_t port);

// Basic: Base64 of "user:password" (short User-Agent line).
CodecResult<std::string> MakeBasicConnectRequest(std::string_view host, uint16_t port,
                                                 std::string_view userId,
                                                 std::string_view password);

// Digest (short User-Agent line). With a qop the header carries every
// directive of RFC 2617; without one (an RFC 2069 challenge) it leaves out
// cnonce, nc and qop, which that form must not have. Quotes and backslashes
// in the user ID are escaped as the quoted-string syntax needs.
CodecResult<std::string> MakeDigestConnectRequest(std::string_view host, uint16_t port,
                                                  std::string_view userId,
                                                  const DigestResponse& digest);

// NTLM with the Base64 text of a Type 1 or Type 3 message (long User-Agent
// line).
CodecResult<std::string> MakeNtlmConnectRequest(std::string_view host, uint16_t port,
                                                std::string_view token);

}  // namespace ostiva
