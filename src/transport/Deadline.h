#pragma once
// A time limit for poll(): how many milliseconds are left of a wait that
// started when the object was made.

#include <chrono>
#include <climits>

namespace ostiva {

class Deadline {
  public:
    // A negative limit never expires.
    explicit Deadline(int timeoutMs)
        : infinite_(timeoutMs < 0),
          end_(std::chrono::steady_clock::now() +
               std::chrono::milliseconds(infinite_ ? 0 : timeoutMs)) {}

    // -1 for no limit, otherwise the milliseconds left (0 once passed),
    // rounded up so a wait never ends a little early.
    int RemainingMs() const {
        if (infinite_) return -1;
        auto left = end_ - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) return 0;
        auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
    }

    bool Expired() const { return RemainingMs() == 0; }

  private:
    bool infinite_;
    std::chrono::steady_clock::time_point end_;
};

}  // namespace ostiva
