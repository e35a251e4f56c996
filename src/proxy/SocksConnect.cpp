// SocketIPv4::ConnectSocks4Proxy and ConnectSocks5Proxy: the SOCKS
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

// What both handshakes share: the state log, the proxy address, the fresh
// connection and reading a reply through its checker.
class SocksHandshake {
  protected:
    SocksHandshake(SocketIPv4& socket, std::string_view method, std::u16string_view host,
                   uint16_t port)
        : socket_(socket),
          log_(socket, method),
          host_(host),
          name_(ToUtf8(host)),
          port_(port),
          timeoutMs_(ProxyTimeoutOf(socket)) {}

    // Why the target name cannot go into a SOCKS request, or empty. Checked
    // before any connection is made.
    std::string NameProblem() const {
        if (name_.size() <= kSocksMaxNameBytes) return {};
        return FormatNarrow("the server name is longer than %u bytes",
                            {unsigned(kSocksMaxNameBytes)});
    }

    // The proxy's address as text for the trace. Throws SocketException
    // when the proxy host cannot be resolved.
    std::string ResolveProxy() {
        proxy_ = AddressIPv4::Resolve(socket_.proxyHost, static_cast<uint16_t>(socket_.proxyPort));
        return ToUtf8(FormatWide(u"%s:%u", {proxy_.ToString(), unsigned(proxy_.GetPort())}));
    }

    static constexpr const char* kUnresolvable = "the proxy host cannot be resolved";

    // A fresh handle connected to the proxy; the failure reason otherwise.
    std::string ConnectFresh() {
        socket_.Reopen();
        if (ConnectToProxy(socket_, proxy_, timeoutMs_)) return {};
        if (socket_.IsShutDown()) return "cancelled";
        return "the proxy refused the connection or did not answer in time";
    }

    std::string Send(std::span<const uint8_t> bytes) {
        return SendToProxy(socket_, bytes) ? std::string() : "sending to the proxy failed";
    }

    // Receives one reply until `check` no longer says Incomplete. Empty
    // reason: the check's verdict is in `*result`.
    template <class Check>
    std::string Receive(Check check, SocksReplyCheck* result) {
        std::vector<uint8_t> received;
        Deadline deadline(timeoutMs_);
        for (;;) {
            *result = check(std::span<const uint8_t>(received));
            if (result->verdict != SocksVerdict::Incomplete) return {};
            ProxyIoEnd end = ReceiveMoreFromProxy(socket_, &received, result->length, deadline);
            if (end != ProxyIoEnd::Complete) return DescribeProxyIoEnd(end);
        }
    }

    SocketIPv4& socket_;
    ProxyStateLog log_;
    std::u16string host_;
    std::string name_;
    uint16_t port_;
    int timeoutMs_;
    AddressIPv4 proxy_;
};

class Socks4Handshake : SocksHandshake {
  public:
    enum class State { Start, ProxyResolved, Connected, RequestSent, Tunnel, Failed };

    Socks4Handshake(SocketIPv4& socket, std::u16string_view host, uint16_t port)
        : SocksHandshake(socket, "SOCKS4", host, port) {}

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
            case State::RequestSent:
                return "request sent";
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

    void Step() {
        switch (state_) {
            case State::Start: {
                std::string problem = NameProblem();
                if (!problem.empty()) return Enter(State::Failed, problem);
                std::string where;
                try {
                    where = ResolveProxy();
                } catch (...) {
                    Enter(State::Failed, kUnresolvable);
                    throw;
                }
                return Enter(State::ProxyResolved, where);
            }
            case State::ProxyResolved: {
                std::string failure = ConnectFresh();
                if (!failure.empty()) return Enter(State::Failed, failure);
                return Enter(State::Connected);
            }
            case State::Connected: {
                SocksTarget target = ResolveTarget(name_, host_, port_);
                auto request = MakeSocks4Request(target);
                if (!request.ok()) return Enter(State::Failed, DescribeCodecError(request.error));
                std::string failure = Send(request.value);
                if (!failure.empty()) return Enter(State::Failed, failure);
                return Enter(State::RequestSent,
                             target.address ? "by address" : "SOCKS4a, by name");
            }
            case State::RequestSent: {
                SocksReplyCheck reply;
                std::string failure = Receive(CheckSocks4Reply, &reply);
                if (!failure.empty()) return Enter(State::Failed, failure);
                if (reply.verdict == SocksVerdict::Granted) return Enter(State::Tunnel, "granted");
                if (reply.verdict == SocksVerdict::Refused) {
                    return Enter(State::Failed,
                                 FormatNarrow("the proxy refused the tunnel (%u, %s)",
                                              {unsigned(reply.code), Socks4ReplyText(reply.code)}));
                }
                return Enter(State::Failed, "the proxy's reply is not a SOCKS4 reply");
            }
            case State::Tunnel:
            case State::Failed:
                return;
        }
    }

    State state_ = State::Start;
};

class Socks5Handshake : SocksHandshake {
  public:
    enum class State {
        Start,
        ProxyResolved,
        Connected,
        GreetingSent,
        AuthSent,
        ConnectSent,
        Tunnel,
        Failed
    };

    Socks5Handshake(SocketIPv4& socket, std::u16string_view host, uint16_t port)
        : SocksHandshake(socket, "SOCKS5", host, port),
          offerUserPassword_(!socket.proxyIdAnsi.IsEmpty()) {}

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

    // The one place where the state changes.
    void Enter(State next, std::string_view detail = {}) {
        if (next == State::Failed) {
            log_.Failure(Name(state_), detail);
        } else {
            log_.Transition(Name(state_), Name(next), detail);
        }
        state_ = next;
    }

    void Step() {
        switch (state_) {
            case State::Start:
                return Start();
            case State::ProxyResolved: {
                std::string failure = ConnectFresh();
                if (!failure.empty()) return Enter(State::Failed, failure);
                return Enter(State::Connected);
            }
            case State::Connected: {
                std::string failure = Send(MakeSocks5Greeting(offerUserPassword_));
                if (!failure.empty()) return Enter(State::Failed, failure);
                return Enter(State::GreetingSent, offerUserPassword_
                                                      ? "offers username/password and none"
                                                      : "offers no authentication");
            }
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
        std::string problem = NameProblem();
        if (!problem.empty()) return Enter(State::Failed, problem);
        if (offerUserPassword_) {
            auto auth = MakeSocks5UserPassRequest(socket_.proxyIdAnsi.view(),
                                                  socket_.proxyPasswordAnsi.view());
            if (!auth.ok()) return Enter(State::Failed, DescribeCodecError(auth.error));
            auth_ = std::move(auth.value);
        }
        std::string where;
        try {
            where = ResolveProxy();
        } catch (...) {
            Enter(State::Failed, kUnresolvable);
            throw;
        }
        Enter(State::ProxyResolved, where);
    }

    void SendConnect(std::string_view why) {
        SocksTarget target = ResolveTarget(name_, host_, port_);
        auto request = MakeSocks5ConnectRequest(target);
        if (!request.ok()) return Enter(State::Failed, DescribeCodecError(request.error));
        std::string failure = Send(request.value);
        if (!failure.empty()) return Enter(State::Failed, failure);
        Enter(State::ConnectSent,
              FormatNarrow("%s; %s", {why, target.address ? "by address" : "by name"}));
    }

    void ReadMethod() {
        SocksReplyCheck reply;
        bool offered = offerUserPassword_;
        std::string failure = Receive(
            [offered](std::span<const uint8_t> bytes) {
                return CheckSocks5MethodReply(bytes, offered);
            },
            &reply);
        if (!failure.empty()) return Enter(State::Failed, failure);
        if (reply.verdict == SocksVerdict::Refused) {
            return Enter(State::Failed, "the proxy accepts none of the offered methods");
        }
        if (reply.verdict == SocksVerdict::Malformed) {
            if (reply.code == kSocks5MethodUserPassword) {
                return Enter(State::Failed,
                             "the proxy asks for a user name and password, and none is set");
            }
            return Enter(State::Failed, "the proxy's reply is not a SOCKS5 reply");
        }
        if (reply.code == kSocks5MethodNone) return SendConnect("no authentication");
        std::string sendFailure = Send(auth_);
        if (!sendFailure.empty()) return Enter(State::Failed, sendFailure);
        Enter(State::AuthSent);
    }

    void ReadAuthReply() {
        SocksReplyCheck reply;
        std::string failure = Receive(CheckSocks5UserPassReply, &reply);
        if (!failure.empty()) return Enter(State::Failed, failure);
        if (reply.verdict != SocksVerdict::Granted) {
            return Enter(State::Failed, "the proxy refused the user name or password");
        }
        SendConnect("username/password accepted");
    }

    void ReadConnectReply() {
        SocksReplyCheck reply;
        std::string failure = Receive(CheckSocks5ConnectReply, &reply);
        if (!failure.empty()) return Enter(State::Failed, failure);
        if (reply.verdict == SocksVerdict::Granted) {
            return Enter(State::Tunnel,
                         FormatNarrow("granted, %u-byte reply", {unsigned(reply.length)}));
        }
        if (reply.verdict == SocksVerdict::Refused) {
            return Enter(State::Failed,
                         FormatNarrow("the proxy refused the tunnel (%u, %s)",
                                      {unsigned(reply.code), Socks5ReplyText(reply.code)}));
        }
        Enter(State::Failed, "the proxy's reply is not a SOCKS5 reply");
    }

    State state_ = State::Start;
    bool offerUserPassword_;
    std::vector<uint8_t> auth_;
};

}  // namespace

bool SocketIPv4::ConnectSocks4Proxy(std::u16string_view host, uint16_t port) {
    return Socks4Handshake(*this, host, port).Run();
}

bool SocketIPv4::ConnectSocks5Proxy(std::u16string_view host, uint16_t port) {
    return Socks5Handshake(*this, host, port).Run();
}

}  // namespace ostiva
