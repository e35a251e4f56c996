#include "session/DirectRoute.h"

#include "transport/SocketIPv4.h"
#include "util/Exception.h"
#include "util/Utf.h"

namespace ostiva {

bool DirectRoute::Connect(SocketIPv4& socket, const RouteTarget& target, FailureReason* reason) {
    *reason = FailureReason{};
    reason->route = RouteKind::Direct;
    reason->host = ToUtf8(target.host);
    reason->port = target.port;
    if (!target.address) {
        reason->step = FailureStep::Resolve;
        reason->cause = target.lookupFailure;
        return false;
    }
    reason->step = FailureStep::Connect;
    try {
        if (socket.Connect(*target.address, target.timeoutMs)) return true;
    } catch (const Exception&) {
        // A fresh handle for the next route could not be opened.
        reason->cause = FailureCause::SystemError;
        return false;
    }
    reason->cause = socket.IsShutDown() ? FailureCause::Cancelled
                                        : FailureCauseFromErrno(socket.LastConnectError());
    return false;
}

}  // namespace ostiva
