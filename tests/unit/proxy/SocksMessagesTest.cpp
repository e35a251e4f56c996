// SOCKS4/4a and SOCKS5 requests byte for byte, and the reply checks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "proxy/SocksMessages.h"
#include "unit/proxy/Hex.h"

using namespace ostiva;
using ostiva::test::FromHex;
using ostiva::test::ToHex;

namespace {

SocksTarget ByAddress() {
    return SocksTarget{std::array<uint8_t, 4>{192, 0, 2, 10}, "192.0.2.10", 443};
}
SocksTarget ByName(std::string name) {
    return SocksTarget{std::nullopt, std::move(name), 443};
}

}  // namespace

TEST(SocksRequests, Socks4WithAnAddressIsNineBytes) {
    auto request = MakeSocks4Request(ByAddress());
    ASSERT_TRUE(request.ok());
    EXPECT_EQ(ToHex(request.value), "040101bbc000020a00");
}

TEST(SocksRequests, Socks4aCarriesTheNameAfterAddressZeroZeroZeroOne) {
    auto request = MakeSocks4Request(ByName("abcdefghij"));
    ASSERT_TRUE(request.ok());
    ASSERT_EQ(request.value.size(), 20u);
    EXPECT_EQ(ToHex(request.value),
              "040101bb0000000100" + ToHex(FromHex("6162636465666768696a")) + "00");
}

TEST(SocksRequests, Socks5ConnectRequestByAddressAndByName) {
    auto byAddress = MakeSocks5ConnectRequest(ByAddress());
    ASSERT_TRUE(byAddress.ok());
    EXPECT_EQ(ToHex(byAddress.value), "05010001c000020a01bb");

    auto byName = MakeSocks5ConnectRequest(ByName("abcdefghij"));
    ASSERT_TRUE(byName.ok());
    ASSERT_EQ(byName.value.size(), 17u);
    EXPECT_EQ(ToHex(byName.value), "050100030a6162636465666768696a01bb");
}

TEST(SocksRequests, NamesAreBoundedAndNeverCut) {
    std::string name63(63, 'n');
    EXPECT_EQ(MakeSocks4Request(ByName(name63)).value.size(), 73u);
    EXPECT_EQ(MakeSocks5ConnectRequest(ByName(name63)).value.size(), 70u);
    for (auto make : {&MakeSocks4Request, &MakeSocks5ConnectRequest}) {
        EXPECT_EQ(make(ByName(name63 + "n")).error, CodecError::SocksNameTooLong);
        EXPECT_EQ(make(ByName("")).error, CodecError::SocksNameEmpty);
        EXPECT_EQ(make(ByName(std::string("a\0b", 3))).error, CodecError::SocksNameHasNul);
        // A resolved target never sends its name, however long.
        SocksTarget resolved = ByAddress();
        resolved.name = std::string(300, 'n');
        EXPECT_TRUE(make(resolved).ok());
    }
}

TEST(SocksRequests, Socks5GreetingAndCredentials) {
    EXPECT_EQ(ToHex(MakeSocks5Greeting(true)), "05020200");
    EXPECT_EQ(ToHex(MakeSocks5Greeting(false)), "050100");

    auto message = MakeSocks5UserPassRequest("bob", "pw");
    ASSERT_TRUE(message.ok());
    EXPECT_EQ(ToHex(message.value), "0103626f62027077");
    EXPECT_EQ(MakeSocks5UserPassRequest("", "").value, (std::vector<uint8_t>{1, 0, 0}));

    std::string max(255, 'x');
    auto longest = MakeSocks5UserPassRequest(max, max);
    ASSERT_TRUE(longest.ok());
    EXPECT_EQ(longest.value.size(), 513u);
    EXPECT_EQ(MakeSocks5UserPassRequest(max + "x", "p").error, CodecError::SocksUserTooLong);
    EXPECT_EQ(MakeSocks5UserPassRequest("u", max + "x").error, CodecError::SocksPasswordTooLong);
}

TEST(SocksReplies, Socks4ReplyNeedsEightBytesAndCode90) {
    struct Case {
        const char* hex;
        SocksVerdict verdict;
    } cases[] = {
        {"005a000000000000", SocksVerdict::Granted},
        {"005b000000000000", SocksVerdict::Refused},
        {"005b", SocksVerdict::Refused},  // known at once
        {"005a0000", SocksVerdict::Incomplete},
        {"", SocksVerdict::Incomplete},
        {"045a000000000000", SocksVerdict::Malformed},
        {"05", SocksVerdict::Malformed},
    };
    for (const Case& c : cases) {
        SocksReplyCheck check = CheckSocks4Reply(FromHex(c.hex));
        EXPECT_EQ(check.verdict, c.verdict) << c.hex;
        EXPECT_EQ(check.length, 8u) << c.hex;
    }
    EXPECT_EQ(CheckSocks4Reply(FromHex("005c")).code, 0x5c);
}

TEST(SocksReplies, Socks5MethodChoice) {
    struct Case {
        const char* hex;
        bool offered;
        SocksVerdict verdict;
    } cases[] = {
        {"0500", true, SocksVerdict::Granted},  // no authentication: no credentials sent
        {"0500", false, SocksVerdict::Granted},   {"0502", true, SocksVerdict::Granted},
        {"0502", false, SocksVerdict::Malformed},  // picked what was not offered
        {"05ff", true, SocksVerdict::Refused},    {"0501", true, SocksVerdict::Malformed},
        {"05", true, SocksVerdict::Incomplete},   {"0400", true, SocksVerdict::Malformed},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckSocks5MethodReply(FromHex(c.hex), c.offered).verdict, c.verdict)
            << c.hex << c.offered;
    }
    EXPECT_EQ(CheckSocks5MethodReply(FromHex("0502"), true).code, kSocks5MethodUserPassword);
}

TEST(SocksReplies, Socks5CredentialsReplyLooksOnlyAtItsStatus) {
    EXPECT_EQ(CheckSocks5UserPassReply(FromHex("0100")).verdict, SocksVerdict::Granted);
    EXPECT_EQ(CheckSocks5UserPassReply(FromHex("0500")).verdict, SocksVerdict::Granted);
    EXPECT_EQ(CheckSocks5UserPassReply(FromHex("0101")).verdict, SocksVerdict::Refused);
    EXPECT_EQ(CheckSocks5UserPassReply(FromHex("01")).verdict, SocksVerdict::Incomplete);
}

TEST(SocksReplies, Socks5ConnectReplyLengthFollowsTheAddressType) {
    struct Case {
        std::string hex;
        SocksVerdict verdict;
        size_t length;
    } cases[] = {
        {"05000001c000020a01bb", SocksVerdict::Granted, 10},
        {"05000001c000020a01", SocksVerdict::Incomplete, 10},
        {"050000", SocksVerdict::Incomplete, 4},
        {"05000003", SocksVerdict::Incomplete, 5},
        {"0500000305", SocksVerdict::Incomplete, 12},
        {"0500000305"
         "6162636465"
         "0050",
         SocksVerdict::Granted, 12},
        {"0500000300"
         "0050",
         SocksVerdict::Granted, 7},  // shorter than an IPv4 reply
        {"05000004" + std::string(30, '0'), SocksVerdict::Incomplete, 22},
        {"05000004" + std::string(36, '0'), SocksVerdict::Granted, 22},
        {"05000005" + std::string(12, '0'), SocksVerdict::Malformed, 4},
        {"0505", SocksVerdict::Refused, 4},  // connection refused, known at once
        {"0401", SocksVerdict::Malformed, 4},
        {"", SocksVerdict::Incomplete, 4},
    };
    for (const Case& c : cases) {
        SocksReplyCheck check = CheckSocks5ConnectReply(FromHex(c.hex));
        EXPECT_EQ(check.verdict, c.verdict) << c.hex;
        if (c.verdict != SocksVerdict::Refused && c.verdict != SocksVerdict::Malformed) {
            EXPECT_EQ(check.length, c.length) << c.hex;
        }
    }
    EXPECT_EQ(CheckSocks5ConnectReply(FromHex("0505")).code, 5);
    // Bytes past the reply belong to the tunnel.
    EXPECT_EQ(CheckSocks5ConnectReply(FromHex("05000001c000020a01bbffff")).length, 10u);
}
