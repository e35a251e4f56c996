#include "proxy/DigestChallenge.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "proxy/Md5.h"
#include "proxy/ProxyReply.h"
#include "util/AsciiText.h"
#include "util/Format.h"

namespace ostiva {
namespace {

bool IsSeparator(char c) {
    return IsAsciiWhite(c) || c == ',';
}

struct Directive {
    std::string_view name;
    std::string value;
};

// The directives of a challenge, "name=token" or "name=\"quoted string\""
// separated by commas and white space. A quoted value runs to its closing
// quote, commas and blanks included, with backslash escapes undone: proxies
// name their realm in words ("Squid proxy-caching web server"), and a realm
// cut at its first blank makes every password look wrong. A bare word
// without "=" is a directive with an empty value.
CodecResult<std::vector<Directive>> ReadDirectives(std::string_view text) {
    using Result = CodecResult<std::vector<Directive>>;
    std::vector<Directive> directives;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsSeparator(text[i])) ++i;
        size_t nameStart = i;
        while (i < text.size() && !IsSeparator(text[i]) && text[i] != '=') ++i;
        std::string_view name = text.substr(nameStart, i - nameStart);
        if (name.size() > kDigestMaxWord) return Result::Fail(CodecError::DigestWordTooLong);
        size_t afterName = i;
        while (i < text.size() && IsAsciiWhite(text[i])) ++i;
        if (i >= text.size() || text[i] != '=') {
            // A bare word: the directive is there, without a value.
            if (!name.empty()) directives.push_back({name, std::string()});
            i = afterName;
            continue;
        }
        ++i;
        while (i < text.size() && IsAsciiWhite(text[i])) ++i;
        std::string value;
        if (i < text.size() && text[i] == '"') {
            switch (ReadQuotedString(text, &i, kDigestMaxWord, &value)) {
                case QuotedStringEnd::Complete:
                    break;
                case QuotedStringEnd::TooLong:
                    return Result::Fail(CodecError::DigestWordTooLong);
                case QuotedStringEnd::Unterminated:
                    return Result::Fail(CodecError::DigestUnterminatedQuote);
            }
        } else {
            size_t valueStart = i;
            while (i < text.size() && !IsSeparator(text[i])) ++i;
            value.assign(text.substr(valueStart, i - valueStart));
            if (value.size() > kDigestMaxWord) return Result::Fail(CodecError::DigestWordTooLong);
        }
        directives.push_back({name, std::move(value)});
    }
    return Result::Ok(std::move(directives));
}

const Directive* Find(const std::vector<Directive>& directives, std::string_view name) {
    for (const Directive& d : directives) {
        if (EqualsIgnoringAsciiCase(d.name, name)) return &d;
    }
    return nullptr;
}

// MD5 and MD5-sess are answered as MD5.
bool AlgorithmIsMd5(std::string_view value) {
    for (std::string_view accepted : {"MD5", "md5"}) {
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
    size_t scheme = std::min(line.find("Digest"), line.find("DIGEST"));
    if (scheme == std::string_view::npos) return Result::Fail(CodecError::DigestNotDigest);

    auto directives = ReadDirectives(line.substr(scheme + 6));
    if (!directives.ok()) return Result::Fail(directives.error);

    // Without an algorithm directive MD5 is meant (RFC 2617 3.2.1).
    if (const Directive* algorithm = Find(directives.value, "algorithm")) {
        if (!AlgorithmIsMd5(algorithm->value)) return Result::Fail(CodecError::DigestBadAlgorithm);
    }

    struct Wanted {
        std::string_view name;
        size_t maxLength;
        std::string DigestChallenge::*field;
        CodecError missing;  // None: optional
    };
    static const Wanted kWanted[] = {
        {"realm", kDigestMaxRealm, &DigestChallenge::realm, CodecError::DigestNoRealm},
        {"nonce", kDigestMaxNonce, &DigestChallenge::nonce, CodecError::DigestNoNonce},
        {"qop", kDigestMaxQop, &DigestChallenge::qop, CodecError::None},
        {"opaque", kDigestMaxOpaque, &DigestChallenge::opaque, CodecError::None},
    };
    DigestChallenge challenge;
    for (const Wanted& wanted : kWanted) {
        const Directive* found = Find(directives.value, wanted.name);
        if (found == nullptr) {
            if (wanted.missing != CodecError::None) return Result::Fail(wanted.missing);
            continue;
        }
        std::string value = found->value;
        // A qop list offers options; the first one is answered.
        if (&wanted == &kWanted[2]) {
            value = value.substr(0, value.find(','));
            while (!value.empty() && IsAsciiWhite(value.back())) value.pop_back();
        }
        if (value.size() > wanted.maxLength) return Result::Fail(CodecError::DigestValueTooLong);
        challenge.*wanted.field = std::move(value);
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
