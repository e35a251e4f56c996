// The SOCKS handshakes of SocketIPv4 against a scripted proxy on loopback:
// the bytes each step sends, replies that refuse, split or run long, and the
// limits checked before anything is sent.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "proxy/ProxyHandshakes.h"
#include "support/FailureReasonPrinter.h"
#include "support/ScriptedProxy.h"
#include "transport/SocketIPv4.h"

namespace ostiva::test {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

std::string Hex(std::string_view bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        if (!out.empty()) out += ' ';
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

std::unique_ptr<SocketIPv4> ClientFor(const ScriptedProxy& proxy, std::string_view id = {},
                                      std::string_view password = {}) {
    auto socket = std::make_unique<SocketIPv4>();
    socket->proxyHost.SetString(u"127.0.0.1");
    socket->proxyPort = proxy.Port();
    socket->proxyIdAnsi.SetString(id);
    socket->proxyPasswordAnsi.SetString(password);
    socket->proxyTimeoutMs = kScriptWaitMs;
    return socket;
}

const std::string kSocks5Granted = Bytes({5, 0, 0, 1, 127, 0, 0, 1, 0x1F, 0x90});

TEST(Socks4Connect, ADottedTargetGoesAsItsAddressAndTheTunnelBytesStayUnread) {
    Notes notes;
    ScriptedProxy proxy([&](SocketIPv4& c, int) {
        notes.Add(Hex(ReadBytes(c, 9)));
        SendText(c, Bytes({0, 90, 0, 0, 0, 0, 0, 0}) + "DATA");
        Echo(c, 2000);
    });
    auto socket = ClientFor(proxy, "a-user-socks4-does-not-send", "pw");
    ASSERT_TRUE(ConnectSocks4Proxy(*socket, u"192.0.2.10", 443)) << socket->proxyFailure;
    EXPECT_EQ(ReadBytes(*socket, 4, 2000), "DATA");
    proxy.Stop();
    EXPECT_EQ(notes.At(0), "04 01 01 bb c0 00 02 0a 00");
}

TEST(Socks4Connect, AnUnresolvableNameGoesAsSocks4a) {
    Notes notes;
    ScriptedProxy proxy([&](SocketIPv4& c, int) {
        notes.Add(Hex(ReadBytes(c, 20)));
        SendText(c, Bytes({0, 90, 0, 0, 0, 0, 0, 0}));
    });
    auto socket = ClientFor(proxy);
    // ".invalid" never resolves (RFC 6761).
    ASSERT_TRUE(ConnectSocks4Proxy(*socket, u"ab.invalid", 80)) << socket->proxyFailure;
    proxy.Stop();
    EXPECT_EQ(notes.At(0), "04 01 00 50 00 00 00 01 00 61 62 2e 69 6e 76 61 6c 69 64 00");
}

TEST(Socks4Connect, RefusalsAndMalformedRepliesFail) {
    struct Case {
        const char* name;
        std::string reply;
        FailureCause cause;
        int status;
    };
    const Case cases[] = {
        {"rejected", Bytes({0, 91}), FailureCause::ProxyRefused, 91},
        {"not SOCKS4", "HTTP/1.0 400 Bad Request\r\n\r\n", FailureCause::ReplyMalformed, 0},
        {"short then closed", Bytes({0}), FailureCause::ConnectionClosed, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedProxy proxy([&](SocketIPv4& conn, int) {
            ReadBytes(conn, 9);
            SendText(conn, c.reply);
        });
        auto socket = ClientFor(proxy);
        FailureReason failure;
        EXPECT_FALSE(ConnectSocks4Proxy(*socket, u"127.0.0.1", 80, &failure));
        EXPECT_EQ(failure.route, RouteKind::Socks4);
        EXPECT_EQ(failure.step, FailureStep::Reply);
        EXPECT_EQ(failure.cause, c.cause) << socket->proxyFailure;
        EXPECT_EQ(failure.status, c.status);
        EXPECT_EQ(failure.host, "127.0.0.1");
        EXPECT_EQ(failure.port, proxy.Port());
    }
}

TEST(Socks5Connect, WithoutAUserIdOnlyNoAuthenticationIsOffered) {
    Notes notes;
    ScriptedProxy proxy([&](SocketIPv4& c, int) {
        notes.Add(Hex(ReadBytes(c, 3)));
        SendText(c, Bytes({5, 2}));  // asks for username/password anyway
        WaitForClose(c, 2000);
    });
    auto socket = ClientFor(proxy);
    FailureReason failure;
    EXPECT_FALSE(ConnectSocks5Proxy(*socket, u"127.0.0.1", 80, &failure));
    EXPECT_EQ(failure.cause, FailureCause::CredentialsMissing) << socket->proxyFailure;
    EXPECT_EQ(failure.step, FailureStep::Authenticate);
    proxy.Stop();
    EXPECT_EQ(notes.At(0), "05 01 00");
}

TEST(Socks5Connect, UsernamePasswordThenConnectByName) {
    Notes notes;
    ScriptedProxy proxy([&](SocketIPv4& c, int) {
        notes.Add(Hex(ReadBytes(c, 4)));
        SendText(c, Bytes({5, 2}));
        notes.Add(ReadBytes(c, 1 + 1 + 5 + 1 + 2));
        SendText(c, Bytes({1, 0}));
        notes.Add(Hex(ReadBytes(c, 18)));
        SendText(c, kSocks5Granted + "tunnel");
        Echo(c, 2000);
    });
    auto socket = ClientFor(proxy, "alice", "pw");
    ASSERT_TRUE(ConnectSocks5Proxy(*socket, u"srv.invalid", 0x1F90)) << socket->proxyFailure;
    EXPECT_EQ(ReadBytes(*socket, 6, 2000), "tunnel");
    proxy.Stop();
    EXPECT_EQ(notes.At(0), "05 02 02 00");
    EXPECT_EQ(notes.At(1), Bytes({1, 5}) + "alice" + Bytes({2}) + "pw");
    EXPECT_EQ(notes.At(2), "05 01 00 03 0b 73 72 76 2e 69 6e 76 61 6c 69 64 1f 90");
}

TEST(Socks5Connect, NoUsernamePasswordWhenTheProxyPicksNone) {
    Notes notes;
    ScriptedProxy proxy([&](SocketIPv4& c, int) {
        ReadBytes(c, 4);
        SendText(c, Bytes({5, 0}));
        // The connect request follows at once; no username/password message.
        notes.Add(Hex(ReadBytes(c, 10)));
        SendText(c, kSocks5Granted);
    });
    auto socket = ClientFor(proxy, "alice", "pw");
    ASSERT_TRUE(ConnectSocks5Proxy(*socket, u"10.1.2.3", 80)) << socket->proxyFailure;
    proxy.Stop();
    EXPECT_EQ(notes.At(0), "05 01 00 01 0a 01 02 03 00 50");
}

TEST(Socks5Connect, ALongBoundAddressIsReadToItsEnd) {
    // An IPv6 bound address makes a 22-byte reply, sent a byte at a time,
    // with tunnel data right behind it.
    ScriptedProxy proxy([](SocketIPv4& c, int) {
        ReadBytes(c, 3);
        SendText(c, Bytes({5, 0}));
        ReadBytes(c, 10);
        std::string reply = Bytes({5, 0, 0, 4}) + std::string(16, '\x01') + Bytes({0, 80});
        std::vector<std::string> pieces;
        for (char b : reply) pieces.emplace_back(1, b);
        pieces.back() += "XY";
        SendPieces(c, pieces);
        Echo(c, 2000);
    });
    auto socket = ClientFor(proxy);
    ASSERT_TRUE(ConnectSocks5Proxy(*socket, u"127.0.0.1", 80)) << socket->proxyFailure;
    EXPECT_EQ(ReadBytes(*socket, 2, 2000), "XY");
}

TEST(Socks5Connect, RefusalsFail) {
    struct Case {
        const char* name;
        std::string method;
        std::string authReply;
        std::string connectReply;
        FailureStep step;
        FailureCause cause;
        int status;
    };
    const Case cases[] = {
        {"no acceptable method", Bytes({5, 0xFF}), "", "", FailureStep::Authenticate,
         FailureCause::SchemeNotOffered, 0xFF},
        {"wrong password", Bytes({5, 2}), Bytes({1, 1}), "", FailureStep::Authenticate,
         FailureCause::CredentialsRefused, 1},
        {"connection refused", Bytes({5, 2}), Bytes({1, 0}), Bytes({5, 5, 0, 1}),
         FailureStep::Reply, FailureCause::ProxyRefused, 5},
        {"unknown address type", Bytes({5, 0}), "", Bytes({5, 0, 0, 9, 0, 0}), FailureStep::Reply,
         FailureCause::ReplyMalformed, 0},
        {"not SOCKS5", "HTTP", "", "", FailureStep::Authenticate, FailureCause::ReplyMalformed, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedProxy proxy([&](SocketIPv4& conn, int) {
            ReadBytes(conn, 4);
            SendText(conn, c.method);
            if (!c.authReply.empty()) {
                ReadBytes(conn, 1 + 1 + 5 + 1 + 5);
                SendText(conn, c.authReply);
            }
            if (!c.connectReply.empty()) {
                ReadBytes(conn, 10);
                SendText(conn, c.connectReply);
            }
            WaitForClose(conn, 2000);
        });
        auto socket = ClientFor(proxy, "alice", "wrong");
        FailureReason failure;
        EXPECT_FALSE(ConnectSocks5Proxy(*socket, u"127.0.0.1", 80, &failure));
        EXPECT_EQ(failure.route, RouteKind::Socks5);
        EXPECT_EQ(failure.step, c.step) << socket->proxyFailure;
        EXPECT_EQ(failure.cause, c.cause) << socket->proxyFailure;
        EXPECT_EQ(failure.status, c.status);
        EXPECT_EQ(failure.detail.find("wrong"), std::string::npos);
    }
}

TEST(SocksConnect, WhatCannotBeSentFailsBeforeConnecting) {
    ScriptedProxy proxy([](SocketIPv4&, int) {});
    std::u16string longName = std::u16string(60, u'a') + u".invalid";  // 68 bytes
    FailureReason failure;
    {
        auto socket = ClientFor(proxy);
        EXPECT_FALSE(ConnectSocks4Proxy(*socket, longName, 80, &failure));
        EXPECT_EQ(failure.step, FailureStep::Request);
        EXPECT_EQ(failure.cause, FailureCause::RequestNotSendable);
        EXPECT_FALSE(ConnectSocks5Proxy(*socket, longName, 80, &failure));
        EXPECT_EQ(failure.cause, FailureCause::RequestNotSendable);
    }
    for (auto [id, password] : {std::pair{std::string(256, 'u'), std::string("pw")},
                                std::pair{std::string("alice"), std::string(256, 'p')}}) {
        auto socket = ClientFor(proxy, id, password);
        EXPECT_FALSE(ConnectSocks5Proxy(*socket, u"127.0.0.1", 80, &failure));
        EXPECT_EQ(failure.step, FailureStep::Authenticate);
        EXPECT_EQ(failure.cause, FailureCause::RequestNotSendable) << socket->proxyFailure;
    }
    proxy.Stop();
    EXPECT_EQ(proxy.Connections(), 0);
}

TEST(SocksConnect, EachAttemptStartsOnAFreshConnection) {
    // The first connection plays an HTTP proxy that wants credentials; the
    // SOCKS attempts that follow must not reuse it.
    ScriptedProxy proxy([](SocketIPv4& c, int index) {
        if (index == 0) {
            ReadHttpRequest(c);
            SendText(c, "HTTP/1.0 407 x\r\nProxy-Authenticate: Negotiate\r\n\r\n");
            WaitForClose(c, 2000);
            return;
        }
        if (ReadBytes(c, 9).size() != 9) return;
        SendText(c, Bytes({0, 90, 0, 0, 0, 0, 0, 0}));
    });
    SocketIPv4 socket;
    socket.proxyHost.SetString(u"127.0.0.1");
    socket.proxyPort = proxy.Port();
    socket.proxyTimeoutMs = kScriptWaitMs;
    EXPECT_FALSE(ConnectHttpProxy(socket, u"127.0.0.1", 80));
    EXPECT_TRUE(ConnectSocks4Proxy(socket, u"127.0.0.1", 80)) << socket.proxyFailure;
    proxy.Stop();
    EXPECT_EQ(proxy.Connections(), 2);
}

TEST(SocksConnect, ASilentProxyIsEndedByTheTimeLimit) {
    ScriptedProxy proxy([](SocketIPv4& c, int) { WaitForClose(c); });
    auto socket = ClientFor(proxy);
    socket->proxyTimeoutMs = 300;
    FailureReason failure;
    EXPECT_FALSE(ConnectSocks4Proxy(*socket, u"127.0.0.1", 80, &failure));
    EXPECT_EQ(failure.cause, FailureCause::TimedOut);
    EXPECT_EQ(failure.step, FailureStep::Reply);
    EXPECT_FALSE(ConnectSocks5Proxy(*socket, u"127.0.0.1", 80, &failure));
    EXPECT_EQ(failure.cause, FailureCause::TimedOut);
    EXPECT_EQ(failure.step, FailureStep::Authenticate);
}

}  // namespace
}  // namespace ostiva::test
