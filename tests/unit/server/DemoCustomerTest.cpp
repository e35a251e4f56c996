// The demo customer: each new code goes Ready, Connected and Ended on its
// delays, with a customer's side when it connects; deleted codes, codes of
// earlier runs and states set by hand are respected. Time is given to Step,
// so nothing here sleeps.

#include <gtest/gtest.h>

#include "Clock.h"
#include "DemoCustomer.h"
#include "ServerCore.h"
#include "ServerDatabase.h"
#include "ServerOptions.h"
#include "session/OsCode.h"

namespace ostiva::server {
namespace {

using namespace std::chrono_literals;

class DemoCustomerTest : public ::testing::Test {
  protected:
    CodeEntry Issue(const std::string& helper = "alice") {
        auto entry = core.timeline().Issue(helper, NowText());
        EXPECT_TRUE(entry.has_value());
        db.SaveCode(*entry);
        return *entry;
    }
    uint16_t StateOf(int32_t code) { return core.timeline().Find(code)->state; }

    ServerDatabase db;
    ServerCore core{db};
    DemoCustomer::Clock::time_point start = DemoCustomer::Clock::now();
};

TEST_F(DemoCustomerTest, ANewCodeGoesThroughTheWholeConnectionOnItsDelays) {
    DemoCustomer demo(core, DemoTimes{3s, 4s, 20s});
    int32_t code = Issue().code;
    EXPECT_EQ(demo.Step(start), 0);  // first seen: its clock starts
    EXPECT_EQ(demo.Step(start + 2999ms), 0);
    EXPECT_EQ(StateOf(code), 0);
    EXPECT_EQ(demo.Step(start + 3s), 1);
    EXPECT_EQ(StateOf(code), 1);
    EXPECT_EQ(demo.Step(start + 6s), 0);
    EXPECT_EQ(demo.Step(start + 7s), 1);

    CodeEntry connected = *core.timeline().Find(code);
    EXPECT_EQ(connected.state, 2);
    EXPECT_GT(connected.connectionNumber, 0);
    EXPECT_FALSE(connected.firstAddress.empty());
    EXPECT_FALSE(connected.secondAddress.empty());
    EXPECT_NE(connected.firstAddress, connected.secondAddress);
    EXPECT_FALSE(connected.beginTime.empty());
    EXPECT_FALSE(OsCodeName(connected.osCode).empty());
    // Stored, and counted as one of today's connections.
    EXPECT_EQ(db.CountConnections("alice", TodayText()), 1);

    EXPECT_EQ(demo.Step(start + 26s), 0);
    EXPECT_EQ(demo.Step(start + 27s), 1);
    CodeEntry ended = *core.timeline().Find(code);
    EXPECT_EQ(ended.state, 3);
    EXPECT_FALSE(ended.endTime.empty());
    EXPECT_EQ(ended.beginTime, connected.beginTime);
    EXPECT_EQ(demo.Step(start + 100s), 0);
    EXPECT_EQ(db.LoadCodes().at(0).state, 3);
}

TEST_F(DemoCustomerTest, EarlierRunsDeletedCodesAndStatesSetByHandAreRespected) {
    int32_t earlier = Issue().code;
    DemoCustomer demo(core, DemoTimes{1s, 1s, 1s});
    int32_t deleted = Issue().code;
    int32_t byHand = Issue("bob").code;
    int32_t second = Issue().code;
    demo.Step(start);
    ASSERT_TRUE(core.timeline().Delete("alice", deleted));
    // The control channel connects one itself: the customer goes on from there.
    wire::CodeStatus status;
    status.code = byHand;
    status.state = 2;
    status.connectionNumber = 42;
    ASSERT_TRUE(core.timeline().SetStatus(status));
    demo.Step(start + 500ms);
    demo.Step(start + 1s);
    EXPECT_EQ(StateOf(earlier), 0);
    EXPECT_EQ(StateOf(deleted), 0);
    EXPECT_EQ(StateOf(second), 1);
    EXPECT_EQ(StateOf(byHand), 2);
    demo.Step(start + 1500ms);
    EXPECT_EQ(StateOf(byHand), 3);
    // Different customers get different connections.
    demo.Step(start + 2s);
    EXPECT_NE(core.timeline().Find(second)->connectionNumber, 42);
    EXPECT_EQ(StateOf(earlier), 0);
}

TEST(DemoTimes, ParsesThreeDelaysInSeconds) {
    auto times = ParseDemoTimes("3,4,20");
    ASSERT_TRUE(times);
    EXPECT_EQ(times->ready, 3s);
    EXPECT_EQ(times->connected, 4s);
    EXPECT_EQ(times->ended, 20s);
    times = ParseDemoTimes("0.5,0,86400");
    ASSERT_TRUE(times);
    EXPECT_EQ(times->ready, 500ms);
    EXPECT_EQ(times->connected, 0ms);
    EXPECT_EQ(DescribeDemoTimes(*times),
              "Ready 0.5 s after the code is issued, Connected 0 s later, Ended 86400 s later");
    for (const char* bad : {"", "3,4", "3,4,20,1", "3,,20", "-1,4,20", "3.,4,20", ".5,4,20",
                            "1.2345,4,20", "86401,1,1", "3,4,2O", "99999999999,1,1", "3 ,4,20"}) {
        EXPECT_FALSE(ParseDemoTimes(bad)) << bad;
    }
}

TEST(DemoTimes, ServerOptionsTakeTheDemoAndTheWebPort) {
    auto parsed = ParseServerOptions({"--demo", "--http-port", "0", "--demo-times", "1,2,3"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.options.demo);
    ASSERT_TRUE(parsed.options.httpPort);
    EXPECT_EQ(*parsed.options.httpPort, 0);
    EXPECT_EQ(parsed.options.demoTimes.ended, 3s);

    parsed = ParseServerOptions({});
    EXPECT_FALSE(parsed.options.demo);
    EXPECT_FALSE(parsed.options.httpPort);
    EXPECT_NE(ParseServerOptions({"--http-port", "70000"}).error, "");
    EXPECT_NE(ParseServerOptions({"--demo-times", "1,2"}).error, "");
    EXPECT_NE(ParseServerOptions({"--demo-times"}).error, "");
}

}  // namespace
}  // namespace ostiva::server
