// The three commands and the code states against the real server: what the
// server received byte for byte, what it stored, and what came back through
// the receive loop.

#include "SessionFixture.h"

namespace ostiva::test {
namespace {

class SessionCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.IsRunning()) << server.Log();
        ASSERT_TRUE(console.Login(u"alice", u"secret-a"));
    }

    // The records after the three of the login (login, account request,
    // console ready), once there are `count` of them.
    std::vector<std::string> CommandRecords(size_t count) {
        std::vector<std::string> records;
        server.WaitFor("records alice", [&](const std::string& answer) {
            return ListOf(answer).size() >= 3 + count;
        });
        records = RecordsOf(server, "alice");
        if (records.size() < 3) return {};
        return std::vector<std::string>(records.begin() + 3, records.end());
    }

    int32_t NewCode(size_t index = 0) {
        console.client->RequestNewCode();
        return console.events.WaitForCreatedCode(index);
    }

    ServerProcess server;
    Console console{server};
};

TEST_F(SessionCommands, LoginSequenceReachesTheServerInOrder) {
    ASSERT_TRUE(WaitForReady(server, "alice"));
    auto records = RecordsOf(server, "alice");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1], Hex(wire::BuildAccountRequest()));
    EXPECT_EQ(records[2], Hex(wire::BuildConsoleReady()));
}

TEST_F(SessionCommands, CreateAndDeleteAreSentWhole) {
    int32_t first = NewCode(0);
    int32_t second = NewCode(1);
    ASSERT_NE(first, 0);
    ASSERT_NE(second, 0);
    EXPECT_NE(first, second);
    console.client->DeleteCode(first);
    auto records = CommandRecords(3);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], Hex(wire::BuildCreateCode()));
    EXPECT_EQ(records[1], Hex(wire::BuildCreateCode()));
    EXPECT_EQ(records[2], Hex(wire::BuildDeleteCode(first)));
    EXPECT_EQ(ListOf(server.Control("deleted")), nlohmann::json::array({first}));
    auto codes = ListOf(server.Control("codes alice"));
    ASSERT_EQ(codes.size(), 2u);
    EXPECT_EQ(codes[0]["code"], first);
    EXPECT_EQ(codes[0]["deleted"], true);
    EXPECT_EQ(codes[1]["deleted"], false);
}

TEST_F(SessionCommands, ReportIsSentAsTwoRecordsWithTextsCutAtTheirSlots) {
    AccessCode entry;
    entry.connectionNumber = 0x01020304;
    entry.company = std::u16string(35, u'C');  // slot: 30 units
    entry.customerName = u"Dana Müller";
    entry.email = u"dana@example.com";
    entry.phone = u"+81 3 1234 5678";
    entry.memo = std::u16string(1030, u'm');  // slot: 1024 units
    console.client->SaveReport(entry);

    auto records = CommandRecords(2);
    ASSERT_EQ(records.size(), 2u);
    wire::ReportCustomer customer{entry.connectionNumber, entry.company, entry.customerName};
    wire::ReportContact contact{entry.email, entry.phone, entry.memo};
    EXPECT_EQ(records[0], Hex(wire::BuildReportCustomer(customer)));
    EXPECT_EQ(records[1], Hex(wire::BuildReportContact(contact)));
    EXPECT_EQ(records[0].size(), 2 * wire::kCommandSize);
    EXPECT_EQ(records[1].size(), 2 * wire::kReportContactSize);

    auto reports = ListOf(server.Control("reports alice"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0]["connection"], 0x01020304);
    EXPECT_EQ(reports[0]["company"], std::string(30, 'C'));
    EXPECT_EQ(reports[0]["name"], "Dana Müller");
    EXPECT_EQ(reports[0]["phone"], "+81 3 1234 5678");
    EXPECT_EQ(reports[0]["memo"], std::string(1024, 'm'));
    EXPECT_TRUE(reports[0]["code"].is_null());
    EXPECT_TRUE(ListOf(server.Control("reports bob")).empty());
}

TEST_F(SessionCommands, StatusesOfACustomersConnectionArriveInOrder) {
    int32_t code = NewCode();
    ASSERT_NE(code, 0);
    std::string c = std::to_string(code);
    EXPECT_EQ(server.Control("status " + c + " 1"), "OK delivered");
    EXPECT_EQ(
        server.Control("status " + c + " 2 7 203.0.113.5 \"10.0.0.7\" \"2024-05-01 10:00:00\" 8"),
        "OK delivered");
    EXPECT_EQ(server.Control("status " + c + " 3 7 203.0.113.5 10.0.0.7 2024-05-01%2010:30:00 8"),
              "OK delivered");
    ASSERT_TRUE(console.events.WaitForCount(4));
    EXPECT_EQ(console.events.events(),
              (std::vector<std::string>{"created " + c, "status " + c + " 1", "status " + c + " 2",
                                        "status " + c + " 3"}));
    auto statuses = console.events.statuses();
    EXPECT_EQ(statuses[1].connectionNumber, 7);
    EXPECT_EQ(statuses[1].firstAddress, u"203.0.113.5");
    EXPECT_EQ(statuses[1].secondAddress, u"10.0.0.7");
    EXPECT_EQ(statuses[1].timeText, u"2024-05-01 10:00:00");
    EXPECT_EQ(statuses[1].osCode, 8);
    EXPECT_EQ(statuses[2].timeText, u"2024-05-01 10:30:00");

    // The report names the code by its connection number, and the
    // connection counts for today at the next login.
    AccessCode entry;
    entry.connectionNumber = 7;
    entry.company = u"Customer Co";
    console.client->SaveReport(entry);
    auto reports = ListOf(
        server.WaitFor("reports alice", [](const std::string& a) { return !ListOf(a).empty(); }));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0]["code"], code);
    console.client.reset();
    ASSERT_TRUE(WaitForSession(server, "alice", false));
    Console again(server);
    ASSERT_TRUE(again.Login(u"alice", u"secret-a"));
    EXPECT_EQ(again.client->todayConnections(), 1);
}

TEST_F(SessionCommands, StatusForAnotherHelpersCodeDoesNotReachThisConsole) {
    Console other(server);
    ASSERT_TRUE(other.Login(u"carol", u"secret-c"));
    other.client->RequestNewCode();
    int32_t code = other.events.WaitForCreatedCode();
    ASSERT_NE(code, 0);
    EXPECT_EQ(server.Control("status " + std::to_string(code) + " 1"), "OK delivered");
    ASSERT_TRUE(other.events.WaitForCount(2));
    EXPECT_TRUE(console.events.events().empty());
    other.client.reset();
    ASSERT_TRUE(WaitForSession(server, "carol", false));
    EXPECT_EQ(server.Control("status " + std::to_string(code) + " 3"), "OK stored");
}

TEST_F(SessionCommands, CommandsAfterStopAreSilentlyLost) {
    console.client->Stop();
    ASSERT_TRUE(WaitForSession(server, "alice", false));
    console.client->RequestNewCode();
    console.client->DeleteCode(123456);
    console.client->SaveReport(AccessCode{});
    EXPECT_EQ(RecordsOf(server, "alice").size(), 3u);
    // Stop ends the loop without handing anything over.
    EXPECT_TRUE(console.events.events().empty());
}

}  // namespace
}  // namespace ostiva::test
