// ConnectHttpProxy: the HTTP CONNECT handshake as a state
// machine. One plain request on a first connection; a 200 ends there. A 401
// or 407 names a scheme, and the credentials go on a fresh connection (the
// first is closed at once): one Basic or Digest request, or the NTLM Type 1
// and Type 3 requests. There is one authentication attempt; a further 401 or
// 407 is a failure.
//
//   Start --resolve--> ProxyResolved --connect--> Connected --plain--> PlainSent
//   PlainSent --200--> Tunnel
//   PlainSent --401/407, known scheme--> Challenged --new connection--> Reconnected
//   Reconnected --Basic/Digest--> CredentialsSent --200--> Tunnel
//   Reconnected --NTLM Type 1--> NegotiateSent --200--> Tunnel
//   NegotiateSent --401/407 with Type 2--> ChallengeTaken --Type 3--> CredentialsSent
//   any state --fault--> Failed

#include <string>

#include "proxy/Base64.h"
#include "proxy/CodecError.h"
#include "proxy/ConnectRequest.h"
#include "proxy/DigestChallenge.h"
#include "proxy/NtlmMessages.h"
#include "proxy/ProxyHandshakes.h"
#include "proxy/ProxyReply.h"
#include "proxy/ProxyStateMachine.h"
#include "proxy/ProxyTunnelIo.h"
#include "transport/AddressIPv4.h"
#include "transport/SocketIPv4.h"
#include "util/Format.h"
#include "util/Utf.h"

namespace ostiva {
namespace {

// Attempts at the authenticating connection, one right after the other.
constexpr int kReconnectAttempts = 3;
// Base64 text of a Type 3 with its terminator.
constexpr size_t kNtlmTokenBuffer = 1024;

enum class HttpConnectState {
    Start,
    ProxyResolved,
    Connected,
    PlainSent,
    Challenged,
    Reconnected,
    NegotiateSent,
    ChallengeTaken,
    CredentialsSent,
    Tunnel,
    Failed,
};

class HttpConnectNegotiation : public ProxyStateMachine<HttpConnectState> {
  public:
    using State = HttpConnectState;

    HttpConnectNegotiation(SocketIPv4& socket, std::u16string_view host, uint16_t port,
                           FailureReason* failure)
        : ProxyStateMachine(socket, RouteKind::HttpConnect, "HTTP CONNECT", failure),
          host_(ToUtf8(host)),
          port_(port) {}

  private:
    const char* Name(State state) const override {
        switch (state) {
            case State::Start:
                return "start";
            case State::ProxyResolved:
                return "proxy resolved";
            case State::Connected:
                return "connected";
            case State::PlainSent:
                return "plain request sent";
            case State::Challenged:
                return "challenged";
            case State::Reconnected:
                return "reconnected";
            case State::NegotiateSent:
                return "NTLM negotiate sent";
            case State::ChallengeTaken:
                return "NTLM challenge taken";
            case State::CredentialsSent:
                return "credentials sent";
            case State::Tunnel:
                return "tunnel";
            case State::Failed:
                return "failed";
        }
        return "?";
    }

    void Step() override {
        switch (state()) {
            case State::Start:
                return Resolve();
            case State::ProxyResolved:
                return ConnectFirst();
            case State::Connected:
                return SendPlain();
            case State::PlainSent:
                return ReadFirstReply();
            case State::Challenged:
                return Reconnect();
            case State::Reconnected:
                return SendCredentials();
            case State::NegotiateSent:
                return ReadNtlmChallenge();
            case State::ChallengeTaken:
                return SendNtlmAuthenticate();
            case State::CredentialsSent:
                return ReadFinalReply();
            case State::Tunnel:
            case State::Failed:
                return;
        }
    }

    void Resolve() { Enter(State::ProxyResolved, ResolveProxy()); }

    void ConnectFirst() {
        if (!TryConnect()) return FailConnect(kConnectFailed);
        Enter(State::Connected);
    }

    void SendPlain() {
        auto request = MakePlainConnectRequest(host_, port_);
        if (!request.ok()) return Fail(FailureStep::Request, request.error);
        if (!Send(request.value, FailureStep::Request)) return;
        Enter(State::PlainSent, FormatNarrow("CONNECT %s:%u", {host_, unsigned(port_)}));
    }

    // Reads one reply header into header_ and its parsed form into reply_;
    // false after failing.
    bool ReadReply(FailureStep step) {
        Deadline deadline(timeoutMs_);
        ProxyIoEnd end = ReceiveProxyReplyHeader(socket_, deadline, &header_);
        if (end != ProxyIoEnd::Complete) {
            Fail(step, end);
            return false;
        }
        reply_ = ParseProxyReply(header_);
        if (reply_.progress != ProxyReplyProgress::Complete) {
            Fail(step, reply_.error);
            return false;
        }
        return true;
    }

    static bool IsChallenge(int status) { return status == 401 || status == 407; }

    std::string StatusText() const { return FormatNarrow("status %d", {reply_.statusCode}); }

    void FailRefused(FailureStep step, std::string_view logFormat) {
        Fail(step, FailureCause::ProxyRefused, FormatNarrow(logFormat, {reply_.statusCode}),
             reply_.statusCode);
    }

    void ReadFirstReply() {
        if (!ReadReply(FailureStep::Reply)) return;
        if (reply_.statusCode == 200) return Enter(State::Tunnel, StatusText());
        if (!IsChallenge(reply_.statusCode)) {
            return FailRefused(FailureStep::Reply, "the proxy refused the tunnel (status %d)");
        }
        auto challenge = LocateProxyChallenge(header_);
        if (!challenge.ok()) return Fail(FailureStep::Authenticate, challenge.error);
        auto scheme = MatchProxyAuthScheme(challenge.value.value);
        if (!scheme.ok()) {
            std::string_view word = challenge.value.value;
            word = word.substr(0, word.find(' ')).substr(0, kProxySchemeMax);
            return Fail(
                FailureStep::Authenticate, FailureCause::SchemeNotOffered,
                FormatNarrow("the proxy asks for an unsupported authentication (%s)", {word}),
                reply_.statusCode, SchemeWord(word));
        }
        scheme_ = scheme.value;
        // The reply stays in header_: Digest reads its challenge from it.
        Enter(State::Challenged, FormatNarrow("%s, %s", {StatusText(), SchemeName()}));
    }

    const char* SchemeName() const {
        switch (scheme_) {
            case ProxyAuthScheme::Basic:
                return "Basic";
            case ProxyAuthScheme::Digest:
                return "Digest";
            case ProxyAuthScheme::Ntlm:
                return "NTLM";
        }
        return "?";
    }

    // A scheme word from the proxy as a reason may carry it: printable
    // ASCII only, so no control byte reaches a message.
    static std::string SchemeWord(std::string_view word) {
        std::string printable;
        for (char c : word) printable += c > ' ' && c < 0x7F ? c : '?';
        return printable;
    }

    void Reconnect() {
        // The challenged connection is closed at once; the credentials go on
        // a new one to the same address.
        for (int attempt = 1; attempt <= kReconnectAttempts; ++attempt) {
            if (TryConnect()) {
                return Enter(State::Reconnected, FormatNarrow("attempt %d", {attempt}));
            }
            if (socket_.IsShutDown()) break;
        }
        FailConnect("the proxy refused the authenticating connection");
    }

    void SendCredentials() {
        switch (scheme_) {
            case ProxyAuthScheme::Basic: {
                auto request = MakeBasicConnectRequest(host_, port_, socket_.proxyIdAnsi.view(),
                                                       socket_.proxyPasswordAnsi.view());
                return SendAuthenticated(request, State::CredentialsSent, "Basic");
            }
            case ProxyAuthScheme::Digest: {
                auto digest = MakeDigestResponse(header_, socket_.proxyIdAnsi.view(),
                                                 socket_.proxyPasswordAnsi.view(), host_, port_);
                if (!digest.ok()) return Fail(FailureStep::Authenticate, digest.error);
                auto request = MakeDigestConnectRequest(host_, port_, socket_.proxyIdAnsi.view(),
                                                        digest.value);
                return SendAuthenticated(request, State::CredentialsSent,
                                         FormatNarrow("Digest, qop \"%s\"", {digest.value.qop}));
            }
            case ProxyAuthScheme::Ntlm: {
                auto identity = MakeNtlmIdentity(socket_.proxyIdAnsi.view(),
                                                 socket_.proxyPasswordAnsi.view(), LocalHostName());
                if (!identity.ok()) return Fail(FailureStep::Authenticate, identity.error);
                ntlmIdentity_ = std::move(identity.value);
                auto type1 = MakeNtlmType1(ntlmIdentity_);
                if (!type1.ok()) return Fail(FailureStep::Authenticate, type1.error);
                auto request = MakeNtlmConnectRequest(host_, port_, Base64Encode(type1.value));
                return SendAuthenticated(request, State::NegotiateSent, "NTLM Type 1");
            }
        }
    }

    void SendAuthenticated(const CodecResult<std::string>& request, State next,
                           std::string_view what) {
        if (!request.ok()) return Fail(FailureStep::Authenticate, request.error);
        if (!Send(request.value, FailureStep::Authenticate)) return;
        Enter(next, what);
    }

    void ReadNtlmChallenge() {
        if (!ReadReply(FailureStep::Authenticate)) return;
        if (reply_.statusCode == 200) return Enter(State::Tunnel, StatusText());
        if (!IsChallenge(reply_.statusCode)) {
            return FailRefused(FailureStep::Authenticate,
                               "the proxy refused the NTLM negotiation (status %d)");
        }
        auto challenge = LocateProxyChallenge(header_);
        if (!challenge.ok()) return Fail(FailureStep::Authenticate, challenge.error);
        auto token = ReadNtlmChallengeToken(challenge.value.value);
        if (!token.ok()) return Fail(FailureStep::Authenticate, token.error);
        auto type2 = ReadNtlmType2(token.value);
        if (!type2.ok()) return Fail(FailureStep::Authenticate, type2.error);
        ntlmChallenge_ = type2.value;
        // The Type 3 goes on this connection, so the body of this reply must
        // be out of the way first.
        if (reply_.contentLength && *reply_.contentLength > 0) {
            if (*reply_.contentLength > kProxyReplyMaxBody) {
                return Fail(FailureStep::Authenticate, FailureCause::ReplyTooLarge,
                            "the proxy's challenge reply has an oversized body");
            }
            ProxyIoEnd end = DiscardFromProxy(socket_, *reply_.contentLength, Deadline(timeoutMs_));
            if (end != ProxyIoEnd::Complete) return Fail(FailureStep::Authenticate, end);
        }
        Enter(State::ChallengeTaken, StatusText());
    }

    void SendNtlmAuthenticate() {
        auto type3 = MakeNtlmType3(ntlmIdentity_, ntlmChallenge_);
        if (!type3.ok()) return Fail(FailureStep::Authenticate, type3.error);
        // The Base64 text with room for a terminator, as a fixed buffer.
        if (Base64EncodedLength(type3.value.size()) + 1 > kNtlmTokenBuffer) {
            return Fail(FailureStep::Authenticate, CodecError::RequestTooLarge);
        }
        auto request = MakeNtlmConnectRequest(host_, port_, Base64Encode(type3.value));
        SendAuthenticated(request, State::CredentialsSent, "NTLM Type 3");
    }

    void ReadFinalReply() {
        if (!ReadReply(FailureStep::Reply)) return;
        if (reply_.statusCode == 200) return Enter(State::Tunnel, StatusText());
        if (IsChallenge(reply_.statusCode)) {
            return Fail(FailureStep::Authenticate, FailureCause::CredentialsRefused,
                        FormatNarrow("the proxy refused the %s credentials (status %d)",
                                     {SchemeName(), reply_.statusCode}),
                        reply_.statusCode, SchemeName());
        }
        FailRefused(FailureStep::Reply, "the proxy refused the tunnel (status %d)");
    }

    std::string host_;
    uint16_t port_;
    std::string header_;
    ProxyReplyHeader reply_;
    ProxyAuthScheme scheme_ = ProxyAuthScheme::Basic;
    // The NTLM exchange of this one run: the identity from the proxy
    // settings and this computer, and the proxy's challenge.
    NtlmIdentity ntlmIdentity_;
    NtlmChallenge ntlmChallenge_{};
};

}  // namespace

bool ConnectHttpProxy(SocketIPv4& socket, std::u16string_view host, uint16_t port,
                      FailureReason* failure) {
    return HttpConnectNegotiation(socket, host, port, failure).Run();
}

}  // namespace ostiva
