#include "console/QueuedConsoleEvents.h"

namespace ostiva {

QueuedConsoleEvents::QueuedConsoleEvents(EventQueue& queue, ConsoleLogic& logic,
                                         std::function<void(StringId)> onSessionEnd)
    : queue_(queue), logic_(logic), onSessionEnd_(std::move(onSessionEnd)) {}

void QueuedConsoleEvents::OnCodeCreated(int32_t code) {
    queue_.Post([this, code] { logic_.OnCodeCreated(code); });
}

void QueuedConsoleEvents::OnCodeStatus(const wire::CodeStatus& status) {
    // The record is copied: the receive loop reuses its buffer.
    queue_.Post([this, status] { logic_.OnCodeStatus(status); });
}

void QueuedConsoleEvents::OnSignedInElsewhere() {
    EndSession(StringId::SignedInElsewhere);
}

void QueuedConsoleEvents::OnConnectionLost() {
    EndSession(StringId::ConnectionLost);
}

void QueuedConsoleEvents::EndSession(StringId reason) {
    queue_.Post([this, reason] {
        if (onSessionEnd_) onSessionEnd_(reason);
    });
}

}  // namespace ostiva
