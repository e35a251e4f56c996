#pragma once
// The commands the code list sends to the session server. The session
// client implements them; none reports an outcome, because nothing answers
// them directly (a new code arrives later through the receive loop).

#include <cstdint>

#include "session/AccessCode.h"

namespace ostiva {

class CodeCommands {
  public:
    virtual ~CodeCommands() = default;
    // MSG_CREATE_CODE.
    virtual void RequestNewCode() = 0;
    // MSG_DELETE_CODE. Only sends: the console removes the entry itself right
    // after, so the session does not need to know the window.
    virtual void DeleteCode(int32_t code) = 0;
    // MSG_REPORT_CUSTOMER then MSG_REPORT_CONTACT, built from the entry.
    virtual void SaveReport(const AccessCode& entry) = 0;
};

}  // namespace ostiva
