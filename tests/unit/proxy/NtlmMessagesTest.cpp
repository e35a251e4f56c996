// NTLM identity, messages and version 1 responses.
#define CRYPTOPP_ENABLE_NAMESPACE_WEAK 1
#include <cryptopp/md4.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "proxy/Base64.h"
#include "proxy/NtlmMessages.h"
#include "unit/proxy/Hex.h"

using namespace ostiva;
using ostiva::test::FromHex;
using ostiva::test::ToHex;

namespace {

const NtlmChallenge kChallenge = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};

uint32_t Read32(const std::vector<uint8_t>& m, size_t at) {
    return uint32_t(m[at]) | (uint32_t(m[at + 1]) << 8) | (uint32_t(m[at + 2]) << 16) |
           (uint32_t(m[at + 3]) << 24);
}
uint16_t Read16(const std::vector<uint8_t>& m, size_t at) {
    return uint16_t(m[at] | (m[at + 1] << 8));
}

NtlmIdentity Identity(std::string_view id, std::string_view password = "",
                      std::string_view host = "pc-01") {
    auto made = MakeNtlmIdentity(id, password, host);
    EXPECT_TRUE(made.ok()) << DescribeCodecError(made.error);
    return made.value;
}

}  // namespace

// MS-NLMP 4.2.2: user "User", domain "Domain", workstation "COMPUTER",
// password "Password", server challenge 01 23 45 67 89 ab cd ef.
TEST(NtlmResponses, MatchTheNtlmV1ExampleOfTheProtocolDocument) {
    NtlmHash lm = NtlmLmHash("Password");
    NtlmHash nt = NtlmNtHash("Password");
    EXPECT_EQ(ToHex(lm.data(), 16), "e52cac67419a9a224a3b108f3fa6cb6d");
    EXPECT_EQ(ToHex(nt.data(), 16), "a4f49c406510bdcab6824ee7c30fd852");
    NtlmResponse lmResponse = MakeNtlmResponse(lm, kChallenge);
    NtlmResponse ntResponse = MakeNtlmResponse(nt, kChallenge);
    EXPECT_EQ(ToHex(lmResponse.data(), 24), "98def7b87f88aa5dafe2df779688a172def11c7d5ccdef13");
    EXPECT_EQ(ToHex(ntResponse.data(), 24), "67c43011f30298a2ad35ece64f16331c44bdbed927841f94");

    // The NT hash from Crypto++'s MD4 as well.
    uint8_t oracleNt[16];
    const std::string wide("P\0a\0s\0s\0w\0o\0r\0d\0", 16);
    CryptoPP::Weak::MD4().CalculateDigest(oracleNt, reinterpret_cast<const uint8_t*>(wide.data()),
                                          wide.size());
    EXPECT_EQ(ToHex(nt.data(), 16), ToHex(oracleNt, 16));

    // And inside a Type 3 built from that identity.
    NtlmIdentity identity{"Domain", "User", "COMPUTER", "Password"};
    auto type3 = MakeNtlmType3(identity, kChallenge);
    ASSERT_TRUE(type3.ok());
    const auto& m = type3.value;
    EXPECT_EQ(ToHex(m.data() + Read32(m, 16), 24), ToHex(lmResponse.data(), 24));
    EXPECT_EQ(ToHex(m.data() + Read32(m, 24), 24), ToHex(ntResponse.data(), 24));
}

TEST(NtlmResponses, HashesFollowTheirPasswordRules) {
    // Empty password: LM of 14 zero bytes, NT of the empty input.
    EXPECT_EQ(ToHex(NtlmLmHash("").data(), 16), "aad3b435b51404eeaad3b435b51404ee");
    EXPECT_EQ(ToHex(NtlmNtHash("").data(), 16), "31d6cfe0d16ae931b73c59d7e0c089c0");

    // LM looks at 14 bytes upper-cased; NT at the whole password.
    EXPECT_EQ(NtlmLmHash("abcdefghijklmnXYZ"), NtlmLmHash("ABCDEFGHIJKLMNother"));
    EXPECT_NE(NtlmNtHash("abcdefghijklmnXYZ"), NtlmNtHash("ABCDEFGHIJKLMNother"));
    EXPECT_NE(NtlmNtHash("password"), NtlmNtHash("Password"));

    // A non-ASCII password is hashed as UTF-16LE: "pä€𝄞" is
    // 70 00 e4 00 ac 20 34 d8 1e dd.
    const auto wide = FromHex("7000e400ac2034d81edd");
    uint8_t expected[16];
    CryptoPP::Weak::MD4().CalculateDigest(expected, wide.data(), wide.size());
    EXPECT_EQ(ToHex(NtlmNtHash("p\xc3\xa4\xe2\x82\xac\xf0\x9d\x84\x9e").data(), 16),
              ToHex(expected, 16));

    // Only the first 128 UTF-16 units count.
    std::string long1(128, 'x'), long2(128, 'x');
    long1 += "tail one";
    long2 += "other";
    EXPECT_EQ(NtlmNtHash(long1), NtlmNtHash(long2));
    EXPECT_NE(NtlmNtHash(long1), NtlmNtHash(std::string(127, 'x')));
}

TEST(NtlmIdentity, SplitsTheProxyUserId) {
    struct Case {
        const char* id;
        const char* domain;
        const char* user;
    } cases[] = {
        {"CORP\\alice", "CORP", "alice"},
        {"alice", "DOMAIN", "alice"},
        {"CORP\\\\alice\\x", "CORP", "alice"},
        {"", "DOMAIN", ""},
        {"\\\\CORP\\alice", "CORP", "alice"},
        {"\\alice", "DOMAIN", "alice"},
        {"CORP\\", "CORP", ""},
        {"\\CORP\\\\", "CORP", ""},
        {"\\\\\\", "DOMAIN", ""},
        {"corp\\Alice", "corp", "Alice"},  // names keep their case
    };
    for (const Case& c : cases) {
        NtlmIdentity identity = Identity(c.id, "pw");
        EXPECT_EQ(identity.domain, c.domain) << c.id;
        EXPECT_EQ(identity.user, c.user) << c.id;
        EXPECT_EQ(identity.password, "pw");
    }
}

TEST(NtlmIdentity, UpperCasesOnlyAsciiLettersOfTheWorkstation) {
    EXPECT_EQ(Identity("a", "", "pc-01").workstation, "PC-01");
    EXPECT_EQ(Identity("a", "", "h\xc3\xa9te.lan").workstation, "H\xc3\xa9TE.LAN");
    EXPECT_EQ(Identity("a", "", "").workstation, "");
}

TEST(NtlmIdentity, RefusesNamesAndPasswordsBeyondTheirLimits) {
    std::string name32(32, 'n'), name33(33, 'n');
    EXPECT_TRUE(MakeNtlmIdentity(name32 + "\\" + name32, std::string(255, 'p'), name32).ok());
    EXPECT_EQ(MakeNtlmIdentity(name33 + "\\u", "", "h").error, CodecError::NtlmNameTooLong);
    EXPECT_EQ(MakeNtlmIdentity("d\\" + name33, "", "h").error, CodecError::NtlmNameTooLong);
    EXPECT_EQ(MakeNtlmIdentity(name33, "", "h").error, CodecError::NtlmNameTooLong);
    EXPECT_EQ(MakeNtlmIdentity("u", "", name33).error, CodecError::NtlmNameTooLong);
    EXPECT_EQ(MakeNtlmIdentity("u", std::string(256, 'p'), "h").error,
              CodecError::NtlmPasswordTooLong);
    // The limit counts UTF-16 units, not bytes: 32 two-byte characters fit.
    std::string wide32;
    for (int i = 0; i < 32; ++i) wide32 += "\xc3\xa9";
    EXPECT_TRUE(MakeNtlmIdentity(wide32, "", "h").ok());
    EXPECT_EQ(MakeNtlmIdentity(wide32 + "e", "", "h").error, CodecError::NtlmNameTooLong);

    // The message builders check a hand-made identity too.
    NtlmIdentity big{name33, "u", "h", ""};
    EXPECT_EQ(MakeNtlmType1(big).error, CodecError::NtlmNameTooLong);
    EXPECT_EQ(MakeNtlmType3(big, kChallenge).error, CodecError::NtlmNameTooLong);
}

TEST(NtlmMessages, Type1HasTheNegotiateLayout) {
    auto type1 = MakeNtlmType1(Identity("alice"));
    ASSERT_TRUE(type1.ok());
    const auto& m = type1.value;
    ASSERT_EQ(m.size(), 43u);
    EXPECT_EQ(ToHex(m.data(), 16),
              "4e544c4d5353500001000000"
              "03b20000");
    EXPECT_EQ(Read16(m, 16), 6);  // domain "DOMAIN"
    EXPECT_EQ(Read16(m, 18), 6);
    EXPECT_EQ(Read32(m, 20), 37u);
    EXPECT_EQ(Read16(m, 24), 5);  // workstation "PC-01"
    EXPECT_EQ(Read16(m, 26), 5);
    EXPECT_EQ(Read32(m, 28), 32u);
    EXPECT_EQ(std::string(m.begin() + 32, m.end()), "PC-01DOMAIN");
}

TEST(NtlmMessages, Type3HasTheAuthenticateLayout) {
    auto type3 = MakeNtlmType3(Identity("alice", "secret"), kChallenge);
    ASSERT_TRUE(type3.ok());
    const auto& m = type3.value;
    ASSERT_EQ(m.size(), 144u);
    EXPECT_EQ(ToHex(m.data(), 12), "4e544c4d5353500003000000");
    struct Field {
        size_t at;
        uint16_t length;
        uint32_t offset;
    } fields[] = {
        {12, 24, 96},   // LM response
        {20, 24, 120},  // NT response
        {28, 12, 64},   // domain
        {36, 10, 76},   // user
        {44, 10, 86},   // workstation
        {52, 0, 144},   // session key
    };
    for (const Field& f : fields) {
        EXPECT_EQ(Read16(m, f.at), f.length) << f.at;
        EXPECT_EQ(Read16(m, f.at + 2), f.length) << f.at;
        EXPECT_EQ(Read32(m, f.at + 4), f.offset) << f.at;
    }
    EXPECT_EQ(Read32(m, 60), 0x8201u);
    EXPECT_EQ(ToHex(m.data() + 64, 32),
              "44004f004d00410049004e00"  // DOMAIN
              "61006c00690063006500"      // alice
              "500043002d0030003100");    // PC-01
    EXPECT_EQ(ToHex(m.data() + 96, 24),
              ToHex(MakeNtlmResponse(NtlmLmHash("secret"), kChallenge).data(), 24));
    EXPECT_EQ(ToHex(m.data() + 120, 24),
              ToHex(MakeNtlmResponse(NtlmNtHash("secret"), kChallenge).data(), 24));
}

TEST(NtlmMessages, Type3WithEmptyUserAndWideNames) {
    auto empty = MakeNtlmType3(Identity(""), kChallenge);
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ(Read16(empty.value, 36), 0);
    EXPECT_EQ(Read32(empty.value, 40), 64u + 12u) << "user offset equals 64 + D";

    // A non-ASCII user name goes out as its UTF-16LE form.
    auto wide = MakeNtlmType3(Identity("CORP\\j\xc3\xb6rg"), kChallenge);
    ASSERT_TRUE(wide.ok());
    EXPECT_EQ(Read16(wide.value, 36), 8);
    EXPECT_EQ(ToHex(wide.value.data() + Read32(wide.value, 40), 8), "6a00f60072006700");
}

TEST(NtlmMessages, Type2IsReadOnlyWhenItIsAChallenge) {
    std::vector<uint8_t> good = FromHex(
        "4e544c4d53535000 02000000 0c000c00 30000000 01020000"
        "0123456789abcdef 0000000000000000 444f004d00410049004e00");
    auto read = ReadNtlmType2(Base64Encode(good));
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.value, kChallenge);

    // A challenge starting with a zero byte is as good as any other.
    std::vector<uint8_t> zeroFirst = good;
    zeroFirst[24] = 0;
    auto zero = ReadNtlmType2(Base64Encode(zeroFirst));
    ASSERT_TRUE(zero.ok());
    EXPECT_EQ(zero.value[0], 0);

    std::vector<uint8_t> exactly32(good.begin(), good.begin() + 32);
    EXPECT_TRUE(ReadNtlmType2(Base64Encode(exactly32)).ok());

    struct Case {
        const char* what;
        std::string text;
        CodecError error;
    };
    std::vector<uint8_t> badSignature = good, type3 = good, big(384, 0);
    badSignature[6] = 'Q';
    type3[8] = 3;
    std::memcpy(big.data(), good.data(), good.size());
    const Case cases[] = {
        {"empty", "", CodecError::NtlmType2TooShort},
        {"31 bytes", Base64Encode(std::span(good.data(), 31)), CodecError::NtlmType2TooShort},
        {"not Base64", "!!!!", CodecError::NtlmType2TooShort},
        {"bad signature", Base64Encode(badSignature), CodecError::NtlmType2BadSignature},
        {"type 3", Base64Encode(type3), CodecError::NtlmType2WrongType},
        {"512 characters", Base64Encode(big) + "AAAA", CodecError::NtlmWordTooLong},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadNtlmType2(c.text).error, c.error) << c.what;
    EXPECT_TRUE(ReadNtlmType2(Base64Encode(big).substr(0, 511)).ok()) << "511 characters fit";
}
