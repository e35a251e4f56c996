// A client that breaks the dialogue: the real server closes that connection
// with a log line and goes on serving everyone else.

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <functional>
#include <string>

#include "session/Records.h"
#include "support/ServerProcess.h"
#include "transport/SocketIPv4.h"

namespace ostiva::test {
namespace {

constexpr int kWaitMs = 5000;

class BadRecords : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server.IsRunning()) << server.Log(); }

    // A connection that has done the key exchange and, with `hello`, the hello.
    std::unique_ptr<SocketIPv4> Open(bool hello = true) {
        auto socket = std::make_unique<SocketIPv4>();
        EXPECT_TRUE(socket->Connect(AddressIPv4::Resolve(u"127.0.0.1", server.Port()), kWaitMs));
        EXPECT_TRUE(socket->StartSecureChannel());
        if (hello) {
            Send(*socket, wire::BuildHello());
            uint8_t reply[2];
            EXPECT_EQ(socket->ReceiveExact(reply, 2, kWaitMs), 2u);
            EXPECT_EQ(wire::ReadType(reply), wire::MSG_HELLO_REPLY);
        }
        return socket;
    }
    static void Send(SocketIPv4& socket, const wire::Bytes& bytes) {
        EXPECT_EQ(socket.SendBytes(bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    // Logs in as alice and reads the account; the connection is then in
    // its command phase.
    std::unique_ptr<SocketIPv4> LoggedIn() {
        auto socket = Open();
        wire::LoginRequest login;
        login.helperId = u"alice";
        login.password = u"secret-a";
        Send(*socket, wire::BuildLogin(login));
        wire::Bytes reply(wire::kLoginReplySize);
        EXPECT_EQ(socket->ReceiveExact(reply.data(), reply.size(), kWaitMs), reply.size());
        Send(*socket, wire::BuildAccountRequest());
        wire::Bytes account(wire::kAccountInfoSize);
        EXPECT_EQ(socket->ReceiveExact(account.data(), account.size(), kWaitMs), account.size());
        Send(*socket, wire::BuildConsoleReady());
        return socket;
    }
    // True when the server closed the connection: the next receive ends
    // without a byte.
    static bool ClosedByServer(SocketIPv4& socket) {
        uint8_t byte;
        SocketIPv4::ReceiveEnd end;
        size_t got = socket.ReceiveExact(&byte, 1, kWaitMs, &end);
        return got == 0 &&
               (end == SocketIPv4::ReceiveEnd::Closed || end == SocketIPv4::ReceiveEnd::Failed);
    }
    bool Logged(const std::string& text) {
        server.WaitFor("ping", [&](const std::string&) {
            return server.Log().find(text) != std::string::npos;
        });
        return server.Log().find(text) != std::string::npos;
    }
    // The server still serves a well-behaved client.
    void StillServes() {
        auto socket = LoggedIn();
        Send(*socket, wire::BuildCreateCode());
        wire::Bytes created(wire::kReceiveRecordSize);
        ASSERT_EQ(socket->ReceiveExact(created.data(), created.size(), kWaitMs), created.size());
        EXPECT_EQ(wire::ReadType(created), wire::MSG_CODE_CREATED);
    }

    ServerProcess server;
};

TEST_F(BadRecords, GarbageInsteadOfAPublicKey) {
    SocketIPv4 socket;
    ASSERT_TRUE(socket.Connect(AddressIPv4::Resolve(u"127.0.0.1", server.Port()), kWaitMs));
    std::string garbage(321, 'Z');
    garbage.back() = '\0';
    ASSERT_EQ(socket.SendBytes(garbage.data(), garbage.size()), ssize_t(garbage.size()));
    EXPECT_TRUE(ClosedByServer(socket));
    EXPECT_TRUE(Logged("no usable public key"));
    StillServes();
}

TEST_F(BadRecords, SomethingOtherThanTheHello) {
    auto socket = Open(false);
    Send(*socket, wire::BuildAccountRequest());
    EXPECT_TRUE(ClosedByServer(*socket));
    EXPECT_TRUE(Logged("expected MSG_HELLO, got type 1020"));
    StillServes();
}

TEST_F(BadRecords, UnknownTypeAfterTheLogin) {
    auto socket = LoggedIn();
    Send(*socket, wire::Bytes{0x39, 0x30});  // 12345
    EXPECT_TRUE(ClosedByServer(*socket));
    EXPECT_TRUE(Logged("unknown record type 12345"));
    StillServes();
}

TEST_F(BadRecords, CommandBeforeTheLogin) {
    auto socket = Open();
    Send(*socket, wire::BuildCreateCode());
    EXPECT_TRUE(ClosedByServer(*socket));
    EXPECT_TRUE(Logged("out of order during the login"));
    StillServes();
}

TEST_F(BadRecords, AccountRequestAfterARefusedLogin) {
    auto socket = Open();
    wire::LoginRequest login;
    login.helperId = u"alice";
    login.password = u"wrong";
    Send(*socket, wire::BuildLogin(login));
    wire::Bytes reply(wire::kLoginReplySize);
    ASSERT_EQ(socket->ReceiveExact(reply.data(), reply.size(), kWaitMs), reply.size());
    EXPECT_EQ(wire::ReadLoginReply(reply).result, wire::LOGIN_WRONG_CREDENTIALS);
    Send(*socket, wire::BuildAccountRequest());
    EXPECT_TRUE(ClosedByServer(*socket));
    EXPECT_TRUE(Logged("account request without a valid login"));
}

TEST_F(BadRecords, LoginThatSpeaksForAnotherHelper) {
    auto socket = Open();
    wire::LoginRequest login;
    login.helperId = u"alice";
    login.password = u"secret-a";
    Send(*socket, wire::BuildLogin(login));
    wire::Bytes reply(wire::kLoginReplySize);
    ASSERT_EQ(socket->ReceiveExact(reply.data(), reply.size(), kWaitMs), reply.size());
    login.helperId = u"carol";
    login.password = u"wrong";
    Send(*socket, wire::BuildLogin(login));
    EXPECT_TRUE(ClosedByServer(*socket));
    EXPECT_TRUE(Logged("second login for another helper ID"));
    // The helper's console slot went with the connection.
    server.WaitFor("sessions", [](const std::string& a) { return a == "OK []"; });
    EXPECT_EQ(server.Control("sessions"), "OK []");
}

TEST_F(BadRecords, RecordCutShortByTheClient) {
    auto socket = Open();
    wire::Bytes login = wire::BuildLogin(wire::LoginRequest{});
    login.resize(100);
    Send(*socket, login);
    ::shutdown(socket->GetHandle(), SHUT_WR);
    EXPECT_TRUE(ClosedByServer(*socket));
    EXPECT_TRUE(Logged("record of type 1010 cut short"));
    StillServes();
}

TEST_F(BadRecords, ContactWithoutCustomerAndCustomerWithoutContact) {
    auto first = LoggedIn();
    Send(*first, wire::BuildReportContact({}));
    EXPECT_TRUE(ClosedByServer(*first));
    EXPECT_TRUE(Logged("MSG_REPORT_CONTACT without MSG_REPORT_CUSTOMER"));
    auto second = LoggedIn();
    Send(*second, wire::BuildReportCustomer({}));
    Send(*second, wire::BuildCreateCode());
    EXPECT_TRUE(ClosedByServer(*second));
    EXPECT_TRUE(Logged("not followed by MSG_REPORT_CONTACT"));
    EXPECT_EQ(server.Control("reports"), "OK []");
}

}  // namespace
}  // namespace ostiva::test
