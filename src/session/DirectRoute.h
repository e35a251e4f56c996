#pragma once
// The direct TCP connection to the server's resolved address.

#include "session/Route.h"

namespace ostiva {

class DirectRoute : public Route {
  public:
    std::u16string_view Name() const override { return u"direct"; }
    bool Connect(SocketIPv4& socket, const RouteTarget& target, std::u16string* reason) override;
};

}  // namespace ostiva
