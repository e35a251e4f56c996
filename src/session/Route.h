#pragma once
// One way to the session server. A login tries the direct connection first
// and, when that fails and a proxy is configured, the proxy routes in their
// fixed order (HTTP CONNECT, SOCKS4/4a, SOCKS5), stopping at the first that
// connects (RouteChain).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "transport/AddressIPv4.h"
#include "util/FailureReason.h"

namespace ostiva {

class SocketIPv4;

// Where a route is to lead.
struct RouteTarget {
    std::u16string host;  // the server's host text, as configured
    uint16_t port = 0;
    // The server's address as resolved here; empty when the name could not
    // be resolved (a proxy may still reach it by name).
    std::optional<AddressIPv4> address;
    // Why `address` is empty: the name is unknown, or the lookup ran out of
    // the route's time.
    FailureCause lookupFailure = FailureCause::NameNotResolved;
    // The longest a route may take to connect.
    int timeoutMs = 20000;
};

class Route {
  public:
    virtual ~Route() = default;

    virtual RouteKind Kind() const = 0;

    // Connects `socket` (unconnected, its proxy fields filled) to the target.
    // On failure returns false and sets `*reason` to why, the route filled
    // in; the socket is then left unconnected or shut down, and the next
    // route may replace its handle. A route stops early once the socket has
    // been shut down (a cancelled login). Never throws.
    virtual bool Connect(SocketIPv4& socket, const RouteTarget& target, FailureReason* reason) = 0;
};

// The proxy routes in the order they are tried: HTTP CONNECT, SOCKS4/4a,
// SOCKS5. Defined with the proxy traversal (session/ProxyRoutes.cpp).
std::vector<std::unique_ptr<Route>> MakeProxyRoutes();

}  // namespace ostiva
