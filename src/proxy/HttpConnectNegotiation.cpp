// SocketIPv4::ConnectHttpProxy: the HTTP CONNECT handshake as a state
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
#include "proxy/ProxyReply.h"
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

class HttpConnectNegotiation {
  public:
    enum class State {
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

    HttpConnectNegotiation(SocketIPv4& socket, std::u16string_view host, uint16_t port)
        : socket_(socket),
          log_(socket, "HTTP CONNECT"),
          host_(ToUtf8(host)),
          port_(port),
          timeoutMs_(ProxyTimeoutOf(socket)) {}

    // Throws SocketException when the proxy host cannot be resolved.
    bool Run() {
        while (state_ != State::Tunnel && state_ != State::Failed) Step();
        return state_ == State::Tunnel;
    }

  private:
    static const char* Name(State state) {
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

    // The one place where the state changes.
    void Enter(State next, std::string_view detail = {}) {
        if (next == State::Failed) {
            log_.Failure(Name(state_), detail);
        } else {
            log_.Transition(Name(state_), Name(next), detail);
        }
        state_ = next;
    }

    void Fail(std::string_view reason) { Enter(State::Failed, reason); }
    void Fail(CodecError error) { Fail(DescribeCodecError(error)); }

    void Step() {
        switch (state_) {
            case State::Start:
                return ResolveProxy();
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

    void ResolveProxy() {
        // The resolver's SocketException goes to the caller, with the
        // failure on the trace.
        try {
            proxy_ =
                AddressIPv4::Resolve(socket_.proxyHost, static_cast<uint16_t>(socket_.proxyPort));
        } catch (...) {
            Fail("the proxy host cannot be resolved");
            throw;
        }
        Enter(State::ProxyResolved,
              ToUtf8(FormatWide(u"%s:%u", {proxy_.ToString(), unsigned(proxy_.GetPort())})));
    }

    void ConnectFirst() {
        // Whatever an earlier attempt left on the handle is not reused.
        socket_.Reopen();
        if (!ConnectToProxy(socket_, proxy_, timeoutMs_)) {
            return Fail(socket_.IsShutDown() ? "cancelled"
                                             : "the proxy refused the connection or did not "
                                               "answer in time");
        }
        Enter(State::Connected);
    }

    void SendPlain() {
        auto request = MakePlainConnectRequest(host_, port_);
        if (!request.ok()) return Fail(request.error);
        if (!SendToProxy(socket_, request.value)) return Fail("sending to the proxy failed");
        Enter(State::PlainSent, FormatNarrow("CONNECT %s:%u", {host_, unsigned(port_)}));
    }

    // Reads one reply header into header_ and its parsed form into reply_;
    // false after failing.
    bool ReadReply() {
        Deadline deadline(timeoutMs_);
        ProxyIoEnd end = ReceiveProxyReplyHeader(socket_, deadline, &header_);
        if (end != ProxyIoEnd::Complete) {
            Fail(DescribeProxyIoEnd(end));
            return false;
        }
        reply_ = ParseProxyReply(header_);
        if (reply_.progress != ProxyReplyProgress::Complete) {
            Fail(reply_.error);
            return false;
        }
        return true;
    }

    static bool IsChallenge(int status) { return status == 401 || status == 407; }

    std::string StatusText() const { return FormatNarrow("status %d", {reply_.statusCode}); }

    void ReadFirstReply() {
        if (!ReadReply()) return;
        if (reply_.statusCode == 200) return Enter(State::Tunnel, StatusText());
        if (!IsChallenge(reply_.statusCode)) {
            return Fail(
                FormatNarrow("the proxy refused the tunnel (status %d)", {reply_.statusCode}));
        }
        auto challenge = LocateProxyChallenge(header_);
        if (!challenge.ok()) return Fail(challenge.error);
        auto scheme = MatchProxyAuthScheme(challenge.value.value);
        if (!scheme.ok()) {
            std::string_view word = challenge.value.value;
            word = word.substr(0, word.find(' '));
            return Fail(FormatNarrow("the proxy asks for an unsupported authentication (%s)",
                                     {word.substr(0, kProxySchemeMax)}));
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

    void Reconnect() {
        // The challenged connection is closed at once; the credentials go on
        // a new one to the same address.
        for (int attempt = 1; attempt <= kReconnectAttempts; ++attempt) {
            socket_.Reopen();
            if (ConnectToProxy(socket_, proxy_, timeoutMs_)) {
                return Enter(State::Reconnected, FormatNarrow("attempt %d", {attempt}));
            }
            if (socket_.IsShutDown()) return Fail("cancelled");
        }
        Fail("the proxy refused the authenticating connection");
    }

    void SendCredentials() {
        switch (scheme_) {
            case ProxyAuthScheme::Basic: {
                auto request = MakeBasicConnectRequest(host_, port_, socket_.proxyIdAnsi.view(),
                                                       socket_.proxyPasswordAnsi.view());
                return SendAuthenticated(request, State::CredentialsSent, "Basic");
            }
            case ProxyAuthScheme::Digest: {
                CodecError error = CodecError::None;
                if (!socket_.MakeDigestResponse(header_, host_, port_, &error)) return Fail(error);
                DigestResponse digest;
                digest.realm = socket_.digestRealm;
                digest.nonce = socket_.digestNonce;
                digest.cnonce = socket_.digestCnonce;
                digest.nonceCount = socket_.digestNonceCount;
                digest.response = socket_.digestResponse;
                digest.qop = socket_.digestQop;
                digest.opaque = socket_.digestOpaque;
                auto request =
                    MakeDigestConnectRequest(host_, port_, socket_.proxyIdAnsi.view(), digest);
                return SendAuthenticated(request, State::CredentialsSent,
                                         FormatNarrow("Digest, qop \"%s\"", {socket_.digestQop}));
            }
            case ProxyAuthScheme::Ntlm: {
                std::vector<uint8_t> type1;
                CodecError error = CodecError::None;
                if (!socket_.MakeNtlmType1(&type1, &error)) return Fail(error);
                auto request = MakeNtlmConnectRequest(host_, port_, Base64Encode(type1));
                return SendAuthenticated(request, State::NegotiateSent, "NTLM Type 1");
            }
        }
    }

    void SendAuthenticated(const CodecResult<std::string>& request, State next,
                           std::string_view what) {
        if (!request.ok()) return Fail(request.error);
        if (!SendToProxy(socket_, request.value)) return Fail("sending to the proxy failed");
        Enter(next, what);
    }

    void ReadNtlmChallenge() {
        if (!ReadReply()) return;
        if (reply_.statusCode == 200) return Enter(State::Tunnel, StatusText());
        if (!IsChallenge(reply_.statusCode)) {
            return Fail(FormatNarrow("the proxy refused the NTLM negotiation (status %d)",
                                     {reply_.statusCode}));
        }
        auto challenge = LocateProxyChallenge(header_);
        if (!challenge.ok()) return Fail(challenge.error);
        auto token = ReadNtlmChallengeToken(challenge.value.value);
        if (!token.ok()) return Fail(token.error);
        auto type2 = ReadNtlmType2(token.value);
        if (!type2.ok()) return Fail(type2.error);
        socket_.ntlmChallenge = type2.value;
        // The Type 3 goes on this connection, so the body of this reply must
        // be out of the way first.
        if (reply_.contentLength && *reply_.contentLength > 0) {
            if (*reply_.contentLength > kProxyReplyMaxBody) {
                return Fail("the proxy's challenge reply has an oversized body");
            }
            ProxyIoEnd end = DiscardFromProxy(socket_, *reply_.contentLength, Deadline(timeoutMs_));
            if (end != ProxyIoEnd::Complete) return Fail(DescribeProxyIoEnd(end));
        }
        Enter(State::ChallengeTaken, StatusText());
    }

    void SendNtlmAuthenticate() {
        char token[kNtlmTokenBuffer];
        CodecError error = CodecError::None;
        size_t length = socket_.MakeNtlmType3(token, sizeof token, &error);
        if (length == 0) return Fail(error);
        auto request = MakeNtlmConnectRequest(host_, port_, std::string_view(token, length));
        SendAuthenticated(request, State::CredentialsSent, "NTLM Type 3");
    }

    void ReadFinalReply() {
        if (!ReadReply()) return;
        if (reply_.statusCode == 200) return Enter(State::Tunnel, StatusText());
        if (IsChallenge(reply_.statusCode)) {
            return Fail(FormatNarrow("the proxy refused the %s credentials (status %d)",
                                     {SchemeName(), reply_.statusCode}));
        }
        Fail(FormatNarrow("the proxy refused the tunnel (status %d)", {reply_.statusCode}));
    }

    SocketIPv4& socket_;
    ProxyStateLog log_;
    State state_ = State::Start;
    std::string host_;
    uint16_t port_;
    int timeoutMs_;
    AddressIPv4 proxy_;
    std::string header_;
    ProxyReplyHeader reply_;
    ProxyAuthScheme scheme_ = ProxyAuthScheme::Basic;
};

}  // namespace

bool SocketIPv4::ConnectHttpProxy(std::u16string_view host, uint16_t port) {
    return HttpConnectNegotiation(*this, host, port).Run();
}

}  // namespace ostiva
