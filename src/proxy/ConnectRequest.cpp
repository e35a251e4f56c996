#include "proxy/ConnectRequest.h"

#include "proxy/Base64.h"
#include "proxy/DigestChallenge.h"
#include "util/Format.h"

namespace ostiva {
namespace {

// The request line and the headers every form shares. Plain and NTLM carry
// the long User-Agent line, Basic and Digest a short, unclosed one; both are
// kept byte for byte as the console has always sent them.
constexpr std::string_view kLongAgentHead =
    "CONNECT %s:%d HTTP/1.0\r\n"
    "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 2.0.50727; "
    ".NET CLR 3.0.04506.30; .NET CLR 1.1.4322)\r\n"
    "Host: %s:%d\r\n"
    "Content-Length: 0\r\n"
    "Proxy-Connection: Keep-Alive\r\n"
    "Pragma: no-cache\r\n";
constexpr std::string_view kShortAgentHead =
    "CONNECT %s:%d HTTP/1.0\r\n"
    "User-Agent: Mozilla/4.0(compatible;MSIE6.0;WindowsNT5.1;SV1;.NETCLR\r\n"
    "Host: %s:%d\r\n"
    "Content-Length: 0\r\n"
    "Proxy-Connection: Keep-Alive\r\n"
    "Pragma: no-cache\r\n";

bool HasLineBreak(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool AnyHasLineBreak(std::initializer_list<std::string_view> texts) {
    for (std::string_view text : texts) {
        if (HasLineBreak(text)) return true;
    }
    return false;
}

CodecResult<std::string> Finish(std::string request) {
    if (request.size() > kConnectRequestMax) {
        return CodecResult<std::string>::Fail(CodecError::RequestTooLarge);
    }
    return CodecResult<std::string>::Ok(std::move(request));
}

std::string Head(std::string_view form, std::string_view host, uint16_t port) {
    return FormatNarrow(form, {host, port, host, port});
}

std::string QuotedStringBody(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

}  // namespace

CodecResult<std::string> MakePlainConnectRequest(std::string_view host, uint16_t port) {
    if (HasLineBreak(host)) return CodecResult<std::string>::Fail(CodecError::TextHasLineBreak);
    return Finish(Head(kLongAgentHead, host, port) + "\r\n");
}

CodecResult<std::string> MakeBasicConnectRequest(std::string_view host, uint16_t port,
                                                 std::string_view userId,
                                                 std::string_view password) {
    using Result = CodecResult<std::string>;
    if (HasLineBreak(host)) return Result::Fail(CodecError::TextHasLineBreak);
    std::string credentials = FormatNarrow("%s:%s", {userId, password});
    if (credentials.size() > kBasicCredentialsMax) {
        return Result::Fail(CodecError::CredentialsTooLong);
    }
    return Finish(
        Head(kShortAgentHead, host, port) +
        FormatNarrow("Proxy-Authorization: Basic %s\r\n\r\n", {Base64Encode(credentials)}));
}

CodecResult<std::string> MakeDigestConnectRequest(std::string_view host, uint16_t port,
                                                  std::string_view userId,
                                                  const DigestResponse& digest) {
    using Result = CodecResult<std::string>;
    if (AnyHasLineBreak({host, userId, digest.realm, digest.nonce, digest.cnonce, digest.response,
                         digest.qop, digest.opaque})) {
        return Result::Fail(CodecError::TextHasLineBreak);
    }
    std::string user = QuotedStringBody(userId);
    std::string authorization;
    if (!digest.qop.empty()) {
        authorization = FormatNarrow(
            "Proxy-Authorization: Digest username=\"%s\",realm=\"%s\",nonce=\"%s\",uri=\"%s:%d\","
            "cnonce=\"%s\",nc=%08d,algorithm=MD5,response=\"%s\",qop=\"%s\",opaque=\"%s\"\r\n\r\n",
            {user, digest.realm, digest.nonce, host, port, digest.cnonce, digest.nonceCount,
             digest.response, digest.qop, digest.opaque});
    } else {
        authorization = FormatNarrow(
            "Proxy-Authorization: Digest username=\"%s\",realm=\"%s\",nonce=\"%s\",uri=\"%s:%d\","
            "algorithm=MD5,response=\"%s\",opaque=\"%s\"\r\n\r\n",
            {user, digest.realm, digest.nonce, host, port, digest.response, digest.opaque});
    }
    return Finish(Head(kShortAgentHead, host, port) + authorization);
}

CodecResult<std::string> MakeNtlmConnectRequest(std::string_view host, uint16_t port,
                                                std::string_view token) {
    if (AnyHasLineBreak({host, token})) {
        return CodecResult<std::string>::Fail(CodecError::TextHasLineBreak);
    }
    return Finish(Head(kLongAgentHead, host, port) +
                  FormatNarrow("Proxy-Authorization: NTLM %s\r\n\r\n", {token}));
}

}  // namespace ostiva
