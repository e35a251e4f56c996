// A Digest challenge line through parsing, the response and the request
// that carries it; checks every bound the request relies on.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "proxy/ConnectRequest.h"
#include "proxy/DigestChallenge.h"

using namespace ostiva;

namespace {
void Require(bool condition) {
    if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto parsed = ParseDigestChallenge(text);
    if (parsed.ok()) {
        const DigestChallenge& c = parsed.value;
        Require(c.realm.size() <= kDigestMaxRealm && c.nonce.size() <= kDigestMaxNonce);
        Require(c.qop.size() <= kDigestMaxQop && c.opaque.size() <= kDigestMaxOpaque);
        Require(text.find("Digest") != std::string_view::npos ||
                text.find("DIGEST") != std::string_view::npos);
        auto digest = MakeDigestResponse(c, "user", "password", "server.example.com", 443);
        Require(digest.ok() && digest.value.response.size() == 32);
        auto request = MakeDigestConnectRequest("server.example.com", 443, "user", digest.value);
        if (request.ok()) {
            Require(request.value.size() <= kConnectRequestMax);
            // The request ends with its one blank line and has no other.
            Require(request.value.find("\r\n\r\n") == request.value.size() - 4);
        }
    }
    // The same bytes as a whole reply header.
    MakeDigestResponse(text, "user", "password", "h", 1);
    return 0;
}
