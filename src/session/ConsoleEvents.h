#pragma once
// What the receive loop hands over to the console. The loop calls these on
// its own thread; an implementation forwards each call to the console's
// (window) thread, so that the code list is only ever changed there.

#include <cstdint>

#include "session/Records.h"

namespace ostiva {

class ConsoleEvents {
  public:
    virtual ~ConsoleEvents() = default;
    // MSG_CODE_CREATED with the new access code.
    virtual void OnCodeCreated(int32_t code) = 0;
    // MSG_CODE_STATUS, read from its record.
    virtual void OnCodeStatus(const wire::CodeStatus& status) = 0;
    // MSG_SIGNED_IN_ELSEWHERE: the console shows SignedInElsewhere and ends.
    virtual void OnSignedInElsewhere() = 0;
    // The connection failed or was closed: the console shows ConnectionLost
    // ("Please relogin.") and ends.
    virtual void OnConnectionLost() = 0;
};

}  // namespace ostiva
