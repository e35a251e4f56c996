#pragma once
// Hands the receive loop's calls to the thread that runs the console logic:
// each call is posted onto an EventQueue and runs against ConsoleLogic when
// that thread drains the queue. The command-line console uses it; the Qt
// window queues the same calls on its own event loop.

#include <functional>

#include "console/ConsoleLogic.h"
#include "console/EventQueue.h"
#include "session/ConsoleEvents.h"
#include "util/StringTable.h"

namespace ostiva {

class QueuedConsoleEvents : public ConsoleEvents {
  public:
    // `onSessionEnd` runs on the consumer thread with SignedInElsewhere or
    // ConnectionLost; the front end shows the message and ends.
    QueuedConsoleEvents(EventQueue& queue, ConsoleLogic& logic,
                        std::function<void(StringId)> onSessionEnd);

    // Called on the receive thread. Once the queue is stopped the calls are
    // dropped, so a receive thread that outlives the console touches nothing.
    void OnCodeCreated(int32_t code) override;
    void OnCodeStatus(const wire::CodeStatus& status) override;
    void OnSignedInElsewhere() override;
    void OnConnectionLost() override;

  private:
    void EndSession(StringId reason);

    EventQueue& queue_;
    ConsoleLogic& logic_;
    std::function<void(StringId)> onSessionEnd_;
};

}  // namespace ostiva
