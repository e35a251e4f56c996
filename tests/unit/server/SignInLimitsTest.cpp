// The session listener in this process with short limits: a connection
// that does not sign in in time is closed, and connections that have not
// signed in are turned away beyond their own share while signed-in
// consoles go on being served.

#include <gtest/gtest.h>

#include <thread>

#include "PasswordHash.h"
#include "ServerCore.h"
#include "ServerDatabase.h"
#include "SessionServer.h"
#include "session/Records.h"
#include "transport/SocketIPv4.h"

namespace ostiva::server {
namespace {

constexpr int kWaitMs = 5000;

class SignInLimits : public ::testing::Test {
  protected:
    void SetUp() override {
        Account alice;
        alice.id = "alice";
        alice.passwordHash = HashPassword("secret-a", 1000);
        db.PutAccount(alice);
        limits.signInMs = 300;
        sessions = std::make_unique<SessionServer>(core, 0, true, limits);
        thread = std::thread([this] { sessions->Run(); });
    }
    void TearDown() override {
        sessions->Stop();
        thread.join();
    }

    std::unique_ptr<SocketIPv4> Connect() {
        auto socket = std::make_unique<SocketIPv4>();
        EXPECT_TRUE(socket->Connect(AddressIPv4::Resolve(u"127.0.0.1", sessions->Port()), kWaitMs));
        return socket;
    }
    // Key exchange and hello done.
    std::unique_ptr<SocketIPv4> Open() {
        auto socket = Connect();
        EXPECT_TRUE(socket->StartSecureChannel());
        Send(*socket, wire::BuildHello());
        uint8_t reply[2];
        EXPECT_EQ(socket->ReceiveExact(reply, 2, kWaitMs), 2u);
        return socket;
    }
    static void Send(SocketIPv4& socket, const wire::Bytes& bytes) {
        EXPECT_EQ(socket.SendBytes(bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    static bool ClosedByServer(SocketIPv4& socket) {
        uint8_t byte;
        SocketIPv4::ReceiveEnd end;
        return socket.ReceiveExact(&byte, 1, kWaitMs, &end) == 0 &&
               end != SocketIPv4::ReceiveEnd::TimedOut;
    }
    std::unique_ptr<SocketIPv4> SignedIn() {
        auto socket = Open();
        wire::LoginRequest login;
        login.helperId = u"alice";
        login.password = u"secret-a";
        Send(*socket, wire::BuildLogin(login));
        wire::Bytes reply(wire::kLoginReplySize);
        EXPECT_EQ(socket->ReceiveExact(reply.data(), reply.size(), kWaitMs), reply.size());
        EXPECT_EQ(wire::ReadLoginReply(reply).result, LOGIN_ACCEPTED);
        Send(*socket, wire::BuildAccountRequest());
        wire::Bytes account(wire::kAccountInfoSize);
        EXPECT_EQ(socket->ReceiveExact(account.data(), account.size(), kWaitMs), account.size());
        Send(*socket, wire::BuildConsoleReady());
        return socket;
    }

    ServerDatabase db;
    ServerCore core{db, std::chrono::milliseconds(0)};
    ConnectionLimits limits;
    std::unique_ptr<SessionServer> sessions;
    std::thread thread;
};

TEST_F(SignInLimits, ConnectionThatDoesNotSignInIsClosed) {
    auto idle = Open();
    EXPECT_TRUE(ClosedByServer(*idle));
    // Refused logins do not buy time either.
    auto guessing = Open();
    wire::LoginRequest login;
    login.helperId = u"alice";
    login.password = u"wrong";
    bool closed = false;
    for (int i = 0; i < 3 && !closed; ++i) {
        Send(*guessing, wire::BuildLogin(login));
        wire::Bytes reply(wire::kLoginReplySize);
        closed = guessing->ReceiveExact(reply.data(), reply.size(), kWaitMs) != reply.size();
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    EXPECT_TRUE(closed || ClosedByServer(*guessing));
}

TEST_F(SignInLimits, WaitingConnectionsCannotCrowdOutSignedInConsoles) {
    auto console = SignedIn();
    // Idle connections that never start the key exchange (which has its
    // own, longer, limit) fill their share; the next is turned away at once.
    std::vector<std::unique_ptr<SocketIPv4>> idle;
    for (size_t i = 0; i < SessionServer::kMaxWaitingForSignIn; ++i) idle.push_back(Connect());
    auto oneTooMany = Connect();
    EXPECT_TRUE(ClosedByServer(*oneTooMany));
    // The console that signed in is still served.
    Send(*console, wire::BuildCreateCode());
    wire::Bytes created(wire::kReceiveRecordSize);
    ASSERT_EQ(console->ReceiveExact(created.data(), created.size(), kWaitMs), created.size());
    EXPECT_EQ(wire::ReadType(created), wire::MSG_CODE_CREATED);
    // Once they are gone, a new console signs in.
    idle.clear();
    // Their threads notice the close on their own time: try a few times.
    std::unique_ptr<SocketIPv4> next;
    for (int attempt = 0; attempt < 50; ++attempt) {
        auto socket = Connect();
        if (socket->StartSecureChannel()) {
            next = std::move(socket);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_NE(next, nullptr);
}

}  // namespace
}  // namespace ostiva::server
