// The control commands against the server's state, without sockets: what
// each answers, and that bad arguments are refused with a reason.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "ControlHandler.h"
#include "ServerCore.h"
#include "ServerDatabase.h"

namespace ostiva::server {
namespace {

class ControlCommands : public ::testing::Test {
  protected:
    std::string Run(const std::string& line) { return handler.Handle(line); }
    static bool IsError(const std::string& answer) { return answer.rfind("ERR ", 0) == 0; }

    ServerDatabase db;
    ServerCore core{db};
    ControlHandler handler{core};
};

TEST_F(ControlCommands, StatusOfAKnownCodeIsStoredEvenWithoutAConsole) {
    int32_t code = core.timeline().Issue("alice", "t")->code;
    std::string c = std::to_string(code);
    EXPECT_EQ(Run("status " + c + " 2 5 a%20b \"c d\" \"10:00\" 14"), "OK stored");
    auto entry = core.timeline().Find(code);
    EXPECT_EQ(entry->state, 2);
    EXPECT_EQ(entry->connectionNumber, 5);
    EXPECT_EQ(entry->firstAddress, u"a b");
    EXPECT_EQ(entry->secondAddress, u"c d");
    EXPECT_EQ(entry->beginTime, u"10:00");
    EXPECT_EQ(entry->osCode, 14);
    // Stored in the database, and counted as today's connection.
    EXPECT_EQ(db.LoadCodes().at(0).state, 2);
    EXPECT_EQ(core.AccountInfoFor("alice").todayConnections, 1);
}

TEST_F(ControlCommands, BadArgumentsAreRefused) {
    int32_t code = core.timeline().Issue("alice", "t")->code;
    std::string c = std::to_string(code);
    const std::string bad[] = {
        "status",
        "status " + c,
        "status x 1",
        "status " + c + " 70000",
        "status " + c + " 1 notanumber",
        "status " + c + " 2 1 a b t 65536",
        "status " + c + " 2 1 a b t 1 extra",
        "status 1 1",
        "advance",
        "advance 1",
        "codes a b",
        "deleted x",
        "records",
        "kick",
        "kick nobody",
        "drop nobody",
        "close nobody",
        "raw nobody 00",
        "raw alice",
        "raw alice 0",
        "split",
        "split maybe",
        "fault bogus",
        "fault hello-reply",
        "fault no-account 1",
        "fault login-result 6001 x",
        "ping me",
        "nonsense",
        "",
        "\"open",
    };
    for (const auto& line : bad) EXPECT_TRUE(IsError(Run(line))) << line << " -> " << Run(line);
    EXPECT_EQ(core.timeline().Find(code)->state, 0);
    EXPECT_FALSE(core.QuitRequested());
}

TEST_F(ControlCommands, ListsAreJsonArrays) {
    int32_t first = core.timeline().Issue("alice", "t")->code;
    core.timeline().Issue("bob", "t");
    core.timeline().Delete("alice", first);
    auto codes = nlohmann::json::parse(Run("codes alice").substr(3));
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(codes[0]["code"], first);
    EXPECT_EQ(codes[0]["deleted"], true);
    EXPECT_EQ(nlohmann::json::parse(Run("codes").substr(3)).size(), 2u);
    EXPECT_EQ(Run("deleted"), "OK [" + std::to_string(first) + "]");
    EXPECT_EQ(Run("sessions"), "OK []");
    EXPECT_EQ(Run("records alice"), "OK []");

    StoredReport report;
    report.helperId = "alice";
    report.memo = "line one \"quoted\" \xff";  // not UTF-8 at the end
    report.receivedAt = "t";
    db.AddReport(report);
    auto reports = nlohmann::json::parse(Run("reports alice").substr(3));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0]["memo"], "line one \"quoted\" \xef\xbf\xbd");
    EXPECT_EQ(Run("reports bob"), "OK []");
}

TEST_F(ControlCommands, FaultsAreArmedAndUsedUpInOrder) {
    EXPECT_EQ(Run("fault login-result 6001 6000"), "OK");
    EXPECT_EQ(Run("fault zero-close"), "OK");
    EXPECT_EQ(Run("fault"), "OK login-result=6001,6000 zero-close");
    EXPECT_EQ(core.faults().Take(Fault::LoginResult), 6001);
    EXPECT_EQ(core.faults().Take(Fault::LoginResult), 6000);
    EXPECT_FALSE(core.faults().Take(Fault::LoginResult));
    EXPECT_EQ(Run("fault none"), "OK");
    EXPECT_FALSE(core.faults().Take(Fault::ZeroClose));
    EXPECT_EQ(Run("split on"), "OK");
    EXPECT_TRUE(core.Split());
}

}  // namespace
}  // namespace ostiva::server
