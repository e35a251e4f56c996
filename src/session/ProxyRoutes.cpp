// The proxy side of the route chain. Until the proxy traversal provides its
// routes there are none: a configured proxy mode only tries the direct
// connection, and detection finds nothing.

#include "session/Route.h"

namespace ostiva {

std::vector<std::unique_ptr<Route>> MakeProxyRoutes() { return {}; }

void DetectProxy(SocketIPv4&) {}

}  // namespace ostiva
