// ConnectSocks4Proxy and ConnectSocks5Proxy: the SOCKS
// handshakes as state machines. Each attempt opens a fresh handle (an HTTP
// CONNECT attempt before it may have connected the old one to the same
// proxy), every reply is awaited within the socket's proxy time limit, and
// a reply is read to its own end and no further.
//
//   SOCKS4: Start --resolve--> ProxyResolved --connect--> Connected
//           --request--> RequestSent --90--> Tunnel
//   SOCKS5: Start --resolve--> ProxyResolved --connect--> Connected
//           --greeting--> GreetingSent --method 0--> ConnectSent
//           GreetingSent --method 2--> AuthSent --status 0--> ConnectSent
//           ConnectSent --reply 0--> Tunnel
//   any state --fault--> Failed

#include <string>

#include "proxy/CodecError.h"
#include "proxy/ProxyHandshakes.h"
#include "proxy/ProxyStateMachine.h"
#include "proxy/ProxyTunnelIo.h"
#include "proxy/SocksMessages.h"
#include "transport/AddressIPv4.h"
#include "transport/SocketIPv4.h"
#include "util/Exception.h"
#include "util/Format.h"
#include "util/Utf.h"

namespace ostiva {
namespace {

const char* Socks4ReplyText(uint8_t code) {
    switch (code) {
        case 91:
            return "request rejected or failed";
        case 92:
            return "the proxy could not reach this computer's identd";
        case 93:
            return "the proxy's identd check failed";
        default:
            return "unknown reply";
    }
}

const char* Socks5ReplyText(uint8_t code) {
    switch (code) {
        case 1:
            return "general failure";
        case 2:
            return "not allowed by the proxy's rules";
        case 3:
            return "network unreachable";
        case 4:
            return "host unreachable";
        case 5:
            return "connection refused";
        case 6:
            return "TTL expired";
        case 7:
            return "command not supported";
        case 8:
            return "address type not supported";
        default:
            return "unknown reply";
    }
}

// The target as SOCKS sends it: its IPv4 address when the name resolves
// here, otherwise the name for the proxy to resolve.
SocksTarget ResolveTarget(const std::string& name, std::u16string_view host, uint16_t port) {
    SocksTarget target;
    target.name = name;
    target.port = port;
    try {
        AddressIPv4 address = AddressIPv4::Resolve(host, port);
        uint32_t value = address.GetAddress();
        target.address = std::array<uint8_t, 4>{uint8_t(value >> 24), uint8_t(value >> 16),
                                                uint8_t(value >> 8), uint8_t(value)};
    } catch (const Exception&) {
        // Not a failure: the proxy gets the name.
    }
    return target;
}

// What both handshakes add to the state machine: the target's name and
// reading a reply through its checker.
template <class State>
class SocksHandshake : public ProxyStateMachine<State> {
  protected:
    using Base = ProxyStateMachine<State>;

    SocksHandshake(SocketIPv4& socket, RouteKind route, std::string_view method,
                   std::u16string_view host, uint16_t port, FailureReason* failure)
        : Base(socket, route, method, failure), host_(host), name_(ToUtf8(host)), port_(port) {}

    // False, after failing, when the target name cannot go into a SOCKS
    // request. Checked before any connection is made.
    bool CheckName() {
        if (name_.size() <= kSocksMaxNameBytes) return true;
        Base::Fail(FailureStep::Request, FailureCause::RequestNotSendable,
                   FormatNarrow("the server name is longer than %u bytes",
                                {unsigned(kSocksMaxNameBytes)}));
        return false;
    }

    // Receives one reply until `check` no longer says Incomplete. False,
    // after failing at `step`, when the transfer ends first; otherwise the
    // check's verdict is in `*result`.
    template <class Check>
    bool Receive(Check check, FailureStep step, SocksReplyCheck* result) {
        std::vector<uint8_t> received;
        Deadline deadline(Base::timeoutMs_);
        for (;;) {
            *result = check(std::span<const uint8_t>(received));
            if (result->verdict != SocksVerdict::Incomplete) return true;
            ProxyIoEnd end =
                ReceiveMoreFromProxy(Base::socket_, &received, result->length, deadline);
            if (end != ProxyIoEnd::Complete) {
                Base::Fail(step, end);
                return false;
            }
        }
    }

    std::u16string host_;
    std::string name_;
    uint16_t port_;
};

enum class Socks4State { Start, ProxyResolved, Connected, RequestSent, Tunnel, Failed };

class Socks4Handshake : public SocksHandshake<Socks4State> {
  public:
    using State = Socks4State;

    Socks4Handshake(SocketIPv4& socket, std::u16string_view host, uint16_t port,
                    FailureReason* failure)
        : SocksHandshake(socket, RouteKind::Socks4, "SOCKS4", host, port, failure) {}

  private:
    const char* Name(State state) const override {
        switch (state) {
            case State::Start:
                return "start";
            case State::ProxyResolved:
                return "proxy resolved";
            case State::Connected:
                return "connected";
            case State::RequestSent:
                return "request sent";
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
                if (!CheckName()) return;
                return Enter(State::ProxyResolved, ResolveProxy());
            case State::ProxyResolved:
                if (!TryConnect()) return FailConnect(kConnectFailed);
                return Enter(State::Connected);
            case State::Connected: {
                SocksTarget target = ResolveTarget(name_, host_, port_);
                auto request = MakeSocks4Request(target);
                if (!request.ok()) return Fail(FailureStep::Request, request.error);
                if (!Send(request.value, FailureStep::Request)) return;
                return Enter(State::RequestSent,
                             target.address ? "by address" : "SOCKS4a, by name");
            }
            case State::RequestSent: {
                SocksReplyCheck reply;
                if (!Receive(CheckSocks4Reply, FailureStep::Reply, &reply)) return;
                if (reply.verdict == SocksVerdict::Granted) return Enter(State::Tunnel, "granted");
                if (reply.verdict == SocksVerdict::Refused) {
                    return Fail(FailureStep::Reply, FailureCause::ProxyRefused,
                                FormatNarrow("the proxy refused the tunnel (%u, %s)",
                                             {unsigned(reply.code), Socks4ReplyText(reply.code)}),
                                reply.code);
                }
                return Fail(FailureStep::Reply, FailureCause::ReplyMalformed,
                            "the proxy's reply is not a SOCKS4 reply");
            }
            case State::Tunnel:
            case State::Failed:
                return;
        }
    }
};

enum class Socks5State {
    Start,
    ProxyResolved,
    Connected,
    GreetingSent,
    AuthSent,
    ConnectSent,
    Tunnel,
    Failed
};

class Socks5Handshake : public SocksHandshake<Socks5State> {
  public:
    using State = Socks5State;

    Socks5Handshake(SocketIPv4& socket, std::u16string_view host, uint16_t port,
                    FailureReason* failure)
        : SocksHandshake(socket, RouteKind::Socks5, "SOCKS5", host, port, failure),
          offerUserPassword_(!socket.proxyIdAnsi.IsEmpty()) {}

  private:
    const char* Name(State state) const override {
        switch (state) {
            case State::Start:
                return "start";
            case State::ProxyResolved:
                return "proxy resolved";
            case State::Connected:
                return "connected";
            case State::GreetingSent:
                return "greeting sent";
            case State::AuthSent:
                return "user name and password sent";
            case State::ConnectSent:
                return "connect request sent";
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
                return Start();
            case State::ProxyResolved:
                if (!TryConnect()) return FailConnect(kConnectFailed);
                return Enter(State::Connected);
            case State::Connected:
                if (!Send(MakeSocks5Greeting(offerUserPassword_), FailureStep::Request)) return;
                return Enter(State::GreetingSent, offerUserPassword_
                                                      ? "offers username/password and none"
                                                      : "offers no authentication");
            case State::GreetingSent:
                return ReadMethod();
            case State::AuthSent:
                return ReadAuthReply();
            case State::ConnectSent:
                return ReadConnectReply();
            case State::Tunnel:
            case State::Failed:
                return;
        }
    }

    void Start() {
        // Everything that could not be sent is refused before connecting.
        if (!CheckName()) return;
        if (offerUserPassword_) {
            auto auth = MakeSocks5UserPassRequest(socket_.proxyIdAnsi.view(),
                                                  socket_.proxyPasswordAnsi.view());
            if (!auth.ok()) return Fail(FailureStep::Authenticate, auth.error);
            auth_ = std::move(auth.value);
        }
        Enter(State::ProxyResolved, ResolveProxy());
    }

    void SendConnect(std::string_view why) {
        SocksTarget target = ResolveTarget(name_, host_, port_);
        auto request = MakeSocks5ConnectRequest(target);
        if (!request.ok()) return Fail(FailureStep::Request, request.error);
        if (!Send(request.value, FailureStep::Request)) return;
        Enter(State::ConnectSent,
              FormatNarrow("%s; %s", {why, target.address ? "by address" : "by name"}));
    }

    void ReadMethod() {
        SocksReplyCheck reply;
        bool offered = offerUserPassword_;
        auto check = [offered](std::span<const uint8_t> bytes) {
            return CheckSocks5MethodReply(bytes, offered);
        };
        if (!Receive(check, FailureStep::Authenticate, &reply)) return;
        if (reply.verdict == SocksVerdict::Refused) {
            return Fail(FailureStep::Authenticate, FailureCause::SchemeNotOffered,
                        "the proxy accepts none of the offered methods", reply.code);
        }
        if (reply.verdict == SocksVerdict::Malformed) {
            if (reply.code == kSocks5MethodUserPassword) {
                return Fail(FailureStep::Authenticate, FailureCause::CredentialsMissing,
                            "the proxy asks for a user name and password, and none is set");
            }
            return Fail(FailureStep::Authenticate, FailureCause::ReplyMalformed,
                        "the proxy's reply is not a SOCKS5 reply");
        }
        if (reply.code == kSocks5MethodNone) return SendConnect("no authentication");
        if (!Send(auth_, FailureStep::Authenticate)) return;
        Enter(State::AuthSent);
    }

    void ReadAuthReply() {
        SocksReplyCheck reply;
        if (!Receive(CheckSocks5UserPassReply, FailureStep::Authenticate, &reply)) return;
        if (reply.verdict != SocksVerdict::Granted) {
            return Fail(FailureStep::Authenticate, FailureCause::CredentialsRefused,
                        "the proxy refused the user name or password", reply.code);
        }
        SendConnect("username/password accepted");
    }

    void ReadConnectReply() {
        SocksReplyCheck reply;
        if (!Receive(CheckSocks5ConnectReply, FailureStep::Reply, &reply)) return;
        if (reply.verdict == SocksVerdict::Granted) {
            return Enter(State::Tunnel,
                         FormatNarrow("granted, %u-byte reply", {unsigned(reply.length)}));
        }
        if (reply.verdict == SocksVerdict::Refused) {
            return Fail(FailureStep::Reply, FailureCause::ProxyRefused,
                        FormatNarrow("the proxy refused the tunnel (%u, %s)",
                                     {unsigned(reply.code), Socks5ReplyText(reply.code)}),
                        reply.code);
        }
        Fail(FailureStep::Reply, FailureCause::ReplyMalformed,
             "the proxy's reply is not a SOCKS5 reply");
    }

    bool offerUserPassword_;
    std::vector<uint8_t> auth_;
};

}  // namespace

bool ConnectSocks4Proxy(SocketIPv4& socket, std::u16string_view host, uint16_t port,
                        FailureReason* failure) {
    return Socks4Handshake(socket, host, port, failure).Run();
}

bool ConnectSocks5Proxy(SocketIPv4& socket, std::u16string_view host, uint16_t port,
                        FailureReason* failure) {
    return Socks5Handshake(socket, host, port, failure).Run();
}

}  // namespace ostiva
