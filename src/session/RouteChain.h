#pragma once
// The ways to the server in the order they are tried: the direct connection
// first, then, when a proxy mode is set, the proxy routes. The first route
// that connects ends the search.

#include <memory>
#include <string>
#include <vector>

#include "session/Route.h"

namespace ostiva {

class SocketIPv4;

class RouteChain {
  public:
    explicit RouteChain(std::vector<std::unique_ptr<Route>> routes) : routes_(std::move(routes)) {}

    // The direct route, followed by MakeProxyRoutes() when `proxyMode` is
    // greater than 0 (any positive mode, as the settings allow).
    static RouteChain ForProxyMode(int proxyMode);

    // Tries each route in turn until one connects. On failure `*failures`
    // holds the reason of each route tried, in order (at least one). Stops
    // at once when the socket has been shut down.
    bool Connect(SocketIPv4& socket, const RouteTarget& target,
                 std::vector<FailureReason>* failures);

    size_t size() const { return routes_.size(); }

  private:
    std::vector<std::unique_ptr<Route>> routes_;
};

}  // namespace ostiva
