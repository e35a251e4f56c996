#pragma once
// What the three proxy handshakes share: the loop that runs a handshake's
// states to Tunnel or Failed, the one place where the state changes (with
// its trace line), the typed failure reason, and resolving and connecting to
// the proxy on a fresh handle.
//
// A handshake derives from ProxyStateMachine<State>, where State has Start,
// Tunnel and Failed, and gives Name() and Step(): Step() does the work of the
// current state and calls Enter() or one of the Fail...() functions.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "proxy/CodecError.h"
#include "proxy/ProxyTunnelIo.h"
#include "transport/AddressIPv4.h"
#include "transport/SocketIPv4.h"
#include "util/FailureReason.h"
#include "util/Format.h"
#include "util/Utf.h"

namespace ostiva {

template <class State>
class ProxyStateMachine {
  public:
    // Throws SocketException when the proxy host cannot be resolved or no
    // fresh socket can be opened.
    bool Run() {
        while (state_ != State::Tunnel && state_ != State::Failed) Step();
        return state_ == State::Tunnel;
    }

  protected:
    ProxyStateMachine(SocketIPv4& socket, RouteKind route, std::string_view method,
                      FailureReason* failure)
        : socket_(socket),
          log_(socket, method),
          route_(route),
          failure_(failure),
          timeoutMs_(ProxyTimeoutOf(socket)) {}
    virtual ~ProxyStateMachine() = default;

    virtual const char* Name(State state) const = 0;
    virtual void Step() = 0;

    // The one place where the state changes to anything but Failed.
    void Enter(State next, std::string_view detail = {}) {
        log_.Transition(Name(state_), Name(next), detail);
        state_ = next;
    }

    // Ends the handshake: `logText` goes to the trace and proxyFailure, the
    // typed reason to the caller.
    void Fail(FailureStep step, FailureCause cause, std::string_view logText, int status = 0,
              std::string_view detail = {}) {
        if (failure_) {
            failure_->route = route_;
            failure_->step = step;
            failure_->cause = cause;
            failure_->host = ToUtf8(socket_.proxyHost.view());
            failure_->port = static_cast<uint16_t>(socket_.proxyPort);
            failure_->status = status;
            failure_->detail = std::string(detail);
        }
        log_.Failure(Name(state_), logText);
        state_ = State::Failed;
    }
    void Fail(FailureStep step, CodecError error) {
        Fail(step, FailureCauseOf(error), DescribeCodecError(error));
    }
    void Fail(FailureStep step, ProxyIoEnd end) {
        Fail(step, FailureCauseOf(end), DescribeProxyIoEnd(end));
    }

    // Resolves the proxy host into proxy_ and gives "address:port" for the
    // trace. The resolver's SocketException goes to the caller, with the
    // failure recorded first.
    std::string ResolveProxy() {
        try {
            proxy_ =
                AddressIPv4::Resolve(socket_.proxyHost, static_cast<uint16_t>(socket_.proxyPort));
        } catch (...) {
            Fail(FailureStep::Resolve, FailureCause::NameNotResolved,
                 "the proxy host cannot be resolved");
            throw;
        }
        return ToUtf8(FormatWide(u"%s:%u", {proxy_.ToString(), unsigned(proxy_.GetPort())}));
    }

    // A fresh handle connected to the proxy; whatever an earlier attempt
    // left on the handle is not reused. False leaves the state as it is.
    bool TryConnect() {
        socket_.Reopen();
        return ConnectToProxy(socket_, proxy_, timeoutMs_);
    }

    // Fails after TryConnect() gave false: a cancel, or `logText` with the
    // system's cause.
    void FailConnect(std::string_view logText) {
        if (socket_.IsShutDown()) {
            return Fail(FailureStep::Connect, FailureCause::Cancelled, "cancelled");
        }
        Fail(FailureStep::Connect, FailureCauseFromErrno(socket_.LastConnectError()), logText);
    }

    static constexpr std::string_view kConnectFailed =
        "the proxy refused the connection or did not answer in time";

    // Sends all bytes; fails at `step` otherwise.
    template <class Bytes>
    bool Send(const Bytes& bytes, FailureStep step) {
        if (SendToProxy(socket_, bytes)) return true;
        Fail(step, FailureCause::SendFailed, "sending to the proxy failed");
        return false;
    }

    State state() const { return state_; }

    SocketIPv4& socket_;
    ProxyStateLog log_;
    RouteKind route_;
    FailureReason* failure_;
    int timeoutMs_;
    AddressIPv4 proxy_;

  private:
    State state_ = State::Start;
};

}  // namespace ostiva
