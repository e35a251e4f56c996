#include <gtest/gtest.h>

#include "LoginThrottle.h"

namespace ostiva::server {
namespace {

using std::chrono::milliseconds;
using Clock = LoginThrottle::Clock;

TEST(LoginThrottle, FailuresDoubleTheWaitOfTheirIdAndAddress) {
    LoginThrottle throttle(milliseconds(100));
    Clock::time_point now{};
    EXPECT_EQ(throttle.DelayFor("alice", "10.0.0.1", now), milliseconds(0));
    for (int failures = 1; failures <= 8; ++failures) {
        throttle.Failed("alice", "10.0.0.1", now);
        milliseconds expected =
            std::min(milliseconds(100 << (failures - 1)), LoginThrottle::kMaxDelay);
        EXPECT_EQ(throttle.DelayFor("alice", "10.0.0.2", now), expected) << failures;
        EXPECT_EQ(throttle.DelayFor("bob", "10.0.0.1", now), expected) << failures;
    }
    EXPECT_EQ(throttle.DelayFor("bob", "10.0.0.2", now), milliseconds(0));
    // A success clears the ID, not the address it was guessed from.
    throttle.Succeeded("alice");
    EXPECT_EQ(throttle.DelayFor("alice", "10.0.0.2", now), milliseconds(0));
    EXPECT_EQ(throttle.DelayFor("alice", "10.0.0.1", now), LoginThrottle::kMaxDelay);
    // Quiet for long enough, everything is forgotten.
    EXPECT_EQ(throttle.DelayFor("carol", "10.0.0.1", now + LoginThrottle::kForgetAfter),
              milliseconds(0));
}

TEST(LoginThrottle, NoPaceNoWaitAndNothingKept) {
    LoginThrottle throttle(milliseconds(0));
    for (int i = 0; i < 100; ++i) throttle.Failed("alice", "10.0.0.1", Clock::time_point{});
    EXPECT_EQ(throttle.DelayFor("alice", "10.0.0.1", Clock::time_point{}), milliseconds(0));
    EXPECT_EQ(throttle.Tracked(), 0u);
}

TEST(LoginThrottle, MadeUpIdsStayBounded) {
    LoginThrottle throttle(milliseconds(10));
    Clock::time_point start{};
    for (size_t i = 0; i < 3 * LoginThrottle::kMaxTracked; ++i) {
        throttle.Failed("guess-" + std::to_string(i), "10.0.0.1", start + milliseconds(i));
    }
    EXPECT_LE(throttle.Tracked(), LoginThrottle::kMaxTracked);
    // The address, failing all along, is among the freshest and kept.
    EXPECT_EQ(throttle.DelayFor("anyone", "10.0.0.1",
                                start + milliseconds(3 * LoginThrottle::kMaxTracked)),
              LoginThrottle::kMaxDelay);
}

}  // namespace
}  // namespace ostiva::server
