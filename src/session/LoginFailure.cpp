#include "session/LoginFailure.h"

namespace ostiva {

const char* LoginFailureReasonName(LoginFailureReason reason) {
    switch (reason) {
        case LoginFailureReason::None:
            return "None";
        case LoginFailureReason::WrongCredentials:
            return "WrongCredentials";
        case LoginFailureReason::Expired:
            return "Expired";
        case LoginFailureReason::ForceRejected:
            return "ForceRejected";
        case LoginFailureReason::Declined:
            return "Declined";
        case LoginFailureReason::TooLong:
            return "TooLong";
        case LoginFailureReason::Cancelled:
            return "Cancelled";
        case LoginFailureReason::Error:
            return "Error";
    }
    return "Unknown";
}

}  // namespace ostiva
