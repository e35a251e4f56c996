#pragma once
// Why a login did not succeed, and the message the technician was shown for
// it, kept for callers that report it their own way (the command-line
// console, tests).

#include <optional>
#include <vector>

#include "session/Prompt.h"
#include "util/FailureReason.h"

namespace ostiva {

enum class LoginFailureReason {
    None,              // the last login succeeded, or none was tried
    WrongCredentials,  // LOGIN_WRONG_CREDENTIALS: WrongCredentials
    Expired,           // LOGIN_EXPIRED: AccountExpired with the date text
    ForceRejected,     // LOGIN_FORCE_REJECTED after a forced retry; no message
    Declined,          // the technician answered No to LoginAlreadyActive; no message
    TooLong,           // the ID or the password does not fit its slot
    Cancelled,         // CancelLogin(); no message
    Error,             // no connection, a lost connection, or a system error
};

struct LoginFailure {
    LoginFailureReason reason = LoginFailureReason::None;
    // The message shown through the Prompt, if any.
    std::optional<PromptMessage> message;
    // When no route reached the server: why each failed, in the order tried.
    std::vector<FailureReason> routes;
};

// "WrongCredentials", "Expired", ...: for logs and the command line.
const char* LoginFailureReasonName(LoginFailureReason reason);

}  // namespace ostiva
