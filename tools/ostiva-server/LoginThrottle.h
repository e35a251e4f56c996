#pragma once
// Slows down guessing: every failed login for a helper ID, and every failed
// login from an address, doubles the wait before the next login of that ID
// or from that address is checked (the first failure waits `pace`), up to
// kMaxDelay. The wait comes before the check, so a guesser learns nothing
// sooner by giving up early. A success clears its helper ID's count; counts
// are forgotten after kForgetAfter without failures. At most kMaxTracked
// counts are kept: the stalest go first. Safe to call from any thread.

#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>

namespace ostiva::server {

class LoginThrottle {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kDefaultPace{250};
    static constexpr std::chrono::milliseconds kMaxDelay{8000};
    static constexpr std::chrono::minutes kForgetAfter{15};
    static constexpr size_t kMaxTracked = 4096;

    // A zero pace never waits (the fault-injection suites log in by the
    // thousand).
    explicit LoginThrottle(std::chrono::milliseconds pace = kDefaultPace) : pace_(pace) {}

    // How long the next login of `helperId` from `address` waits.
    std::chrono::milliseconds DelayFor(const std::string& helperId, const std::string& address,
                                       Clock::time_point now);
    void Failed(const std::string& helperId, const std::string& address, Clock::time_point now);
    void Succeeded(const std::string& helperId);

    size_t Tracked() const;

  private:
    struct Failures {
        unsigned count = 0;
        Clock::time_point last;
    };
    std::chrono::milliseconds DelayOf(const std::string& key, Clock::time_point now) const;
    void Count(const std::string& key, Clock::time_point now);
    // Makes room for one more count. Called under lock_.
    void MakeRoomLocked(Clock::time_point now);

    const std::chrono::milliseconds pace_;
    mutable std::mutex lock_;
    std::map<std::string, Failures> failures_;  // "id " + helper ID, "from " + address
};

}  // namespace ostiva::server
