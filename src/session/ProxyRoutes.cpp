// The proxy side of the route chain: HTTP CONNECT, then SOCKS4/4a, then
// SOCKS5, all through the proxy host and port that the settings or the
// detection put on the socket. Each route runs one proxy operation of the
// socket, within the route's time limit for every connect and reply.

#include <algorithm>

#include "proxy/ProxyHandshakes.h"
#include "session/Route.h"
#include "transport/SocketIPv4.h"
#include "util/Exception.h"
#include "util/Format.h"
#include "util/Utf.h"

namespace ostiva {
namespace {

class ProxyRoute : public Route {
  public:
    using Operation = bool (*)(SocketIPv4&, std::u16string_view, uint16_t, FailureReason*);

    ProxyRoute(std::u16string_view name, Operation operation)
        : name_(name), operation_(operation) {}

    std::u16string_view Name() const override { return name_; }

    bool Connect(SocketIPv4& socket, const RouteTarget& target, std::u16string* reason) override {
        if (socket.IsShutDown()) {
            *reason = u"cancelled";
            return false;
        }
        if (socket.proxyHost.IsEmpty()) {
            *reason = u"no proxy host is set";
            return false;
        }
        if (target.timeoutMs > 0) {
            socket.proxyTimeoutMs = std::min(target.timeoutMs, SocketIPv4::kProxyTimeoutMaxMs);
        }
        bool connected = false;
        try {
            connected = operation_(socket, target.host, target.port, nullptr);
        } catch (const Exception& e) {
            // The proxy host does not resolve (or no fresh socket could be
            // opened); the next route is tried all the same, and the chain's
            // message lists each reason.
            *reason = FormatWide(u"proxy host %s: %s", {socket.proxyHost, e.GetMessageText()});
            return false;
        }
        if (connected) return true;
        if (socket.IsShutDown()) {
            *reason = u"cancelled";
        } else {
            *reason = FormatWide(
                u"%s:%d: %s", {socket.proxyHost, socket.proxyPort, FromUtf8(socket.proxyFailure)});
        }
        return false;
    }

  private:
    std::u16string_view name_;
    Operation operation_;
};

}  // namespace

std::vector<std::unique_ptr<Route>> MakeProxyRoutes() {
    std::vector<std::unique_ptr<Route>> routes;
    routes.push_back(std::make_unique<ProxyRoute>(u"HTTP CONNECT", &ConnectHttpProxy));
    routes.push_back(std::make_unique<ProxyRoute>(u"SOCKS4", &ConnectSocks4Proxy));
    routes.push_back(std::make_unique<ProxyRoute>(u"SOCKS5", &ConnectSocks5Proxy));
    return routes;
}

}  // namespace ostiva
