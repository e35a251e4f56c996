// The proxy operations of SocketIPv4 against real proxies on loopback
// (squid with each authentication, dante, microsocks), tunnelling to an echo
// server, with the right credentials and with wrong ones. The peers come
// from scripts/test-services.sh; without them the tests are skipped.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "proxy/ProxyHandshakes.h"
#include "session/Route.h"
#include "session/RouteChain.h"
#include "support/EchoServer.h"
#include "support/TestServices.h"
#include "transport/SocketIPv4.h"
#include "util/Utf.h"

namespace ostiva::test {
namespace {

struct Credentials {
    std::string id;
    std::string password;
};

std::unique_ptr<SocketIPv4> Through(uint16_t proxyPort, const Credentials& credentials) {
    auto socket = std::make_unique<SocketIPv4>();
    socket->proxyMode = 1;
    socket->proxyHost.SetString(u"127.0.0.1");
    socket->proxyPort = proxyPort;
    socket->proxyIdAnsi.SetString(credentials.id);
    socket->proxyPasswordAnsi.SetString(credentials.password);
    socket->proxyTimeoutMs = 5000;
    return socket;
}

std::string Trace(const SocketIPv4& socket) {
    std::string text;
    for (const auto& line : socket.proxyTrace) text += line + "\n";
    return text;
}

// A round trip through the tunnel: what comes back from the echo server.
std::string RoundTrip(SocketIPv4& socket, const std::string& text) {
    socket.SendBytes(text.data(), text.size());
    std::string back(text.size(), '\0');
    back.resize(socket.ReceiveExact(back.data(), back.size(), 5000));
    return back;
}

class RealProxy : public ::testing::Test {
  protected:
    const TestServices& services = TestServices::Get();
    EchoServer echo;
    std::u16string target = u"127.0.0.1";

    Credentials Right() const {
        return {services.Value("PROXY_USER"), services.Value("PROXY_PASSWORD")};
    }

    uint16_t Peer(const std::string& key) {
        uint16_t port = services.Port(key);
        if (!TestServices::Listening(port)) return 0;
        return port;
    }
};

#define REQUIRE_PEER(port, key) \
    uint16_t port = Peer(key);  \
    if (port == 0) OSTIVA_GTEST_MISSING_PEER(TestServices::NotRunning(key));

TEST_F(RealProxy, DanteSpeaksSocks4AndSocks5) {
    REQUIRE_PEER(port, "DANTE_PORT");
    {
        auto socket = Through(port, {});
        ASSERT_TRUE(ConnectSocks4Proxy(*socket, target, echo.Port())) << Trace(*socket);
        EXPECT_EQ(RoundTrip(*socket, "socks4"), "socks4");
    }
    {
        auto socket = Through(port, {});
        ASSERT_TRUE(ConnectSocks5Proxy(*socket, target, echo.Port())) << Trace(*socket);
        EXPECT_EQ(RoundTrip(*socket, "socks5"), "socks5");
    }
    {
        // Offered username/password as well, dante picks no authentication.
        auto socket = Through(port, Right());
        ASSERT_TRUE(ConnectSocks5Proxy(*socket, target, echo.Port())) << Trace(*socket);
        EXPECT_EQ(RoundTrip(*socket, "socks5 offered"), "socks5 offered");
    }
}

TEST_F(RealProxy, AProxyGivenAProtocolItDoesNotSpeakFailsWithinTheLimit) {
    REQUIRE_PEER(squid, "SQUID_OPEN_PORT");
    REQUIRE_PEER(dante, "DANTE_PORT");
    auto socket = Through(squid, {});
    socket->proxyTimeoutMs = 2000;
    EXPECT_FALSE(ConnectSocks4Proxy(*socket, target, echo.Port()));
    EXPECT_FALSE(ConnectSocks5Proxy(*socket, target, echo.Port()));
    auto other = Through(dante, {});
    other->proxyTimeoutMs = 2000;
    EXPECT_FALSE(ConnectHttpProxy(*other, target, echo.Port()));
    EXPECT_EQ(echo.Connections(), 0);
}

TEST_F(RealProxy, TheRouteChainMovesOnAfterEachFailedMethod) {
    // microsocks refuses the HTTP and SOCKS4 attempts; SOCKS5 with the
    // right password gets through.
    REQUIRE_PEER(port, "MICROSOCKS_PORT");
    auto socket = Through(port, Right());
    RouteTarget where;
    where.host = target;
    where.port = echo.Port();
    where.timeoutMs = 3000;
    RouteChain chain(MakeProxyRoutes());
    std::vector<FailureReason> failures;
    ASSERT_TRUE(chain.Connect(*socket, where, &failures)) << Trace(*socket);
    EXPECT_EQ(RoundTrip(*socket, "third route"), "third route");
    std::string trace = Trace(*socket);
    EXPECT_NE(trace.find("HTTP CONNECT: "), std::string::npos) << trace;
    EXPECT_NE(trace.find("SOCKS4: "), std::string::npos) << trace;

    // With a wrong password every method fails, and the reasons name each.
    auto refused = Through(port, {services.Value("PROXY_USER"), "wrong"});
    ASSERT_FALSE(chain.Connect(*refused, where, &failures));
    ASSERT_EQ(failures.size(), 3u) << Trace(*refused);
    EXPECT_EQ(failures[0].route, RouteKind::HttpConnect);
    EXPECT_EQ(failures[1].route, RouteKind::Socks4);
    EXPECT_EQ(failures[2].route, RouteKind::Socks5);
    EXPECT_EQ(failures[2].step, FailureStep::Authenticate);
    EXPECT_EQ(failures[2].cause, FailureCause::CredentialsRefused);
    EXPECT_EQ(failures[2].host, "127.0.0.1");
    EXPECT_EQ(failures[2].port, refused->proxyPort);
}

}  // namespace
}  // namespace ostiva::test
