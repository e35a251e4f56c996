// The proxy side of the route chain: HTTP CONNECT, then SOCKS4/4a, then
// SOCKS5, all through the proxy host and port that the settings or the
// detection put on the socket. Each route runs one proxy operation of the
// socket, within the route's time limit for every connect and reply.

#include <algorithm>

#include "proxy/ProxyHandshakes.h"
#include "session/Route.h"
#include "transport/SocketIPv4.h"
#include "util/Exception.h"
#include "util/Utf.h"

namespace ostiva {
namespace {

class ProxyRoute : public Route {
  public:
    using Operation = bool (*)(SocketIPv4&, std::u16string_view, uint16_t, FailureReason*);

    ProxyRoute(RouteKind kind, Operation operation) : kind_(kind), operation_(operation) {}

    RouteKind Kind() const override { return kind_; }

    bool Connect(SocketIPv4& socket, const RouteTarget& target, FailureReason* reason) override {
        // What is known before the handshake runs; it fills in the rest.
        *reason = FailureReason{};
        reason->route = kind_;
        reason->host = ToUtf8(socket.proxyHost.view());
        reason->port = static_cast<uint16_t>(socket.proxyPort);
        if (socket.IsShutDown()) {
            reason->cause = FailureCause::Cancelled;
            return false;
        }
        if (socket.proxyHost.IsEmpty()) {
            reason->step = FailureStep::Resolve;
            reason->cause = FailureCause::NoProxyHost;
            return false;
        }
        if (target.timeoutMs > 0) {
            socket.proxyTimeoutMs = std::min(target.timeoutMs, SocketIPv4::kProxyTimeoutMaxMs);
        }
        // A fresh socket the system refuses ends the handshake by a throw,
        // before it records a reason.
        reason->cause = FailureCause::SystemError;
        bool connected = false;
        try {
            connected = operation_(socket, target.host, target.port, reason);
        } catch (const Exception&) {
            // The proxy host does not resolve (the handshake said so) or no
            // fresh socket could be opened; the next route is tried all the
            // same, and the chain's message lists each reason.
            return false;
        }
        if (connected) return true;
        if (socket.IsShutDown()) reason->cause = FailureCause::Cancelled;
        return false;
    }

  private:
    RouteKind kind_;
    Operation operation_;
};

}  // namespace

std::vector<std::unique_ptr<Route>> MakeProxyRoutes() {
    std::vector<std::unique_ptr<Route>> routes;
    routes.push_back(std::make_unique<ProxyRoute>(RouteKind::HttpConnect, &ConnectHttpProxy));
    routes.push_back(std::make_unique<ProxyRoute>(RouteKind::Socks4, &ConnectSocks4Proxy));
    routes.push_back(std::make_unique<ProxyRoute>(RouteKind::Socks5, &ConnectSocks5Proxy));
    return routes;
}

}  // namespace ostiva
