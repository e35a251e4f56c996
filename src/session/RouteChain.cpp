#include "session/RouteChain.h"

#include "session/DirectRoute.h"
#include "transport/SocketIPv4.h"
#include "util/Utf.h"

namespace ostiva {

RouteChain RouteChain::ForProxyMode(int proxyMode) {
    std::vector<std::unique_ptr<Route>> routes;
    routes.push_back(std::make_unique<DirectRoute>());
    if (proxyMode > 0) {
        for (auto& route : MakeProxyRoutes()) {
            if (route) routes.push_back(std::move(route));
        }
    }
    return RouteChain(std::move(routes));
}

bool RouteChain::Connect(SocketIPv4& socket, const RouteTarget& target,
                         std::vector<FailureReason>* failures) {
    failures->clear();
    for (auto& route : routes_) {
        if (socket.IsShutDown()) break;
        FailureReason reason;
        if (route->Connect(socket, target, &reason)) return true;
        failures->push_back(std::move(reason));
    }
    if (failures->empty()) {
        // Cancelled before the first route, or no route at all.
        FailureReason none;
        none.cause = socket.IsShutDown() ? FailureCause::Cancelled : FailureCause::Failed;
        none.host = ToUtf8(target.host);
        none.port = target.port;
        failures->push_back(std::move(none));
    }
    return false;
}

}  // namespace ostiva
