// Every answer a login can get from the real server, and what the console
// makes of it: the result, the reason kept for the caller, and exactly the
// messages and questions the technician saw.

#include "SessionFixture.h"

namespace ostiva::test {
namespace {

class LoginOutcome : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server.IsRunning()) << server.Log(); }

    // The helper's first console, logged in.
    std::unique_ptr<Console> FirstConsole() {
        auto console = std::make_unique<Console>(server);
        EXPECT_TRUE(console->Login(u"alice", u"secret-a"));
        return console;
    }

    ServerProcess server;
};

TEST_F(LoginOutcome, AcceptedLoginFillsTheAccountAndStartsTheLoop) {
    Console console(server);
    ASSERT_TRUE(console.Login(u"alice", u"secret-a"));
    const SessionClient& client = *console.client;
    EXPECT_TRUE(client.IsConnected());
    EXPECT_EQ(client.LastLoginFailure().reason, LoginFailureReason::None);
    EXPECT_EQ(client.expiryDate(), u"2099-12-31");
    EXPECT_EQ(client.companyName(), u"Acme Support");
    EXPECT_EQ(client.helperName(), u"Alice Anders");
    EXPECT_EQ(client.helperId(), u"alice");
    EXPECT_EQ(client.customerUrl(), u"https://c.example/alice");
    EXPECT_EQ(client.linkUrl1(), u"https://link1.example/");
    EXPECT_EQ(client.linkUrl2(), u"https://link2.example/");
    EXPECT_EQ(client.todayConnections(), 0);
    EXPECT_TRUE(console.prompt.messages().empty());
    EXPECT_TRUE(console.prompt.questions().empty());
    EXPECT_TRUE(WaitForSession(server, "alice"));
    EXPECT_FALSE(client.HasSessionEnded());
}

TEST_F(LoginOutcome, LoginRecordCarriesTheLocalAddressAndVersion) {
    Console console(server, {}, "[helper]\nversion=2.3.4-rc1x\n");
    ASSERT_TRUE(console.Login(u"alice", u"secret-a"));
    auto records = RecordsOf(server, "alice");
    ASSERT_GE(records.size(), 1u);
    // The server keeps the record without its password.
    wire::LoginRequest expected;
    expected.helperId = u"alice";
    expected.localAddress = u"127.0.0.1";
    expected.clientVersion = u"2.3.4-rc1";  // "version" is read with capacity 10
    EXPECT_EQ(records[0], Hex(wire::BuildLogin(expected)));
}

TEST_F(LoginOutcome, WrongPasswordShowsString108) {
    Console console(server);
    EXPECT_FALSE(console.Login(u"alice", u"wrong"));
    EXPECT_EQ(console.client->LastLoginFailure().reason, LoginFailureReason::WrongCredentials);
    auto messages = console.prompt.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].EnglishText(), u"Wrong ID/PW");
    EXPECT_FALSE(console.client->IsConnected());
    EXPECT_TRUE(console.client->companyName().empty());
}

TEST_F(LoginOutcome, ExpiredAccountShowsString107WithTheServersDate) {
    Console console(server);
    EXPECT_FALSE(console.Login(u"bob", u"secret-b"));
    EXPECT_EQ(console.client->LastLoginFailure().reason, LoginFailureReason::Expired);
    auto messages = console.prompt.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(
        messages[0].EnglishText(),
        u"Your account was expired.(expired date : 2001-02-03) Please contact administrator.");
    ASSERT_TRUE(console.client->LastLoginFailure().message);
    EXPECT_EQ(console.client->LastLoginFailure().message->argument, u"2001-02-03");
    EXPECT_TRUE(console.client->expiryDate().empty());
}

TEST_F(LoginOutcome, AlreadyActiveAnsweredNoFailsWithoutAnotherMessage) {
    auto first = FirstConsole();
    Console second(server, {false});
    EXPECT_FALSE(second.Login(u"alice", u"secret-a"));
    EXPECT_EQ(second.client->LastLoginFailure().reason, LoginFailureReason::Declined);
    auto questions = second.prompt.questions();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].EnglishText(), u"Login already. Do you login forcely?");
    EXPECT_TRUE(second.prompt.messages().empty());
    // The first console goes on undisturbed.
    first->client->RequestNewCode();
    EXPECT_NE(first->events.WaitForCreatedCode(), 0);
    EXPECT_EQ(first->events.events().size(), 1u);
}

TEST_F(LoginOutcome, ForcedLoginEndsTheFirstConsoleWithSignedInElsewhere) {
    auto first = FirstConsole();
    Console second(server, {true});
    ASSERT_TRUE(second.Login(u"alice", u"secret-a"));
    EXPECT_EQ(second.prompt.questions().size(), 1u);
    ASSERT_TRUE(first->events.WaitForCount(1));
    EXPECT_EQ(first->events.events(), std::vector<std::string>{"elsewhere"});
    // The record is the last the first console hands over.
    EXPECT_TRUE(first->client->HasSessionEnded());
    // The second console is the helper's console now.
    second.client->RequestNewCode();
    int32_t code = second.events.WaitForCreatedCode();
    ASSERT_NE(code, 0);
    EXPECT_EQ(server.Control("status " + std::to_string(code) + " 1"), "OK delivered");
    EXPECT_TRUE(second.events.WaitForCount(2));
}

// The second reply of a forced login decides alone; only 6005 and 6002
// refuse it.
struct ForcedReply {
    int second;
    bool accepted;
    LoginFailureReason reason;
    size_t messages;
};

class ForcedLoginReply : public LoginOutcome, public ::testing::WithParamInterface<ForcedReply> {};

TEST_P(ForcedLoginReply, DecidesTheLogin) {
    const ForcedReply& c = GetParam();
    ASSERT_EQ(server.Control("fault login-result 6001 " + std::to_string(c.second)), "OK");
    Console console(server, {true});
    EXPECT_EQ(console.Login(u"alice", u"secret-a"), c.accepted);
    EXPECT_EQ(console.client->LastLoginFailure().reason, c.reason);
    EXPECT_EQ(console.prompt.questions().size(), 1u);
    EXPECT_EQ(console.prompt.messages().size(), c.messages);
    // Both login records reached the server: the plain one, then the forced one.
    auto records = RecordsOf(server, "alice");
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(records[0].substr(0, 4), "f203");  // 1010
    EXPECT_EQ(records[1].substr(0, 4), "f303");  // 1011
    EXPECT_EQ(records[0].substr(4), records[1].substr(4));
}

INSTANTIATE_TEST_SUITE_P(
    SecondReply, ForcedLoginReply,
    ::testing::Values(ForcedReply{6001, true, LoginFailureReason::None, 0},
                      ForcedReply{6000, true, LoginFailureReason::None, 0},
                      ForcedReply{6005, false, LoginFailureReason::ForceRejected, 0},
                      ForcedReply{6002, false, LoginFailureReason::Expired, 1}));

TEST_F(LoginOutcome, AnyOtherResultCodeIsAcceptance) {
    ASSERT_EQ(server.Control("fault login-result 0"), "OK");
    Console console(server);
    EXPECT_TRUE(console.Login(u"alice", u"secret-a"));
    EXPECT_EQ(console.client->companyName(), u"Acme Support");
}

TEST_F(LoginOutcome, HelloReplyOtherThan1001DoesNotStopTheLogin) {
    ASSERT_EQ(server.Control("fault hello-reply 4242"), "OK");
    Console console(server);
    EXPECT_TRUE(console.Login(u"alice", u"secret-a"));
    EXPECT_EQ(console.client->helperName(), u"Alice Anders");
}

TEST_F(LoginOutcome, ServerClosingAfterTheLoginMessageFailsWithString124) {
    ASSERT_EQ(server.Control("fault close-after-login"), "OK");
    Console console(server);
    EXPECT_FALSE(console.Login(u"alice", u"secret-a"));
    EXPECT_EQ(console.client->LastLoginFailure().reason, LoginFailureReason::Error);
    auto messages = console.prompt.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].id, StringId::ConnectionLost);
    EXPECT_EQ(messages[0].EnglishText(), u"The connection has been lost. Please relogin.");
    EXPECT_FALSE(console.client->IsConnected());
    EXPECT_TRUE(console.client->companyName().empty());
}

TEST_F(LoginOutcome, AccountThatNeverArrivesFailsWithString124) {
    ASSERT_EQ(server.Control("fault no-account"), "OK");
    Console console(server);
    SessionClient::Timeouts quick;
    quick.replyMs = 300;
    console.client->SetTimeouts(quick);
    EXPECT_FALSE(console.Login(u"alice", u"secret-a"));
    auto messages = console.prompt.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].id, StringId::ConnectionLost);
    // Nothing of the reply that was read is kept.
    EXPECT_TRUE(console.client->expiryDate().empty());
}

TEST_F(LoginOutcome, RepliesSplitAcrossSegmentsAreReassembled) {
    ASSERT_EQ(server.Control("split on"), "OK");
    Console console(server);
    ASSERT_TRUE(console.Login(u"alice", u"secret-a"));
    EXPECT_EQ(console.client->linkUrl2(), u"https://link2.example/");
    console.client->RequestNewCode();
    int32_t code = console.events.WaitForCreatedCode();
    EXPECT_GE(code, 100000);
    EXPECT_LE(code, 999999);
    EXPECT_EQ(server.Control("status " + std::to_string(code) +
                             " 2 41 10.1.2.3 \"192.168.0.9\" 2024-05-01%2010:00:00 14"),
              "OK delivered");
    ASSERT_TRUE(console.events.WaitForCount(2));
    auto statuses = console.events.statuses();
    ASSERT_EQ(statuses.size(), 1u);
    EXPECT_EQ(statuses[0].connectionNumber, 41);
    EXPECT_EQ(statuses[0].timeText, u"2024-05-01 10:00:00");
    EXPECT_EQ(statuses[0].osCode, 14);
    EXPECT_EQ(console.events.events().size(), 2u);
}

TEST_F(LoginOutcome, OneLoginPerSession) {
    Console console(server);
    ASSERT_TRUE(console.Login(u"alice", u"secret-a"));
    EXPECT_FALSE(console.Login(u"carol", u"secret-c"));
    EXPECT_EQ(console.client->helperId(), u"alice");
}

}  // namespace
}  // namespace ostiva::test
