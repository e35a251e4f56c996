// Ending the receive loop from the console's side: Stop joins the thread
// and nothing is handed over afterwards, also when Stop comes from inside
// one of the loop's own calls.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "session/ConsoleEvents.h"
#include "session/ReceiveLoop.h"
#include "unit/transport/Loopback.h"

namespace ostiva {
namespace {

using test::LoopbackPair;

class CountingEvents : public ConsoleEvents {
  public:
    std::function<void()> onCreated;
    std::atomic<int> created{0}, statuses{0}, elsewhere{0}, lost{0};

    void OnCodeCreated(int32_t) override {
        ++created;
        if (onCreated) onCreated();
    }
    void OnCodeStatus(const wire::CodeStatus&) override { ++statuses; }
    void OnSignedInElsewhere() override { ++elsewhere; }
    void OnConnectionLost() override { ++lost; }
};

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void SendRecord(SocketIPv4& socket, const wire::Bytes& record) {
    ASSERT_EQ(socket.SendBytes(record.data(), record.size()), ssize_t(record.size()));
}

TEST(ReceiveLoopThread, StopJoinsAndHandsNothingOver) {
    LoopbackPair pair;
    ASSERT_TRUE(pair.connected);
    CountingEvents events;
    ReceiveLoop loop(*pair.client, &events);
    loop.Start();
    SendRecord(*pair.server, wire::BuildCodeCreated(123456));
    ASSERT_TRUE(WaitUntil([&] { return events.created == 1; }));
    loop.Stop();
    EXPECT_EQ(loop.GetEnd(), ReceiveLoop::End::Stopped);
    // The peer's close after Stop is not reported.
    pair.server.reset();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(events.lost, 0);
    loop.Stop();  // a second Stop is harmless
}

TEST(ReceiveLoopThread, StopFromInsideACallbackDoesNotDeadlock) {
    LoopbackPair pair;
    ASSERT_TRUE(pair.connected);
    CountingEvents events;
    ReceiveLoop loop(*pair.client, &events);
    events.onCreated = [&] { loop.Stop(); };
    loop.Start();
    SendRecord(*pair.server, wire::BuildCodeCreated(1));
    SendRecord(*pair.server, wire::BuildCodeCreated(2));
    ASSERT_TRUE(WaitUntil([&] { return loop.HasEnded(); }));
    EXPECT_EQ(events.created, 1);
    EXPECT_EQ(events.lost, 0);
    loop.Stop();  // joins the ended thread from outside
}

TEST(ReceiveLoopThread, HalfARecordThenCloseIsDroppedAndLost) {
    LoopbackPair pair;
    ASSERT_TRUE(pair.connected);
    CountingEvents events;
    ReceiveLoop loop(*pair.client, &events);
    loop.Start();
    wire::CodeStatus status;
    status.state = 2;
    status.code = 777777;
    status.firstAddress = u"10.0.0.1";
    status.osCode = 14;
    wire::Bytes record = wire::BuildCodeStatus(status);
    record.resize(40);  // cut inside the second address
    SendRecord(*pair.server, record);
    pair.server.reset();
    // The end is recorded before the console hears of it, so HasEnded() can
    // be true a moment before OnConnectionLost has run: wait for the call,
    // then join the loop so nothing more can come.
    ASSERT_TRUE(WaitUntil([&] { return events.lost.load() == 1; }));
    loop.Stop();
    EXPECT_EQ(events.statuses, 0);
    EXPECT_EQ(events.lost, 1);
    EXPECT_EQ(loop.GetEnd(), ReceiveLoop::End::ConnectionLost);
}

TEST(ReceiveLoopThread, LoopWithoutEventsStillEnds) {
    LoopbackPair pair;
    ASSERT_TRUE(pair.connected);
    ReceiveLoop loop(*pair.client, nullptr);
    loop.Start();
    SendRecord(*pair.server, wire::BuildSignedInElsewhere());
    ASSERT_TRUE(WaitUntil([&] { return loop.HasEnded(); }));
    EXPECT_EQ(loop.GetEnd(), ReceiveLoop::End::SignedInElsewhere);
}

}  // namespace
}  // namespace ostiva
