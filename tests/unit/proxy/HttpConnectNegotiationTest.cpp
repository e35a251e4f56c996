// The CONNECT handshake of SocketIPv4 against a scripted proxy on loopback:
// the cases real proxies will not produce on request (odd statuses and
// headers, split segments, bodies, silence) and the bytes each step sends.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "proxy/Base64.h"
#include "proxy/Md5.h"
#include "proxy/NtlmMessages.h"
#include "proxy/ProxyHandshakes.h"
#include "support/FailureReasonPrinter.h"
#include "support/ScriptedProxy.h"
#include "transport/ListenerIPv4.h"
#include "transport/SocketIPv4.h"
#include "util/Exception.h"

namespace ostiva::test {
namespace {

constexpr uint16_t kTargetPort = 4000;
constexpr char16_t kTarget[] = u"session.example";

std::unique_ptr<SocketIPv4> ClientFor(const ScriptedProxy& proxy, std::string_view id = {},
                                      std::string_view password = {}) {
    auto socket = std::make_unique<SocketIPv4>();
    socket->proxyMode = 1;
    socket->proxyHost.SetString(u"127.0.0.1");
    socket->proxyPort = proxy.Port();
    socket->proxyIdAnsi.SetString(id);
    socket->proxyPasswordAnsi.SetString(password);
    socket->proxyTimeoutMs = kScriptWaitMs;
    return socket;
}

std::string Trace(const SocketIPv4& socket) {
    std::string text;
    for (const auto& line : socket.proxyTrace) text += line + "\n";
    return text;
}

// What the client reads from the tunnel, exactly `size` bytes.
std::string ReadTunnel(SocketIPv4& socket, size_t size) {
    return ReadBytes(socket, size, 2000);
}

const std::string kOk = "HTTP/1.0 200 Connection established\r\n\r\n";

std::string Challenge(std::string_view status, std::string_view header) {
    return "HTTP/1.0 " + std::string(status) + "\r\nServer: scripted\r\n" + std::string(header) +
           "\r\nContent-Length: 0\r\n\r\n";
}

// An NTLM message of the given type carrying `challenge`, as Base64.
std::string Type2(const NtlmChallenge& challenge, uint8_t type) {
    std::vector<uint8_t> message(40, 0);
    const char signature[] = "NTLMSSP";
    std::copy(signature, signature + 8, message.begin());
    message[8] = type;
    message[20] = 0x01;  // flags: UNICODE
    message[21] = 0x82;
    std::copy(challenge.begin(), challenge.end(), message.begin() + 24);
    return Base64Encode(std::span<const uint8_t>(message));
}

TEST(HttpConnectNegotiation, OkToThePlainRequestOpensTheTunnelOnOneConnection) {
    ScriptedProxy proxy([](SocketIPv4& c, int) {
        std::string request = ReadHttpRequest(c);
        EXPECT_EQ(request.rfind("CONNECT session.example:4000 HTTP/1.0\r\n", 0), 0u) << request;
        EXPECT_EQ(HeaderValue(request, "Host"), "session.example:4000");
        EXPECT_EQ(HeaderValue(request, "Proxy-Authorization"), "");
        // Tunnel bytes in the same segment as the answer must stay unread.
        SendText(c, kOk + "HELLO");
        Echo(c, 2000);
    });
    auto socket = ClientFor(proxy, "ignored-user", "ignored-password");
    ASSERT_TRUE(ConnectHttpProxy(*socket, kTarget, kTargetPort)) << Trace(*socket);
    EXPECT_EQ(ReadTunnel(*socket, 5), "HELLO");
    SendText(*socket, "ping");
    EXPECT_EQ(ReadTunnel(*socket, 4), "ping");
    EXPECT_EQ(proxy.Connections(), 1);
    EXPECT_TRUE(socket->proxyFailure.empty());
}

TEST(HttpConnectNegotiation, RefusalsEndOnTheFirstConnection) {
    struct Case {
        const char* name;
        std::string reply;
        FailureStep step;
        FailureCause cause;
        int status;
        const char* detail;
    };
    const Case cases[] = {
        {"403", "HTTP/1.0 403 Forbidden\r\nContent-Length: 0\r\n\r\n", FailureStep::Reply,
         FailureCause::ProxyRefused, 403, ""},
        {"Negotiate only",
         Challenge("407 Proxy Authentication Required", "Proxy-Authenticate: Negotiate"),
         FailureStep::Authenticate, FailureCause::SchemeNotOffered, 407, "Negotiate"},
        {"no status code", "HTTP/1.0 OK\r\n\r\n", FailureStep::Reply, FailureCause::ReplyMalformed,
         0, ""},
        {"not HTTP", "SSH-2.0-OpenSSH_9.2\r\n\r\n", FailureStep::Reply,
         FailureCause::ReplyMalformed, 0, ""},
        {"endless header", "HTTP/1.0 407 x\r\nX-Pad: " + std::string(5000, 'a'), FailureStep::Reply,
         FailureCause::ReplyTooLarge, 0, ""},
        {"closed before the blank line", "HTTP/1.0 200 OK\r\n", FailureStep::Reply,
         FailureCause::ConnectionClosed, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedProxy proxy([&](SocketIPv4& conn, int) {
            ReadHttpRequest(conn);
            SendText(conn, c.reply);
        });
        auto socket = ClientFor(proxy, "user", "password");
        FailureReason failure;
        EXPECT_FALSE(ConnectHttpProxy(*socket, kTarget, kTargetPort, &failure));
        EXPECT_EQ(failure.route, RouteKind::HttpConnect);
        EXPECT_EQ(failure.step, c.step) << socket->proxyFailure;
        EXPECT_EQ(failure.cause, c.cause) << socket->proxyFailure;
        EXPECT_EQ(failure.status, c.status);
        EXPECT_EQ(failure.detail, c.detail);
        EXPECT_EQ(failure.host, "127.0.0.1");
        EXPECT_EQ(failure.port, proxy.Port());
        proxy.Stop();
        EXPECT_EQ(proxy.Connections(), 1);
    }
}

TEST(HttpConnectNegotiation, BasicGoesOnASecondConnectionWith401LikeA407) {
    for (const char* status : {"407 Proxy Authentication Required", "401 Unauthorized"}) {
        SCOPED_TRACE(status);
        Notes notes;
        ScriptedProxy proxy([&](SocketIPv4& c, int index) {
            std::string request = ReadHttpRequest(c);
            if (index == 0) {
                SendText(c, Challenge(status, "Proxy-Authenticate: Basic realm=\"corp\""));
                // The client closes the first connection at once.
                WaitForClose(c);
                notes.Add("first closed");
                return;
            }
            notes.Add(HeaderValue(request, "Proxy-Authorization"));
            SendText(c, kOk);
            Echo(c, 2000);
        });
        auto socket = ClientFor(proxy, "alice", "pa:ss");
        ASSERT_TRUE(ConnectHttpProxy(*socket, kTarget, kTargetPort)) << Trace(*socket);
        SendText(*socket, "x");
        EXPECT_EQ(ReadTunnel(*socket, 1), "x");
        proxy.Stop();
        EXPECT_EQ(notes.All(),
                  (std::vector<std::string>{
                      "first closed", "Basic " + Base64Encode(std::string_view("alice:pa:ss"))}));
        EXPECT_EQ(proxy.Connections(), 2);
        // No secret reaches the trace.
        std::string trace = Trace(*socket);
        EXPECT_EQ(trace.find("pa:ss"), std::string::npos) << trace;
        EXPECT_EQ(trace.find(Base64Encode(std::string_view("alice:pa:ss"))), std::string::npos);
    }
}

TEST(HttpConnectNegotiation, AChallengeHeaderNameInCapitalsIsAnswered) {
    Notes notes;
    ScriptedProxy proxy([&](SocketIPv4& c, int index) {
        std::string request = ReadHttpRequest(c);
        if (index == 0) {
            SendText(c, Challenge("407 Proxy Authentication Required",
                                  "PROXY-AUTHENTICATE: Basic realm=\"x\""));
            return;
        }
        notes.Add(HeaderValue(request, "Proxy-Authorization"));
        SendText(c, kOk);
    });
    auto socket = ClientFor(proxy, "alice", "secret");
    EXPECT_TRUE(ConnectHttpProxy(*socket, kTarget, kTargetPort)) << Trace(*socket);
    proxy.Stop();
    EXPECT_EQ(notes.At(0), "Basic " + Base64Encode(std::string_view("alice:secret")));
    EXPECT_EQ(proxy.Connections(), 2);
}

TEST(HttpConnectNegotiation, EmptyCredentialsEncodeASingleColon) {
    Notes notes;
    ScriptedProxy proxy([&](SocketIPv4& c, int index) {
        std::string request = ReadHttpRequest(c);
        if (index == 0) {
            SendText(c, Challenge("407 x", "Proxy-Authenticate: basic realm=\"r\""));
            return;
        }
        notes.Add(HeaderValue(request, "Proxy-Authorization"));
        SendText(c, kOk);
    });
    auto socket = ClientFor(proxy);
    EXPECT_TRUE(ConnectHttpProxy(*socket, kTarget, kTargetPort)) << Trace(*socket);
    proxy.Stop();
    EXPECT_EQ(notes.At(0), "Basic Og==");
}

TEST(HttpConnectNegotiation, ARefusedCredentialIsNotRetried) {
    ScriptedProxy proxy([](SocketIPv4& c, int) {
        ReadHttpRequest(c);
        SendText(c, Challenge("407 x", "Proxy-Authenticate: Basic realm=\"r\""));
        WaitForClose(c, 1000);
    });
    auto socket = ClientFor(proxy, "alice", "wrong");
    FailureReason failure;
    EXPECT_FALSE(ConnectHttpProxy(*socket, kTarget, kTargetPort, &failure));
    EXPECT_EQ(failure.step, FailureStep::Authenticate);
    EXPECT_EQ(failure.cause, FailureCause::CredentialsRefused) << socket->proxyFailure;
    EXPECT_EQ(failure.status, 407);
    EXPECT_EQ(failure.detail, "Basic");
    proxy.Stop();
    EXPECT_EQ(proxy.Connections(), 2);
}

TEST(HttpConnectNegotiation, AChallengeInALaterSegmentIsSeen) {
    ScriptedProxy proxy([](SocketIPv4& c, int index) {
        ReadHttpRequest(c);
        if (index == 0) {
            SendPieces(c, {"HTTP/1.0 407 Proxy Authentication Required\r\n", "Server: slow\r\n",
                           "Proxy-Authenticate: Ba", "sic realm=\"r\"\r", "\n\r", "\n"});
            return;
        }
        SendPieces(c, {"HTTP/1.0 20", "0 OK\r\n\r", "\nAFTER"});
        Echo(c, 2000);
    });
    auto socket = ClientFor(proxy, "u", "p");
    ASSERT_TRUE(ConnectHttpProxy(*socket, kTarget, kTargetPort)) << Trace(*socket);
    EXPECT_EQ(ReadTunnel(*socket, 5), "AFTER");
}

TEST(HttpConnectNegotiation, DigestWithoutAlgorithmIsAnsweredAsMd5) {
    Notes notes;
    ScriptedProxy proxy([&](SocketIPv4& c, int index) {
        std::string request = ReadHttpRequest(c);
        if (index == 0) {
            // The form squid sends: no algorithm directive.
            SendText(c, Challenge("407 x",
                                  "Proxy-Authenticate: Digest realm=\"corp\", "
                                  "nonce=\"abc123\", qop=\"auth\", stale=false"));
            return;
        }
        notes.Add(HeaderValue(request, "Proxy-Authorization"));
        SendText(c, kOk);
    });
    auto socket = ClientFor(proxy, "alice", "secret");
    ASSERT_TRUE(ConnectHttpProxy(*socket, kTarget, kTargetPort)) << Trace(*socket);
    proxy.Stop();
    std::string seen = notes.At(0);
    std::string ha1 = Md5Hex(std::string_view("alice:corp:secret"));
    std::string ha2 = Md5Hex(std::string_view("CONNECT:session.example:4000"));
    // The client nonce is the client's choice; the answer must use the one
    // it sends.
    size_t cnonceAt = seen.find("cnonce=\"");
    ASSERT_NE(cnonceAt, std::string::npos) << seen;
    cnonceAt += 8;
    std::string cnonce = seen.substr(cnonceAt, seen.find('"', cnonceAt) - cnonceAt);
    std::string response = Md5Hex(ha1 + ":abc123:00000001:" + cnonce + ":auth:" + ha2);
    EXPECT_NE(seen.find("response=\"" + response + "\""), std::string::npos) << seen;
    EXPECT_NE(seen.find("uri=\"session.example:4000\""), std::string::npos) << seen;
    EXPECT_NE(seen.find("algorithm=MD5"), std::string::npos) << seen;
    EXPECT_NE(seen.find("realm=\"corp\""), std::string::npos) << seen;
    EXPECT_NE(seen.find("nc=00000001"), std::string::npos) << seen;
}

TEST(HttpConnectNegotiation, NtlmReadsPastTheBodyOfTheType2Reply) {
    // A first challenge byte of 0 is a valid random challenge.
    const NtlmChallenge challenge = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77};
    Notes notes;
    ScriptedProxy proxy([&](SocketIPv4& c, int index) {
        std::string request = ReadHttpRequest(c);
        if (index == 0) {
            SendText(c, Challenge("407 x", "Proxy-Authenticate: NTLM"));
            return;
        }
        notes.Add(HeaderValue(request, "Proxy-Authorization"));
        std::string body = "<html>HTTP/1.0 200 this body is not the final answer</html>";
        SendText(c, "HTTP/1.0 407 Proxy Authentication Required\r\nProxy-Authenticate: NTLM " +
                        Type2(challenge, 2) + "\r\nContent-Length: " + std::to_string(body.size()) +
                        "\r\nProxy-Connection: keep-alive\r\n\r\n" + body);
        request = ReadHttpRequest(c);
        notes.Add(HeaderValue(request, "Proxy-Authorization"));
        SendText(c, kOk);
        Echo(c, 2000);
    });
    auto socket = ClientFor(proxy, "CORP\\alice", "Password");
    ASSERT_TRUE(ConnectHttpProxy(*socket, kTarget, kTargetPort)) << Trace(*socket);
    SendText(*socket, "tunnel");
    EXPECT_EQ(ReadTunnel(*socket, 6), "tunnel");
    proxy.Stop();
    EXPECT_EQ(proxy.Connections(), 2);

    std::string type1Header = notes.At(0);
    ASSERT_EQ(type1Header.rfind("NTLM ", 0), 0u);
    std::vector<uint8_t> type1 = Base64Decode(std::string_view(type1Header).substr(5));
    ASSERT_GE(type1.size(), 32u);
    EXPECT_EQ(type1[8], 1);

    std::string type3Header = notes.At(1);
    ASSERT_EQ(type3Header.rfind("NTLM ", 0), 0u);
    std::vector<uint8_t> type3 = Base64Decode(std::string_view(type3Header).substr(5));
    ASSERT_GE(type3.size(), 112u);
    EXPECT_EQ(type3[8], 3);
    size_t ntOffset = type3[24] | (type3[25] << 8);
    ASSERT_LE(ntOffset + 24, type3.size());
    NtlmResponse expected = MakeNtlmResponse(NtlmNtHash("Password"), challenge);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), type3.begin() + ntOffset));
    // Domain and user as the Type 3 carries them (UTF-16LE, at the offsets
    // of their security buffers).
    auto field = [&](size_t at) {
        size_t length = type3[at] | (type3[at + 1] << 8);
        size_t offset = type3[at + 4] | (type3[at + 5] << 8);
        std::string text;
        for (size_t i = offset; i + 1 < offset + length && i + 1 < type3.size(); i += 2) {
            text += char(type3[i]);
        }
        return text;
    };
    EXPECT_EQ(field(28), "CORP");
    EXPECT_EQ(field(36), "alice");
    EXPECT_EQ(Trace(*socket).find("Password"), std::string::npos);
}

TEST(HttpConnectNegotiation, NtlmAcceptedAtType1NeedsNoType3) {
    ScriptedProxy proxy([](SocketIPv4& c, int index) {
        ReadHttpRequest(c);
        SendText(c, index == 0 ? Challenge("407 x", "Proxy-Authenticate: Ntlm") : kOk);
        if (index == 1) {
            // Anything more from the client would be a Type 3, not tunnel data.
            EXPECT_EQ(ReadBytes(c, 4, 2000), "data");
        }
    });
    auto socket = ClientFor(proxy, "alice", "pw");
    ASSERT_TRUE(ConnectHttpProxy(*socket, kTarget, kTargetPort)) << Trace(*socket);
    SendText(*socket, "data");
}

TEST(HttpConnectNegotiation, NtlmSecondRoundFaultsFail) {
    struct Case {
        const char* name;
        std::string header;
        const char* reason;  // part of the log line
    };
    const Case cases[] = {
        {"no token", "Proxy-Authenticate: NTLM", "NTLM"},
        {"Ntlm word not taken here",
         "Proxy-Authenticate: Ntlm " + Type2({1, 2, 3, 4, 5, 6, 7, 8}, 2), "NTLM"},
        {"foreign message", "Proxy-Authenticate: NTLM " + Type2({1, 2, 3, 4, 5, 6, 7, 8}, 1),
         "not a challenge"},
        {"short message", "Proxy-Authenticate: NTLM TlRMTVNTUAACAAAA", "short"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedProxy proxy([&](SocketIPv4& conn, int index) {
            ReadHttpRequest(conn);
            SendText(conn, index == 0 ? Challenge("407 x", "Proxy-Authenticate: NTLM")
                                      : Challenge("407 x", c.header));
        });
        auto socket = ClientFor(proxy, "alice", "pw");
        FailureReason failure;
        EXPECT_FALSE(ConnectHttpProxy(*socket, kTarget, kTargetPort, &failure));
        EXPECT_EQ(failure.step, FailureStep::Authenticate);
        EXPECT_EQ(failure.cause, FailureCause::ReplyMalformed);
        // The log line tells the codec's finding apart for the technician.
        EXPECT_NE(socket->proxyFailure.find(c.reason), std::string::npos) << socket->proxyFailure;
    }
}

TEST(HttpConnectNegotiation, ASilentProxyIsEndedByTheTimeLimit) {
    ScriptedProxy proxy([](SocketIPv4& c, int) {
        ReadHttpRequest(c);
        WaitForClose(c);
    });
    auto socket = ClientFor(proxy);
    socket->proxyTimeoutMs = 300;
    FailureReason failure;
    EXPECT_FALSE(ConnectHttpProxy(*socket, kTarget, kTargetPort, &failure));
    EXPECT_EQ(failure.step, FailureStep::Reply);
    EXPECT_EQ(failure.cause, FailureCause::TimedOut) << socket->proxyFailure;
}

TEST(ProxyOperations, ARefusedProxyConnectionIsRefusedAtConnect) {
    uint16_t closed;
    {
        ListenerIPv4 listener;
        closed = listener.Port();
    }
    SocketIPv4 socket;
    socket.proxyHost.SetString(u"127.0.0.1");
    socket.proxyPort = closed;
    FailureReason expected{RouteKind::HttpConnect,
                           FailureStep::Connect,
                           FailureCause::Refused,
                           "127.0.0.1",
                           closed,
                           0,
                           ""};
    FailureReason failure;
    EXPECT_FALSE(ConnectHttpProxy(socket, kTarget, kTargetPort, &failure));
    EXPECT_EQ(failure, expected);
    expected.route = RouteKind::Socks4;
    EXPECT_FALSE(ConnectSocks4Proxy(socket, kTarget, kTargetPort, &failure));
    EXPECT_EQ(failure, expected);
    expected.route = RouteKind::Socks5;
    EXPECT_FALSE(ConnectSocks5Proxy(socket, kTarget, kTargetPort, &failure));
    EXPECT_EQ(failure, expected);
}

TEST(ProxyOperations, AnUnresolvableProxyHostThrows) {
    SocketIPv4 socket;
    socket.proxyHost.SetString(u"no-such-proxy.invalid");
    socket.proxyPort = 3128;
    FailureReason failure;
    EXPECT_THROW(ConnectHttpProxy(socket, kTarget, kTargetPort, &failure), SocketException);
    EXPECT_EQ(failure.step, FailureStep::Resolve);
    EXPECT_EQ(failure.cause, FailureCause::NameNotResolved);
    EXPECT_EQ(failure.host, "no-such-proxy.invalid");
    EXPECT_EQ(failure.port, 3128);
    EXPECT_THROW(ConnectSocks4Proxy(socket, kTarget, kTargetPort), SocketException);
    EXPECT_THROW(ConnectSocks5Proxy(socket, kTarget, kTargetPort), SocketException);
}

}  // namespace
}  // namespace ostiva::test
