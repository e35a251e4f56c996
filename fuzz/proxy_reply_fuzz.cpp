// A proxy's reply header as a growing buffer, then the challenge lookup and
// the NTLM second-round token; checks the limits each step promises.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "proxy/NtlmMessages.h"
#include "proxy/ProxyReply.h"

using namespace ostiva;

namespace {
void Require(bool condition) {
    if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    ProxyReplyHeader header = ParseProxyReply(text);
    if (header.progress == ProxyReplyProgress::Complete) {
        Require(header.headerLength <= kProxyReplyMaxHeader && header.headerLength <= size);
        Require(text.substr(0, header.headerLength).ends_with("\r\n\r\n"));
        // A shorter prefix never claims more than the whole.
        ProxyReplyHeader prefix = ParseProxyReply(text.substr(0, header.headerLength - 1));
        Require(prefix.progress == ProxyReplyProgress::Incomplete);
    }
    if (header.progress == ProxyReplyProgress::Incomplete) Require(size < kProxyReplyMaxHeader);

    std::string_view block = header.progress == ProxyReplyProgress::Complete
                                 ? text.substr(0, header.headerLength)
                                 : text;
    auto challenge = LocateProxyChallenge(block);
    if (!challenge.ok()) return 0;
    Require(challenge.value.value.size() <= kProxyChallengeMax);
    Require(challenge.value.line.find("\r\n") == std::string_view::npos);
    MatchProxyAuthScheme(challenge.value.value);
    auto token = ReadNtlmChallengeToken(challenge.value.value);
    if (token.ok()) {
        Require(!token.value.empty() && token.value.size() <= kNtlmMaxTokenChars);
        ReadNtlmType2(token.value);
    }
    return 0;
}
