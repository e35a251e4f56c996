#include "session/RouteChain.h"

#include "session/DirectRoute.h"
#include "transport/SocketIPv4.h"

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

bool RouteChain::Connect(SocketIPv4& socket, const RouteTarget& target, std::u16string* failure) {
    std::vector<std::u16string> reasons;
    for (auto& route : routes_) {
        if (socket.IsShutDown()) break;
        std::u16string reason;
        if (route->Connect(socket, target, &reason)) return true;
        if (reason.empty()) reason = u"failed";
        reasons.push_back(std::u16string(route->Name()) + u": " + reason);
        if (routes_.size() == 1) reasons.back() = reason;
    }
    failure->clear();
    for (const auto& reason : reasons) {
        if (!failure->empty()) *failure += u"; ";
        *failure += reason;
    }
    if (failure->empty()) *failure = socket.IsShutDown() ? u"cancelled" : u"no way to the server";
    return false;
}

}  // namespace ostiva
