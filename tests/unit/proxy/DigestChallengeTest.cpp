// Taking Digest challenges apart and computing the response.
#include <gtest/gtest.h>

#include <string>

#include "proxy/DigestChallenge.h"
#include "proxy/Md5.h"

using namespace ostiva;
using namespace std::string_literals;

namespace {

CodecResult<DigestChallenge> Parse(const std::string& directives) {
    return ParseDigestChallenge("Proxy-Authenticate: Digest " + directives);
}

}  // namespace

TEST(DigestChallenge, AnswersTheTypicalChallenge) {
    auto parsed = Parse("realm=\"proxy\", nonce=\"abc123\", qop=\"auth\", algorithm=MD5");
    ASSERT_TRUE(parsed.ok()) << DescribeCodecError(parsed.error);
    EXPECT_EQ(parsed.value.realm, "proxy");
    EXPECT_EQ(parsed.value.nonce, "abc123");
    EXPECT_EQ(parsed.value.qop, "auth");
    EXPECT_EQ(parsed.value.opaque, "");

    auto digest = MakeDigestResponse(parsed.value, "alice", "secret", "server.example.com", 443);
    ASSERT_TRUE(digest.ok());
    EXPECT_EQ(digest.value.nonceCount, 1u);
    EXPECT_EQ(digest.value.cnonce, "3b7e0a91c4d25f68");
    // HA1 = MD5("alice:proxy:secret"), HA2 = MD5("CONNECT:server.example.com:443"),
    // response over HA1:abc123:00000001:3b7e0a91c4d25f68:auth:HA2.
    EXPECT_EQ(Md5Hex(std::string_view("alice:proxy:secret")), "82afdd933586393fc3a07e83e06eb250");
    EXPECT_EQ(digest.value.response, "250b85da8233ed463765c3737e44a123");
}

TEST(DigestChallenge, AnswersAChallengeWithoutQopInTheOlderForm) {
    auto parsed = Parse("realm=\"proxy\", nonce=\"abc123\"");
    ASSERT_TRUE(parsed.ok());
    auto digest = MakeDigestResponse(parsed.value, "alice", "secret", "server.example.com", 443);
    ASSERT_TRUE(digest.ok());
    EXPECT_EQ(digest.value.cnonce, "");
    EXPECT_EQ(digest.value.qop, "");
    // MD5(HA1:abc123:HA2)
    EXPECT_EQ(digest.value.response, "4471c09acaf17f18c79846dcd04e4f10");
}

TEST(DigestChallenge, QopTakesTheFirstOptionButHa2StaysMethodAndTarget) {
    auto first = Parse("realm=\"proxy\", nonce=\"abc123\", qop=\"auth,auth-int\"");
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(first.value.qop, "auth");
    auto other = Parse("realm=\"proxy\", nonce=\"abc123\", qop=\"auth-int,auth\"");
    ASSERT_TRUE(other.ok());
    EXPECT_EQ(other.value.qop, "auth-int");
    auto digest = MakeDigestResponse(other.value, "alice", "secret", "server.example.com", 443);
    ASSERT_TRUE(digest.ok());
    EXPECT_EQ(digest.value.response, "7e73d63c0d728bd021eef5c2422d8977");
}

TEST(DigestChallenge, AlgorithmMustBeMd5WhenNamed) {
    const std::string base = "realm=\"r\", nonce=\"n12\", qop=\"auth\", ";
    struct Case {
        const char* algorithm;
        bool accepted;
    } cases[] = {
        {"algorithm=MD5", true},      {"algorithm=\"MD5\"", true},
        {"algorithm=md5", true},      {"algorithm=\"md5\"", true},
        {"algorithm=MD5-sess", true},  // computed as plain MD5
        {"algorithm=SHA-256", false}, {"algorithm=\"SHA-256\"", false},
        {"algorithm=Md5", false},     {"algorithm", false},
        {"algorithm=", false},        {"", true},  // no directive: MD5 is meant
    };
    for (const Case& c : cases) {
        auto parsed = Parse(base + c.algorithm);
        EXPECT_EQ(parsed.ok(), c.accepted) << c.algorithm;
        if (!c.accepted) {
            EXPECT_EQ(parsed.error, CodecError::DigestBadAlgorithm) << c.algorithm;
        }
    }
}

TEST(DigestChallenge, ReadsQuotedAndPlainValuesAsProxiesWriteThem) {
    struct Case {
        const char* directives;
        const char* realm;
        const char* nonce;
    } cases[] = {
        // A realm in words, as squid names itself, keeps its blanks.
        {"realm=\"Squid proxy-caching web server\", nonce=\"n1\"", "Squid proxy-caching web server",
         "n1"},
        {"realm=\"a,b\", nonce=\"n1\"", "a,b", "n1"},
        {"realm=\"say \\\"hi\\\"\", nonce=\"n1\"", "say \"hi\"", "n1"},
        {"realm=corp, nonce=\"n1\"", "corp", "n1"},
        {"realm=corp nonce=n12", "corp", "n12"},
        {"REALM = \"x\" ,Nonce=\"\"", "x", ""},
        // A directive name inside another value is not the directive.
        {"realm=\"nonce-land\", nonce=\"n1\"", "nonce-land", "n1"},
        {"realm=\"x\", cnonce=\"c\", nonce=\"n1\"", "x", "n1"},
        // A bare word is there without a value; the first of a name counts.
        {"stale, realm=\"r1\", realm=\"r2\", nonce=n1", "r1", "n1"},
        {"realm, nonce=n1", "", "n1"},
    };
    for (const Case& c : cases) {
        auto parsed = Parse(c.directives);
        ASSERT_TRUE(parsed.ok()) << c.directives << ": " << DescribeCodecError(parsed.error);
        EXPECT_EQ(parsed.value.realm, c.realm) << c.directives;
        EXPECT_EQ(parsed.value.nonce, c.nonce) << c.directives;
    }
    EXPECT_EQ(Parse("realm=\"x\", nonce=\"unterminated").error,
              CodecError::DigestUnterminatedQuote);
}

TEST(DigestChallenge, RefusesWhatIsNotADigestChallenge) {
    struct Case {
        std::string line;
        CodecError error;
    } cases[] = {
        {"Proxy-Authenticate: digest realm=\"r\", nonce=\"n12\"", CodecError::DigestNotDigest},
        {"Proxy-Authenticate: Basic realm=\"r\"", CodecError::DigestNotDigest},
        {"Proxy-Authenticate: Digest nonce=\"n12\"", CodecError::DigestNoRealm},
        {"Proxy-Authenticate: Digest realm=\"r\"", CodecError::DigestNoNonce},
        {"", CodecError::DigestNotDigest},
        // A zero byte ends the line like the end of its text.
        {"Proxy-Authenticate: Digest realm=\"r\"\0 nonce=\"n12\""s, CodecError::DigestNoNonce},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseDigestChallenge(c.line).error, c.error) << c.line;
    EXPECT_TRUE(ParseDigestChallenge("DIGEST realm=\"r\", nonce=\"n12\"").ok());
}

TEST(DigestChallenge, EnforcesItsLimits) {
    auto withRealm = [](size_t n) {
        return Parse("realm=\"" + std::string(n, 'r') + "\", nonce=\"n12\"");
    };
    EXPECT_TRUE(withRealm(49).ok());
    EXPECT_EQ(withRealm(50).error, CodecError::DigestValueTooLong);

    auto withNonce = [](size_t n) {
        return Parse("realm=\"r\", nonce=\"" + std::string(n, 'n') + "\"");
    };
    EXPECT_TRUE(withNonce(149).ok());
    EXPECT_EQ(withNonce(150).error, CodecError::DigestValueTooLong);

    auto withQop = [](size_t n) {
        return Parse("realm=\"r\", nonce=\"n12\", qop=\"" + std::string(n, 'q') + "\"");
    };
    EXPECT_TRUE(withQop(49).ok());
    EXPECT_EQ(withQop(50).error, CodecError::DigestValueTooLong);

    auto withOpaque = [](size_t n) {
        return Parse("realm=\"r\", nonce=\"n12\", opaque=\"" + std::string(n, 'o') + "\"");
    };
    EXPECT_TRUE(withOpaque(49).ok());
    EXPECT_EQ(withOpaque(50).error, CodecError::DigestValueTooLong);

    // A name or value of 256 bytes, even of a directive nobody reads.
    EXPECT_EQ(Parse("realm=r, x=\"" + std::string(256, 'x') + "\", nonce=\"n12\"").error,
              CodecError::DigestWordTooLong);
    EXPECT_TRUE(Parse("realm=r, x=\"" + std::string(255, 'x') + "\", nonce=\"n12\"").ok());
    EXPECT_EQ(Parse("realm=r, " + std::string(256, 'x') + "=1, nonce=\"n12\"").error,
              CodecError::DigestWordTooLong);

    std::string line = "Digest realm=\"r\", nonce=\"n12\" ";
    EXPECT_TRUE(ParseDigestChallenge(line + std::string(1023 - line.size(), ' ')).ok());
    EXPECT_EQ(ParseDigestChallenge(line + std::string(1024 - line.size(), ' ')).error,
              CodecError::DigestLineTooLong);
}

TEST(DigestChallenge, RefusesTextsTooLongToHash) {
    DigestChallenge challenge{"realm", "nonce", "auth", ""};
    // "user:realm:password" of 511 bytes is hashed, 512 is not.
    std::string user(511 - std::string(":realm:pw").size(), 'u');
    EXPECT_TRUE(MakeDigestResponse(challenge, user, "pw", "h", 1).ok());
    EXPECT_EQ(MakeDigestResponse(challenge, user + "u", "pw", "h", 1).error,
              CodecError::DigestHashTextTooLong);
    EXPECT_EQ(MakeDigestResponse(challenge, "u", "pw", std::string(600, 'h'), 1).error,
              CodecError::DigestHashTextTooLong);
}

TEST(DigestChallenge, FindsTheChallengeInAWholeReplyHeader) {
    const std::string reply =
        "HTTP/1.1 407 Proxy Authentication Required\r\n"
        "Server: test\r\n"
        "Proxy-Authenticate: Digest realm=\"proxy\", nonce=\"abc123\", qop=\"auth\"\r\n"
        "Content-Length: 0\r\n\r\n";
    auto digest = MakeDigestResponse(reply, "alice", "secret", "server.example.com", 443);
    ASSERT_TRUE(digest.ok()) << DescribeCodecError(digest.error);
    EXPECT_EQ(digest.value.response, "250b85da8233ed463765c3737e44a123");
    EXPECT_EQ(MakeDigestResponse("HTTP/1.1 407 x\r\n\r\n", "a", "b", "h", 1).error,
              CodecError::ChallengeMissing);
}
