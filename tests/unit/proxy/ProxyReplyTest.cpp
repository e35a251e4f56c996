// Reading CONNECT replies: header progress, status, Content-Length and the
// challenge lookup rules.
#include <gtest/gtest.h>

#include <string>

#include "proxy/ProxyReply.h"

using namespace ostiva;
using namespace std::string_literals;

TEST(ProxyReply, ReportsProgressOfAGrowingBuffer) {
    const std::string reply = "HTTP/1.0 200 Connection established\r\nProxy-agent: t\r\n\r\nTUNNEL";
    const size_t headerLength = reply.find("TUNNEL");
    for (size_t n = 0; n < headerLength; ++n) {
        ProxyReplyHeader partial = ParseProxyReply(std::string_view(reply).substr(0, n));
        ASSERT_EQ(partial.progress, ProxyReplyProgress::Incomplete) << n;
    }
    ProxyReplyHeader header = ParseProxyReply(reply);
    EXPECT_EQ(header.progress, ProxyReplyProgress::Complete);
    EXPECT_EQ(header.headerLength, headerLength)
        << "tunnel bytes after the blank line are not header";
    EXPECT_EQ(header.statusCode, 200);
    EXPECT_FALSE(header.contentLength.has_value());
}

TEST(ProxyReply, HeaderMustEndWithinItsLimit) {
    std::string head = "HTTP/1.1 407 x\r\nX-Fill: ";
    std::string fits = head + std::string(kProxyReplyMaxHeader - head.size() - 4, 'f') + "\r\n\r\n";
    ASSERT_EQ(fits.size(), kProxyReplyMaxHeader);
    EXPECT_EQ(ParseProxyReply(fits).progress, ProxyReplyProgress::Complete);

    std::string over = head + std::string(kProxyReplyMaxHeader - head.size() - 3, 'f') + "\r\n\r\n";
    EXPECT_EQ(ParseProxyReply(over).progress, ProxyReplyProgress::TooLarge);
    EXPECT_EQ(ParseProxyReply(over).error, CodecError::ReplyTooLarge);
    EXPECT_EQ(ParseProxyReply(std::string(kProxyReplyMaxHeader - 1, 'x')).progress,
              ProxyReplyProgress::Incomplete);
    EXPECT_EQ(ParseProxyReply(std::string(100000, 'x')).progress, ProxyReplyProgress::TooLarge);
}

TEST(ProxyReply, ReadsTheStatusCodeOfTheStatusLine) {
    struct Case {
        const char* statusLine;
        int status;  // 0: Malformed
    } cases[] = {
        {"HTTP/1.0 200 Connection established", 200},
        {"HTTP/1.1 407 Proxy Authentication Required", 407},
        {"HTTP/1.1 401 Unauthorized", 401},
        {"HTTP/1.1 200", 200},  // no reason phrase
        {"HTTP/1.1 200 ", 200},
        {"HTTP/1.1 \t403x Forbidden", 403},  // white space skipped, stops at a non-digit
        {"HTTP/1.1 -1 odd", -1},
        {"HTTP/1.1 999999999999999 big", 0},   // 15 digits: beyond an int
        {"HTTP/1.1 2000000000000000 big", 0},  // 16 bytes
        {"HTTP/1.1 abc def", 0},
        {"HTTP/1.1  200 two spaces", 0},
        {"HTTP/1.1", 0},
        {"", 0},
    };
    for (const Case& c : cases) {
        ProxyReplyHeader header = ParseProxyReply(std::string(c.statusLine) + "\r\nA: b c\r\n\r\n");
        if (c.status == 0) {
            EXPECT_EQ(header.progress, ProxyReplyProgress::Malformed) << c.statusLine;
            EXPECT_EQ(header.error, CodecError::StatusLineMalformed) << c.statusLine;
        } else {
            EXPECT_EQ(header.progress, ProxyReplyProgress::Complete) << c.statusLine;
            EXPECT_EQ(header.statusCode, c.status) << c.statusLine;
        }
    }
}

TEST(ProxyReply, ReadsContentLengthAndRefusesBadOnes) {
    struct Case {
        const char* header;
        bool valid;
        uint64_t length;
    } cases[] = {
        {"Content-Length: 1234", true, 1234},
        {"content-length:0", true, 0},
        {"CONTENT-LENGTH :  17  ", true, 17},
        {"Content-Length: 5\r\nContent-Length: 5", true, 5},
        {"Content-Length: 18446744073709551615", true, UINT64_MAX},
        {"Content-Length: 18446744073709551616", false, 0},
        {"Content-Length: 99999999999999999999999999", false, 0},
        {"Content-Length: 5\r\nContent-Length: 6", false, 0},
        {"Content-Length: -1", false, 0},
        {"Content-Length: 12a", false, 0},
        {"Content-Length: 1 2", false, 0},
        {"Content-Length:", false, 0},
    };
    for (const Case& c : cases) {
        ProxyReplyHeader header =
            ParseProxyReply(std::string("HTTP/1.1 407 x\r\n") + c.header + "\r\n\r\n");
        if (c.valid) {
            ASSERT_EQ(header.progress, ProxyReplyProgress::Complete) << c.header;
            ASSERT_TRUE(header.contentLength.has_value()) << c.header;
            EXPECT_EQ(*header.contentLength, c.length) << c.header;
        } else {
            EXPECT_EQ(header.error, CodecError::ContentLengthMalformed) << c.header;
        }
    }
    EXPECT_FALSE(ParseProxyReply("HTTP/1.1 407 x\r\nX-Content-Length: 5\r\n\r\n").contentLength);
}

TEST(ProxyReply, RefusesZeroBytesInTheHeader) {
    std::string reply = "HTTP/1.1 407 x\r\nProxy-Authenticate: Basic\0 realm\r\n\r\n"s;
    EXPECT_EQ(ParseProxyReply(reply).error, CodecError::ReplyHasNul);
    // Zero bytes after the header are body or tunnel data.
    std::string body = "HTTP/1.1 200 ok\r\n\r\n\0\0"s;
    EXPECT_EQ(ParseProxyReply(body).progress, ProxyReplyProgress::Complete);
}

TEST(ProxyChallenge, SearchesTheTwoNamesInOrderWithoutRegardToCase) {
    struct Case {
        const char* header;
        const char* value;  // null: ChallengeMissing
    } cases[] = {
        {"Proxy-Authenticate: Basic realm=\"x\"\r\n", "Basic realm=\"x\""},
        {"proxy-authenticate: NTLM\r\n", "NTLM"},
        {"Proxy-Authorization: Digest realm=r\r\n", "Digest realm=r"},
        {"proxy-authorization: Basic\r\n", "Basic"},
        // The first name of the list wins, wherever it stands.
        {"Proxy-Authorization: Basic\r\nproxy-authenticate: NTLM\r\n", "NTLM"},
        // Spellings of one name are one name: the first in the text.
        {"proxy-authenticate: NTLM\r\nProxy-Authenticate: Basic\r\n", "NTLM"},
        // Several headers of the same name: the first in the text.
        {"Proxy-Authenticate: Negotiate\r\nProxy-Authenticate: NTLM\r\n", "Negotiate"},
        {"PROXY-AUTHENTICATE: Basic\r\n", "Basic"},
        {"PROXY-AUTHORIZATION: Digest realm=r\r\n", "Digest realm=r"},
        {"Proxy-Authenticate:Basic\r\n", nullptr},
        {"WWW-Authenticate: Basic\r\n", nullptr},
        {"X-Proxy-Authenticate: Basic\r\n", "Basic"},  // found anywhere
        {"Proxy-Authenticate: \r\n", ""},
    };
    for (const Case& c : cases) {
        std::string header = std::string("HTTP/1.1 407 x\r\n") + c.header + "\r\n";
        auto located = LocateProxyChallenge(header);
        if (c.value == nullptr) {
            EXPECT_EQ(located.error, CodecError::ChallengeMissing) << c.header;
        } else {
            ASSERT_TRUE(located.ok()) << c.header;
            EXPECT_EQ(located.value.value, c.value) << c.header;
        }
    }
    auto line = LocateProxyChallenge("HTTP/1.1 407 x\r\nProxy-Authenticate: Digest a=b\r\n\r\n");
    EXPECT_EQ(line.value.line, "Proxy-Authenticate: Digest a=b");
}

TEST(ProxyChallenge, BoundsTheValue) {
    auto make = [](size_t n) { return "Proxy-Authenticate: " + std::string(n, 'v') + "\r\n"; };
    EXPECT_TRUE(LocateProxyChallenge(make(1023)).ok());
    EXPECT_EQ(LocateProxyChallenge(make(1024)).error, CodecError::ChallengeTooLong);
    EXPECT_EQ(LocateProxyChallenge("Proxy-Authenticate: Basic realm").error,
              CodecError::ChallengeUnterminated);
    EXPECT_EQ(LocateProxyChallenge("Proxy-Authenticate: Basic\n").error,
              CodecError::ChallengeUnterminated);
}

TEST(ProxyChallenge, MatchesSchemesExactly) {
    struct Case {
        const char* value;
        CodecError error;
        ProxyAuthScheme scheme;
    } cases[] = {
        {"Basic realm=\"x\"", CodecError::None, ProxyAuthScheme::Basic},
        {"basic", CodecError::None, ProxyAuthScheme::Basic},
        {"Digest realm=r", CodecError::None, ProxyAuthScheme::Digest},
        {"digest realm=r", CodecError::None, ProxyAuthScheme::Digest},
        {"DIGEST", CodecError::None, ProxyAuthScheme::Digest},
        {"NTLM", CodecError::None, ProxyAuthScheme::Ntlm},
        {"Ntlm", CodecError::None, ProxyAuthScheme::Ntlm},
        {"ntlm TlRMTVNTUAACAAAA", CodecError::None, ProxyAuthScheme::Ntlm},
        {"BASIC", CodecError::SchemeUnknown, {}},
        {"Negotiate", CodecError::SchemeUnknown, {}},
        {"Basic,", CodecError::SchemeUnknown, {}},
        {"", CodecError::SchemeUnknown, {}},
        {"Basic\trealm", CodecError::SchemeUnknown, {}},
        {"ABCDEFGHIJKLMNOP realm", CodecError::SchemeTooLong, {}},
    };
    for (const Case& c : cases) {
        auto matched = MatchProxyAuthScheme(c.value);
        EXPECT_EQ(matched.error, c.error) << c.value;
        if (c.error == CodecError::None) {
            EXPECT_EQ(matched.value, c.scheme) << c.value;
        }
    }
}

TEST(ProxyChallenge, ReadsTheNtlmSecondRoundToken) {
    struct Case {
        const char* value;
        const char* token;  // null: failure
    } cases[] = {
        {"NTLM TlRMTVNTUAACAAAA", "TlRMTVNTUAACAAAA"},
        {"ntlm   TlRM\tx", "TlRM"},
        {"  NTLM TlRM", "TlRM"},
        {"Ntlm TlRM", nullptr},
        {"NTLM", nullptr},
        {"NTLM   ", nullptr},
        {"Negotiate TlRM", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        auto token = ReadNtlmChallengeToken(c.value);
        if (c.token == nullptr) {
            EXPECT_EQ(token.error, CodecError::NtlmWordMissing) << c.value;
        } else {
            EXPECT_EQ(token.value, c.token) << c.value;
        }
    }
    EXPECT_TRUE(ReadNtlmChallengeToken("NTLM " + std::string(511, 'A')).ok());
    EXPECT_EQ(ReadNtlmChallengeToken("NTLM " + std::string(512, 'A')).error,
              CodecError::NtlmWordTooLong);
}
