#pragma once
// The direct TCP connection to the server's resolved address.

#include "session/Route.h"

namespace ostiva {

class DirectRoute : public Route {
  public:
    RouteKind Kind() const override { return RouteKind::Direct; }
    bool Connect(SocketIPv4& socket, const RouteTarget& target, FailureReason* reason) override;
};

}  // namespace ostiva
