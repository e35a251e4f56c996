#pragma once
// Reading a proxy's reply to a CONNECT request: the header block out of a
// growing receive buffer, its status code and Content-Length, and the
// authentication challenge it carries. No I/O: the handshake appends what
// it receives and asks again until the header is complete.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "proxy/CodecError.h"

namespace ostiva {

// A reply header must end (blank line included) within this many bytes.
inline constexpr size_t kProxyReplyMaxHeader = 4096;
inline constexpr size_t kProxyStatusTokenMax = 15;
inline constexpr size_t kProxyChallengeMax = 1023;
inline constexpr size_t kProxySchemeMax = 15;

enum class ProxyReplyProgress {
    Incomplete,  // no blank line yet: receive more
    Complete,    // header block ends within the limit; fields are valid
    TooLarge,    // no blank line within kProxyReplyMaxHeader bytes
    Malformed,   // the header block is complete but cannot be read (see error)
};

struct ProxyReplyHeader {
    ProxyReplyProgress progress = ProxyReplyProgress::Incomplete;
    CodecError error = CodecError::None;
    // Bytes of the header block through its blank line ("\r\n\r\n"); what
    // follows is body (Content-Length bytes) or, after a 200, the tunnel.
    size_t headerLength = 0;
    int statusCode = 0;
    std::optional<uint64_t> contentLength;
};

// Reads the header block at the start of `received`.
// The status code is the word after the first space of the status line, up
// to the next space or the end of the line (at most 15 bytes), read as a
// signed decimal number with leading white space skipped and reading
// stopping at the first non-digit; without a digit the reply is Malformed.
// A zero byte anywhere in the header block, or a Content-Length that is not
// a decimal number or that disagrees with another one, is Malformed too.
ProxyReplyHeader ParseProxyReply(std::string_view received);

enum class ProxyAuthScheme { Basic, Digest, Ntlm };

struct ProxyChallenge {
    std::string value;  // the header's value, without its name
    std::string line;   // the header line from its name up to (not including) "\r\n"
};

// Finds the challenge in a header block: the names "Proxy-Authenticate: "
// and "Proxy-Authorization: " are searched for in this order without regard
// to case, each anywhere in the text, and the first name found is used; its
// value runs to the next "\r\n" and may hold at most 1023 bytes.
CodecResult<ProxyChallenge> LocateProxyChallenge(std::string_view header);

// The scheme of a challenge value: its first word (up to the first space, at
// most 15 bytes), matched exactly: Basic/basic, Digest/digest/DIGEST,
// NTLM/Ntlm/ntlm.
CodecResult<ProxyAuthScheme> MatchProxyAuthScheme(std::string_view challengeValue);

// The Type 2 token of an NTLM second-round challenge value: the value split
// at white space must give "NTLM" or "ntlm" ("Ntlm" is not taken here) and a
// second word, each at most 511 bytes; the second word is returned.
CodecResult<std::string> ReadNtlmChallengeToken(std::string_view challengeValue);

}  // namespace ostiva
