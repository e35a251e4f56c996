// How the receive loop ends and what it makes of records that are split,
// cut short, unknown or followed by a closed connection, with the real
// server sending them.

#include "SessionFixture.h"

namespace ostiva::test {
namespace {

class ReceiveLoopEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.IsRunning()) << server.Log();
        ASSERT_TRUE(console.Login(u"alice", u"secret-a"));
        ASSERT_TRUE(WaitForReady(server, "alice"));
    }

    // Waits a little and returns the events: for checks that nothing more came.
    std::vector<std::string> SettledEvents(size_t expected) {
        console.events.WaitForCount(expected + 1, 300);
        return console.events.events();
    }

    ServerProcess server;
    Console console{server};
};

TEST_F(ReceiveLoopEnd, ResetConnectionIsALostConnection) {
    EXPECT_EQ(server.Control("drop alice"), "OK");
    ASSERT_TRUE(console.events.WaitForCount(1));
    EXPECT_EQ(SettledEvents(1), std::vector<std::string>{"lost"});
    EXPECT_TRUE(console.client->HasSessionEnded());
}

TEST_F(ReceiveLoopEnd, ServerThatClosesRightAfterConsoleReadyEndsTheNextSession) {
    ASSERT_EQ(server.Control("fault zero-close"), "OK");
    Console second(server);
    ASSERT_TRUE(second.Login(u"carol", u"secret-c"));
    ASSERT_TRUE(second.events.WaitForCount(1));
    EXPECT_EQ(second.events.events(), std::vector<std::string>{"lost"});
}

TEST_F(ReceiveLoopEnd, KickEndsWithSignedInElsewhere) {
    EXPECT_EQ(server.Control("kick alice"), "OK");
    ASSERT_TRUE(console.events.WaitForCount(1));
    // The close that follows the record is not reported as a lost connection.
    EXPECT_EQ(SettledEvents(1), std::vector<std::string>{"elsewhere"});
}

// A record that the close cuts short is dropped whole, wherever the cut
// falls: inside the type, inside the code number, inside the addresses, one
// byte short. Only the lost connection is reported, never a guess at the
// record.
TEST_F(ReceiveLoopEnd, RecordCutShortByTheCloseIsDroppedThenLost) {
    wire::CodeStatus status;
    status.code = 654321;
    status.state = 2;
    status.connectionNumber = 9;
    status.firstAddress = u"203.0.113.7";
    status.secondAddress = u"192.168.1.20";
    const wire::Bytes record = wire::BuildCodeStatus(status);
    const std::string created = Hex(wire::BuildCodeCreated(111111));
    for (size_t cut : {size_t(1), size_t(6), size_t(10), size_t(64), record.size() - 1}) {
        SCOPED_TRACE("cut after " + std::to_string(cut) + " bytes");
        Console cutShort(server);
        ASSERT_TRUE(cutShort.Login(u"carol", u"secret-c"));
        const std::string head = Hex(wire::Bytes(record.begin(), record.begin() + long(cut)));
        // A whole record first, so the cut one follows a record boundary.
        EXPECT_EQ(server.Control("raw carol " + created + head), "OK");
        EXPECT_EQ(server.Control("close carol"), "OK");
        ASSERT_TRUE(cutShort.events.WaitForCount(2));
        cutShort.events.WaitForCount(3, 300);
        EXPECT_EQ(cutShort.events.events(), (std::vector<std::string>{"created 111111", "lost"}));
        // The next round signs in afresh once the server has let this one go.
        ASSERT_TRUE(WaitForSession(server, "carol", false));
    }
}

TEST_F(ReceiveLoopEnd, SignedInElsewhereCutShortIsALostConnection) {
    EXPECT_EQ(server.Control("raw alice f603"), "OK");  // 1014, two bytes only
    EXPECT_EQ(server.Control("close alice"), "OK");
    ASSERT_TRUE(console.events.WaitForCount(1));
    EXPECT_EQ(SettledEvents(1), std::vector<std::string>{"lost"});
}

TEST_F(ReceiveLoopEnd, UnknownAndZeroRecordsChangeNothing) {
    wire::Bytes unknown(wire::kReceiveRecordSize, 0);
    unknown[0] = 0x92;  // 4242
    unknown[1] = 0x10;
    wire::Bytes zero(wire::kReceiveRecordSize, 0);
    EXPECT_EQ(server.Control("raw alice " + Hex(unknown) + Hex(zero)), "OK");
    EXPECT_EQ(server.Control("raw alice " + Hex(wire::BuildCodeCreated(111222))), "OK");
    ASSERT_TRUE(console.events.WaitForCount(1));
    EXPECT_EQ(SettledEvents(1), std::vector<std::string>{"created 111222"});
}

TEST_F(ReceiveLoopEnd, RecordsInOneSegmentAreTakenApart) {
    // Three records in one send: each is handled on its own.
    EXPECT_EQ(
        server.Control("raw alice " + Hex(wire::BuildCodeCreated(100001)) +
                       Hex(wire::BuildCodeCreated(100002)) + Hex(wire::BuildSignedInElsewhere())),
        "OK");
    ASSERT_TRUE(console.events.WaitForCount(3));
    EXPECT_EQ(SettledEvents(3),
              (std::vector<std::string>{"created 100001", "created 100002", "elsewhere"}));
}

TEST_F(ReceiveLoopEnd, RecordSplitInTheMiddleIsPutBackTogether) {
    EXPECT_EQ(server.Control("raw alice " + Hex(wire::BuildSignedInElsewhere()).substr(0, 100)),
              "OK");
    EXPECT_TRUE(console.events.events().empty());
    EXPECT_EQ(server.Control("raw alice " + Hex(wire::BuildSignedInElsewhere()).substr(100)), "OK");
    ASSERT_TRUE(console.events.WaitForCount(1));
    EXPECT_EQ(SettledEvents(1), std::vector<std::string>{"elsewhere"});
}

}  // namespace
}  // namespace ostiva::test
