// A client that logs in over and over: one connection gets a few attempts
// and is then closed, failed logins of one helper ID or from one address
// wait longer and longer, and nothing is kept for the IDs it made up.

#include <gtest/gtest.h>

#include "RawConsole.h"
#include "support/ServerProcess.h"

namespace ostiva::test {
namespace {

bool Logged(const ServerProcess& server, const std::string& text) {
    server.WaitFor(
        "ping", [&](const std::string&) { return server.Log().find(text) != std::string::npos; });
    return server.Log().find(text) != std::string::npos;
}

TEST(LoginLimits, OneConnectionGetsThreeLogins) {
    ServerProcess server;
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    for (int round = 0; round < 3; ++round) {
        auto socket = OpenConsole(server.Port());
        for (int attempt = 0; attempt < 3; ++attempt) {
            std::u16string id = u"guess-" + std::u16string(1, char16_t(u'a' + round * 3 + attempt));
            EXPECT_EQ(SendLogin(*socket, id, u"pw"), wire::LOGIN_WRONG_CREDENTIALS);
        }
        wire::LoginRequest fourth;
        fourth.helperId = u"alice";
        fourth.password = u"secret-a";
        SendRecord(*socket, wire::BuildLogin(fourth));
        EXPECT_TRUE(ClosedByServer(*socket)) << "round " << round;
    }
    EXPECT_TRUE(Logged(server, "more than 3 logins"));
    EXPECT_EQ(server.Control("records guess-a"), "OK []");
    // The helpers themselves still sign in.
    uint16_t result = 0;
    auto console = LoggedInConsole(server.Port(), u"alice", u"secret-a", &result);
    EXPECT_EQ(result, 6003);
}

TEST(LoginLimits, FailedLoginsWaitLongerAndLonger) {
    ServerProcess::Options options;
    options.loginPaceMs = 50;
    ServerProcess server(options);
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    {
        auto socket = OpenConsole(server.Port());
        for (int attempt = 0; attempt < 3; ++attempt) {
            EXPECT_EQ(SendLogin(*socket, u"alice", u"wrong"), wire::LOGIN_WRONG_CREDENTIALS);
        }
    }
    // The first login waited for nothing; each failure doubled the wait.
    EXPECT_TRUE(Logged(server, "login of alice waits 50 ms"));
    EXPECT_TRUE(Logged(server, "login of alice waits 100 ms"));
    // Another ID from the same address waits too (three failures so far),
    // and so does the right password for the ID that was guessed at.
    auto other = OpenConsole(server.Port());
    EXPECT_EQ(SendLogin(*other, u"carol", u"wrong"), wire::LOGIN_WRONG_CREDENTIALS);
    EXPECT_TRUE(Logged(server, "login of carol waits 200 ms"));
    uint16_t result = 0;
    auto console = LoggedInConsole(server.Port(), u"alice", u"secret-a", &result);
    EXPECT_EQ(result, 6003);
    EXPECT_TRUE(Logged(server, "login of alice waits 400 ms"));
}

}  // namespace
}  // namespace ostiva::test
