#include "session/DirectRoute.h"

#include <chrono>

#include "transport/SocketIPv4.h"
#include "util/Exception.h"
#include "util/Format.h"

namespace ostiva {

bool DirectRoute::Connect(SocketIPv4& socket, const RouteTarget& target, std::u16string* reason) {
    if (!target.address) {
        *reason = target.resolveFailure;
        return false;
    }
    std::u16string where =
        FormatWide(u"%s:%u", {target.address->ToString(), unsigned(target.port)});
    auto start = std::chrono::steady_clock::now();
    try {
        if (socket.Connect(*target.address, target.timeoutMs)) return true;
    } catch (const Exception& e) {
        // A fresh handle for the next route could not be opened.
        *reason = e.GetMessageText();
        return false;
    }
    // The socket does not say why its connect failed; what can be told
    // apart here is a cancel and a time-out.
    auto elapsed = std::chrono::steady_clock::now() - start;
    if (socket.IsShutDown()) {
        *reason = u"cancelled";
    } else if (target.timeoutMs >= 0 && elapsed >= std::chrono::milliseconds(target.timeoutMs)) {
        *reason = FormatWide(u"%s did not answer within %d s", {where, target.timeoutMs / 1000});
    } else {
        *reason = FormatWide(u"%s refused the connection or cannot be reached", {where});
    }
    return false;
}

}  // namespace ostiva
