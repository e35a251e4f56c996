#pragma once
// GoogleTest prints a FailureReason by its fields, so a failed comparison
// says which route, step and cause it saw.

#include <ostream>

#include "util/FailureReason.h"

namespace ostiva {

inline void PrintTo(const FailureReason& reason, std::ostream* out) {
    *out << "{" << RouteKindId(reason.route) << ", " << FailureStepId(reason.step) << ", "
         << FailureCauseId(reason.cause) << ", " << reason.host << ":" << reason.port;
    if (reason.status != 0) *out << ", status " << reason.status;
    if (!reason.detail.empty()) *out << ", " << reason.detail;
    *out << "}";
}

}  // namespace ostiva
