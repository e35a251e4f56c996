#include "proxy/DigestChallenge.h"

#include <optional>

#include "proxy/Md5.h"
#include "proxy/ProxyReply.h"
#include "util/Format.h"

namespace ostiva {
namespace {

bool IsWhite(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The white-space-delimited word that starts at `at`.
CodecResult<std::string_view> WordAt(std::string_view line, size_t at) {
    size_t end = at;
    while (end < line.size() && !IsWhite(line[end])) ++end;
    if (end - at > kDigestMaxWord) {
        return CodecResult<std::string_view>::Fail(CodecError::DigestWordTooLong);
    }
    return CodecResult<std::string_view>::Ok(line.substr(at, end - at));
}

// The value of the directive whose name starts at `at`; empty when it has
// none.
CodecResult<std::string> ValueAt(std::string_view line, size_t at, size_t maxLength) {
    using Result = CodecResult<std::string>;
    auto word = WordAt(line, at);
    if (!word.ok()) return Result::Fail(word.error);
    size_t equals = word.value.find('=');
    if (equals == std::string_view::npos) return Result::Ok({});
    std::string_view text = word.value.substr(equals + 1);
    // Shorter than a quoted empty value with its comma: no value.
    if (text.size() < 3) return Result::Ok({});
    text = text.substr(0, text.find(','));
    size_t quote = text.find('"');
    if (quote != std::string_view::npos) {
        text = text.substr(quote + 1);
        text = text.substr(0, text.find('"'));
    }
    if (text.size() > maxLength) return Result::Fail(CodecError::DigestValueTooLong);
    return Result::Ok(std::string(text));
}

bool AlgorithmIsMd5(std::string_view word) {
    size_t equals = word.find('=');
    if (equals == std::string_view::npos) return false;
    std::string_view value = word.substr(equals + 1);
    for (std::string_view accepted : {"MD5", "md5", "\"MD5\"", "\"md5\""}) {
        if (value.substr(0, accepted.size()) == accepted) return true;
    }
    return false;
}

std::optional<std::string> HashText(std::string_view format,
                                    std::initializer_list<FormatArg> args) {
    std::string text = FormatNarrow(format, args);
    if (text.size() > kDigestMaxHashedText) return std::nullopt;
    return Md5Hex(std::string_view(text));
}

}  // namespace

CodecResult<DigestChallenge> ParseDigestChallenge(std::string_view challengeLine) {
    using Result = CodecResult<DigestChallenge>;
    std::string_view line = challengeLine.substr(0, challengeLine.find('\0'));
    if (line.size() > kDigestMaxLine) return Result::Fail(CodecError::DigestLineTooLong);
    if (line.find("Digest") == std::string_view::npos &&
        line.find("DIGEST") == std::string_view::npos) {
        return Result::Fail(CodecError::DigestNotDigest);
    }

    // Without an algorithm directive MD5 is meant (RFC 2617 3.2.1).
    if (size_t at = line.find("algorithm"); at != std::string_view::npos) {
        auto word = WordAt(line, at);
        if (!word.ok()) return Result::Fail(word.error);
        if (!AlgorithmIsMd5(word.value)) return Result::Fail(CodecError::DigestBadAlgorithm);
    }

    struct Directive {
        std::string_view name;
        size_t maxLength;
        std::string DigestChallenge::*field;
        CodecError missing;  // None: optional
    };
    static const Directive kDirectives[] = {
        {"realm", kDigestMaxRealm, &DigestChallenge::realm, CodecError::DigestNoRealm},
        {"nonce", kDigestMaxNonce, &DigestChallenge::nonce, CodecError::DigestNoNonce},
        {"qop", kDigestMaxQop, &DigestChallenge::qop, CodecError::None},
        {"opaque", kDigestMaxOpaque, &DigestChallenge::opaque, CodecError::None},
    };
    DigestChallenge challenge;
    for (const Directive& directive : kDirectives) {
        size_t at = line.find(directive.name);
        if (at == std::string_view::npos) {
            if (directive.missing != CodecError::None) return Result::Fail(directive.missing);
            continue;
        }
        auto value = ValueAt(line, at, directive.maxLength);
        if (!value.ok()) return Result::Fail(value.error);
        challenge.*directive.field = std::move(value.value);
    }
    return Result::Ok(std::move(challenge));
}

CodecResult<DigestResponse> MakeDigestResponse(const DigestChallenge& challenge,
                                               std::string_view userId, std::string_view password,
                                               std::string_view host, uint16_t port) {
    using Result = CodecResult<DigestResponse>;
    auto ha1 = HashText("%s:%s:%s", {userId, challenge.realm, password});
    auto ha2 = HashText("%s:%s:%d", {"CONNECT", host, port});
    if (!ha1 || !ha2) return Result::Fail(CodecError::DigestHashTextTooLong);

    DigestResponse digest;
    digest.realm = challenge.realm;
    digest.nonce = challenge.nonce;
    digest.qop = challenge.qop;
    digest.opaque = challenge.opaque;
    digest.nonceCount = 1;
    std::optional<std::string> response;
    if (challenge.qop.empty()) {
        response = HashText("%s:%s:%s", {*ha1, challenge.nonce, *ha2});
    } else {
        digest.cnonce = kDigestClientNonce;
        response = HashText("%s:%s:%08x:%s:%s:%s", {*ha1, challenge.nonce, digest.nonceCount,
                                                    digest.cnonce, challenge.qop, *ha2});
    }
    if (!response) return Result::Fail(CodecError::DigestHashTextTooLong);
    digest.response = std::move(*response);
    return Result::Ok(std::move(digest));
}

CodecResult<DigestResponse> MakeDigestResponse(std::string_view replyHeader,
                                               std::string_view userId, std::string_view password,
                                               std::string_view host, uint16_t port) {
    auto located = LocateProxyChallenge(replyHeader);
    if (!located.ok()) return CodecResult<DigestResponse>::Fail(located.error);
    auto challenge = ParseDigestChallenge(located.value.line);
    if (!challenge.ok()) return CodecResult<DigestResponse>::Fail(challenge.error);
    return MakeDigestResponse(challenge.value, userId, password, host, port);
}

}  // namespace ostiva
