// The four CONNECT request forms, byte for byte, and their limits.
#include <gtest/gtest.h>

#include <string>

#include "proxy/ConnectRequest.h"
#include "proxy/DigestChallenge.h"

using namespace ostiva;

namespace {

const std::string kLongAgent =
    "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 2.0.50727; .NET "
    "CLR 3.0.04506.30; .NET CLR 1.1.4322)\r\n";
const std::string kShortAgent =
    "User-Agent: Mozilla/4.0(compatible;MSIE6.0;WindowsNT5.1;SV1;.NETCLR\r\n";
const std::string kCommon =
    "Content-Length: 0\r\nProxy-Connection: Keep-Alive\r\nPragma: no-cache\r\n";

std::string Head(const std::string& agent) {
    return "CONNECT server.example.com:443 HTTP/1.0\r\n" + agent +
           "Host: server.example.com:443\r\n" + kCommon;
}

DigestResponse SampleDigest() {
    DigestResponse digest;
    digest.realm = "proxy";
    digest.nonce = "abc123";
    digest.cnonce = std::string(kDigestClientNonce);
    digest.response = "250b85da8233ed463765c3737e44a123";
    digest.qop = "auth";
    return digest;
}

}  // namespace

TEST(ConnectRequest, PlainFormIsExact) {
    auto request = MakePlainConnectRequest("server.example.com", 443);
    ASSERT_TRUE(request.ok());
    EXPECT_EQ(request.value, Head(kLongAgent) + "\r\n");
}

TEST(ConnectRequest, BasicFormCarriesUserColonPassword) {
    auto request = MakeBasicConnectRequest("server.example.com", 443, "alice", "secret");
    ASSERT_TRUE(request.ok());
    EXPECT_EQ(request.value,
              Head(kShortAgent) + "Proxy-Authorization: Basic YWxpY2U6c2VjcmV0\r\n\r\n");

    auto empty = MakeBasicConnectRequest("server.example.com", 443, "", "");
    ASSERT_TRUE(empty.ok());
    EXPECT_NE(empty.value.find("Proxy-Authorization: Basic Og==\r\n"), std::string::npos);

    // A password may hold anything: it travels encoded.
    EXPECT_TRUE(MakeBasicConnectRequest("h", 1, "u", "p\r\nX: y").ok());
    EXPECT_TRUE(MakeBasicConnectRequest("h", 1, std::string(255, 'u'), std::string(255, 'p')).ok());
    EXPECT_EQ(MakeBasicConnectRequest("h", 1, std::string(256, 'u'), std::string(255, 'p')).error,
              CodecError::CredentialsTooLong);
}

TEST(ConnectRequest, DigestFormCarriesEveryDirective) {
    auto request = MakeDigestConnectRequest("server.example.com", 443, "alice", SampleDigest());
    ASSERT_TRUE(request.ok());
    EXPECT_EQ(request.value,
              Head(kShortAgent) +
                  "Proxy-Authorization: Digest username=\"alice\",realm=\"proxy\",nonce=\"abc123\","
                  "uri=\"server.example.com:443\",cnonce=\"3b7e0a91c4d25f68\",nc=00000001,"
                  "algorithm=MD5,response=\"250b85da8233ed463765c3737e44a123\",qop=\"auth\","
                  "opaque=\"\"\r\n\r\n");
}

TEST(ConnectRequest, DigestWithoutQopLeavesOutClientNonceCountAndQop) {
    DigestResponse digest = SampleDigest();
    digest.qop.clear();
    digest.cnonce.clear();
    digest.opaque = "op";
    auto request = MakeDigestConnectRequest("server.example.com", 443, "alice", digest);
    ASSERT_TRUE(request.ok());
    EXPECT_NE(
        request.value.find("Proxy-Authorization: Digest username=\"alice\",realm=\"proxy\","
                           "nonce=\"abc123\",uri=\"server.example.com:443\",algorithm=MD5,"
                           "response=\"250b85da8233ed463765c3737e44a123\",opaque=\"op\"\r\n\r\n"),
        std::string::npos)
        << request.value;
}

TEST(ConnectRequest, DigestEscapesTheUserIdAsAQuotedString) {
    auto request = MakeDigestConnectRequest("h", 1, "CORP\\al\"ice", SampleDigest());
    ASSERT_TRUE(request.ok());
    EXPECT_NE(request.value.find("username=\"CORP\\\\al\\\"ice\","), std::string::npos)
        << request.value;
}

TEST(ConnectRequest, NtlmFormCarriesTheToken) {
    auto request = MakeNtlmConnectRequest("server.example.com", 443, "TlRMTVNTUAABAAAA");
    ASSERT_TRUE(request.ok());
    EXPECT_EQ(request.value,
              Head(kLongAgent) + "Proxy-Authorization: NTLM TlRMTVNTUAABAAAA\r\n\r\n");
}

TEST(ConnectRequest, RefusesValuesThatWouldBreakTheHeader) {
    const std::string bad[] = {"a\r\nX-Injected: 1", "a\nb", "a\rb", std::string("a\0b", 3)};
    for (const std::string& text : bad) {
        EXPECT_EQ(MakePlainConnectRequest(text, 1).error, CodecError::TextHasLineBreak);
        EXPECT_EQ(MakeBasicConnectRequest(text, 1, "u", "p").error, CodecError::TextHasLineBreak);
        EXPECT_EQ(MakeNtlmConnectRequest("h", 1, text).error, CodecError::TextHasLineBreak);
        EXPECT_EQ(MakeDigestConnectRequest("h", 1, text, SampleDigest()).error,
                  CodecError::TextHasLineBreak);
        DigestResponse digest = SampleDigest();
        digest.opaque = text;
        EXPECT_EQ(MakeDigestConnectRequest("h", 1, "u", digest).error,
                  CodecError::TextHasLineBreak);
    }
}

TEST(ConnectRequest, RefusesRequestsOver4095Bytes) {
    const size_t fixed = MakePlainConnectRequest("", 1).value.size();
    // The host appears twice.
    std::string fits((kConnectRequestMax - fixed) / 2, 'h');
    EXPECT_TRUE(MakePlainConnectRequest(fits, 1).ok());
    EXPECT_EQ(MakePlainConnectRequest(fits + "h", 1).error, CodecError::RequestTooLarge);

    const size_t ntlmFixed = MakeNtlmConnectRequest("h", 1, "").value.size();
    EXPECT_EQ(MakeNtlmConnectRequest("h", 1, std::string(kConnectRequestMax - ntlmFixed, 'T'))
                  .value.size(),
              kConnectRequestMax);
    EXPECT_EQ(
        MakeNtlmConnectRequest("h", 1, std::string(kConnectRequestMax - ntlmFixed + 1, 'T')).error,
        CodecError::RequestTooLarge);
}
