#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/un.h>

#include <cstring>
#include <string>

#include "transport/AddressIPv4.h"
#include "util/Exception.h"
#include "util/StringStorage.h"

using namespace ostiva;

TEST(AddressIPv4, DottedTextNeedsNoLookup) {
    AddressIPv4 a = AddressIPv4::Resolve(u"192.0.2.10", 8080);
    EXPECT_EQ(a.GetAddress(), 0xC000020Au);
    EXPECT_EQ(a.GetPort(), 8080);
    EXPECT_EQ(a.ToString(), u"192.0.2.10");

    sockaddr_in in = a.ToSockaddr();
    EXPECT_EQ(in.sin_family, AF_INET);
    EXPECT_EQ(ntohs(in.sin_port), 8080);
    char text[INET_ADDRSTRLEN];
    ASSERT_NE(inet_ntop(AF_INET, &in.sin_addr, text, sizeof text), nullptr);
    EXPECT_STREQ(text, "192.0.2.10");
    EXPECT_EQ(AddressIPv4(in), a);

    EXPECT_EQ(AddressIPv4::Resolve(StringStorage(u"255.255.255.255"), 0).ToString(),
              u"255.255.255.255");
}

TEST(AddressIPv4, NamesResolveThroughTheSystem) {
    AddressIPv4 local = AddressIPv4::Resolve(u"localhost", 80);
    EXPECT_EQ(local.ToString(), u"127.0.0.1");
    EXPECT_EQ(local.GetPort(), 80);
}

TEST(AddressIPv4, UnresolvableNamesThrow) {
    // None of these reaches a name server: each is refused locally.
    for (std::u16string host : {std::u16string(u"no such host"), std::u16string(),
                                std::u16string(u"local\0host", 10), std::u16string(70, u'x')}) {
        EXPECT_THROW(AddressIPv4::Resolve(host, 80), SocketException) << host.size();
    }
    try {
        AddressIPv4::Resolve(u"no such host", 80);
    } catch (const SocketException& e) {
        EXPECT_NE(e.GetErrorCode(), 0);
        EXPECT_STRNE(e.what(), "");
    }
}

TEST(AddressIPv4, OtherFamiliesAreRefused) {
    sockaddr_in in;
    std::memset(&in, 0, sizeof in);
    in.sin_family = AF_INET6;
    try {
        AddressIPv4 a(in);
        FAIL() << "accepted AF_INET6";
    } catch (const SocketException& e) {
        EXPECT_STREQ(e.what(), "The specified m_addr is not AF_INET family m_addr!");
        EXPECT_EQ(e.GetErrorCode(), 0);
    }
    sockaddr_un un;
    std::memset(&un, 0, sizeof un);
    un.sun_family = AF_UNIX;
    EXPECT_THROW(AddressIPv4(reinterpret_cast<sockaddr*>(&un), sizeof un), SocketException);
    // A name too short to hold an IPv4 address is not read past its end.
    in.sin_family = AF_INET;
    EXPECT_THROW(AddressIPv4(reinterpret_cast<sockaddr*>(&in), 4), SocketException);
}
