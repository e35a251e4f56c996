#include "proxy/ProxyReply.h"

#include <array>
#include <cstdint>

#include "proxy/NtlmMessages.h"
#include "util/AsciiText.h"

namespace ostiva {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kHeaderEnd = "\r\n\r\n";

// The status code of the first line, or nullopt.
std::optional<int> ReadStatusCode(std::string_view statusLine) {
    size_t firstSpace = statusLine.find(' ');
    if (firstSpace == std::string_view::npos) return std::nullopt;
    std::string_view token = statusLine.substr(firstSpace + 1);
    token = token.substr(0, token.find(' '));
    if (token.size() > kProxyStatusTokenMax) return std::nullopt;

    size_t i = 0;
    while (i < token.size() && IsAsciiWhite(token[i])) ++i;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
    size_t firstDigit = i;
    int64_t value = 0;  // at most 15 digits: no overflow
    while (i < token.size() && token[i] >= '0' && token[i] <= '9') {
        value = value * 10 + (token[i++] - '0');
    }
    if (i == firstDigit) return std::nullopt;
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int>(value);
}

// The value of one Content-Length line: digits between optional blanks.
std::optional<uint64_t> ReadContentLength(std::string_view value) {
    value = TrimAsciiBlanks(value);
    if (value.empty()) return std::nullopt;
    uint64_t length = 0;
    for (char c : value) {
        if (c < '0' || c > '9') return std::nullopt;
        unsigned digit = static_cast<unsigned>(c - '0');
        if (length > (UINT64_MAX - digit) / 10) return std::nullopt;
        length = length * 10 + digit;
    }
    return length;
}

ProxyReplyHeader Fail(ProxyReplyHeader header, CodecError error) {
    header.progress = ProxyReplyProgress::Malformed;
    header.error = error;
    return header;
}

}  // namespace

ProxyReplyHeader ParseProxyReply(std::string_view received) {
    ProxyReplyHeader header;
    std::string_view window = received.substr(0, kProxyReplyMaxHeader);
    size_t end = window.find(kHeaderEnd);
    if (end == std::string_view::npos) {
        if (received.size() >= kProxyReplyMaxHeader) {
            header.progress = ProxyReplyProgress::TooLarge;
            header.error = CodecError::ReplyTooLarge;
        }
        return header;
    }
    header.headerLength = end + kHeaderEnd.size();
    std::string_view block = received.substr(0, header.headerLength);
    if (block.find('\0') != std::string_view::npos) return Fail(header, CodecError::ReplyHasNul);

    size_t lineEnd = block.find(kLineEnd);
    std::optional<int> status = ReadStatusCode(block.substr(0, lineEnd));
    if (!status) return Fail(header, CodecError::StatusLineMalformed);
    header.statusCode = *status;

    // Header lines after the status line; the block ends with an empty one.
    size_t at = lineEnd + kLineEnd.size();
    while (at < block.size()) {
        size_t next = block.find(kLineEnd, at);
        std::string_view line = block.substr(at, next - at);
        at = next + kLineEnd.size();
        size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string_view name = line.substr(0, colon);
        if (!EqualsIgnoringAsciiCase(TrimAsciiBlanks(name), "Content-Length")) continue;
        std::optional<uint64_t> length = ReadContentLength(line.substr(colon + 1));
        if (!length || (header.contentLength && *header.contentLength != *length)) {
            return Fail(header, CodecError::ContentLengthMalformed);
        }
        header.contentLength = length;
    }
    header.progress = ProxyReplyProgress::Complete;
    return header;
}

CodecResult<ProxyChallenge> LocateProxyChallenge(std::string_view header) {
    using Result = CodecResult<ProxyChallenge>;
    // Header names are case-insensitive (RFC 9110 5.1).
    static constexpr std::array<std::string_view, 2> kNames = {"Proxy-Authenticate: ",
                                                               "Proxy-Authorization: "};
    size_t nameStart = std::string_view::npos;
    for (std::string_view name : kNames) {
        nameStart = FindIgnoringAsciiCase(header, name);
        if (nameStart != std::string_view::npos) break;
    }
    if (nameStart == std::string_view::npos) return Result::Fail(CodecError::ChallengeMissing);

    // Every name ends with ": ", so its first space ends it.
    size_t valueStart = header.find(' ', nameStart) + 1;
    size_t valueEnd = header.find(kLineEnd, valueStart);
    if (valueEnd == std::string_view::npos) return Result::Fail(CodecError::ChallengeUnterminated);
    if (valueEnd - valueStart > kProxyChallengeMax) {
        return Result::Fail(CodecError::ChallengeTooLong);
    }
    ProxyChallenge challenge;
    challenge.value = header.substr(valueStart, valueEnd - valueStart);
    challenge.line = header.substr(nameStart, valueEnd - nameStart);
    return Result::Ok(std::move(challenge));
}

CodecResult<ProxyAuthScheme> MatchProxyAuthScheme(std::string_view challengeValue) {
    using Result = CodecResult<ProxyAuthScheme>;
    std::string_view scheme = challengeValue.substr(0, challengeValue.find(' '));
    if (scheme.size() > kProxySchemeMax) return Result::Fail(CodecError::SchemeTooLong);
    if (scheme == "Basic" || scheme == "basic") return Result::Ok(ProxyAuthScheme::Basic);
    if (scheme == "Digest" || scheme == "digest" || scheme == "DIGEST") {
        return Result::Ok(ProxyAuthScheme::Digest);
    }
    if (scheme == "NTLM" || scheme == "Ntlm" || scheme == "ntlm") {
        return Result::Ok(ProxyAuthScheme::Ntlm);
    }
    return Result::Fail(CodecError::SchemeUnknown);
}

CodecResult<std::string> ReadNtlmChallengeToken(std::string_view challengeValue) {
    using Result = CodecResult<std::string>;
    std::string_view words[2];
    size_t at = 0;
    for (std::string_view& word : words) {
        while (at < challengeValue.size() && IsAsciiWhite(challengeValue[at])) ++at;
        size_t start = at;
        while (at < challengeValue.size() && !IsAsciiWhite(challengeValue[at])) ++at;
        word = challengeValue.substr(start, at - start);
        if (word.size() > kNtlmMaxTokenChars) return Result::Fail(CodecError::NtlmWordTooLong);
    }
    if (words[0] != "NTLM" && words[0] != "ntlm") return Result::Fail(CodecError::NtlmWordMissing);
    if (words[1].empty()) return Result::Fail(CodecError::NtlmWordMissing);
    return Result::Ok(std::string(words[1]));
}

}  // namespace ostiva
