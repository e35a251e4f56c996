// Logins that never reach a server that answers: a name that does not
// resolve, a port nobody listens on, a peer that accepts and stays silent
// (cancelled from another thread), and input refused before anything is sent.

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "SessionFixture.h"
#include "support/FailureReasonPrinter.h"
#include "support/TempDir.h"
#include "transport/ListenerIPv4.h"
#include "util/Exception.h"

namespace ostiva::test {
namespace {

constexpr int kQuietMs = 300;

TEST(ConnectionFailure, UnresolvableHostFailsWithTheNameNotResolved) {
    Console console("no-such-host.invalid", 80);
    EXPECT_FALSE(console.Login(u"alice", u"secret-a"));
    const LoginFailure& failure = console.client->LastLoginFailure();
    EXPECT_EQ(failure.reason, LoginFailureReason::Error);
    ASSERT_TRUE(failure.message);
    EXPECT_EQ(failure.message->id, StringId::ConnectionFailed);
    FailureReason expected;
    expected.route = RouteKind::Direct;
    expected.step = FailureStep::Resolve;
    expected.cause = FailureCause::NameNotResolved;
    // The name as the settings hold it (cut to the length they keep).
    expected.host = ToUtf8(console.client->serverAddress());
    expected.port = 80;
    EXPECT_EQ(failure.routes, std::vector<FailureReason>{expected});
    EXPECT_EQ(failure.message->routes, failure.routes);
    EXPECT_EQ(console.prompt.messages().size(), 1u);
}

// Runs the probe (probe/SlowLookupProbe.cpp) for at most `limitSeconds`:
// its exit status and output, -1 when it had to be killed.
int RunProbe(const std::string& dir, int limitSeconds, std::string* output) {
    int out[2];
    if (pipe(out) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(out[1], STDERR_FILENO);
        execl(SLOW_LOOKUP_PROBE_PATH, SLOW_LOOKUP_PROBE_PATH, dir.c_str(), nullptr);
        _exit(127);
    }
    close(out[1]);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
    char buffer[512];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        pollfd entry{out[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) == 0) {
            kill(pid, SIGKILL);
            break;
        }
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;
        output->append(buffer, static_cast<size_t>(n));
    }
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The resolver would wait 30 s for a DNS server that never answers; the
// login ends at the route's time limit, and Cancel ends it at once. The
// probe's two logins take well under a second between them; the bound only
// stops a hang, which is the fault.
TEST(ConnectionFailure, ASilentResolverIsBoundedByTheTimeLimitAndCancel) {
    TempDir dir;
    std::string output;
    const int status = RunProbe(dir.path().string(), 25, &output);
    if (status == 77) {
        const std::string why = "no private mount namespace for a resolver: " + output;
        const char* ci = std::getenv("CI");
        if (ci && std::string(ci) == "true") FAIL() << why;
        GTEST_SKIP() << why;
    }
    EXPECT_EQ(status, 0) << (status < 0 ? "the lookup hung: " : "") << output;
}

TEST(ConnectionFailure, RefusedConnectionFailsWithConnectionFailed) {
    uint16_t port;
    {
        ListenerIPv4 listener;
        port = listener.Port();
    }
    // A proxy mode without proxy routes still tries the direct connection only.
    Console console("127.0.0.1", port, {}, "[proxy]\nuse=1\naddr=127.0.0.1\nport=9\n");
    EXPECT_FALSE(console.Login(u"alice", u"secret-a"));
    const LoginFailure& failure = console.client->LastLoginFailure();
    EXPECT_EQ(failure.reason, LoginFailureReason::Error);
    ASSERT_TRUE(failure.message);
    EXPECT_EQ(failure.message->id, StringId::ConnectionFailed);
    FailureReason expected;
    expected.route = RouteKind::Direct;
    expected.step = FailureStep::Connect;
    expected.cause = FailureCause::Refused;
    expected.host = "127.0.0.1";
    expected.port = port;
    // The proxy routes follow the direct one.
    ASSERT_FALSE(failure.routes.empty());
    EXPECT_EQ(failure.routes[0], expected);
    EXPECT_FALSE(console.client->IsConnected());
}

TEST(ConnectionFailure, ProxyModeWithAReachableServerConnectsDirectly) {
    ServerProcess server;
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    Console console(server, {}, "[proxy]\nuse=1\naddr=127.0.0.1\nport=9\nid=u\npw=p\n");
    EXPECT_TRUE(console.Login(u"alice", u"secret-a"));
}

// A peer that accepts and never says a word.
class SilentPeer {
  public:
    SilentPeer() {
        thread_ = std::thread([this] {
            int fd = listener_.Accept(10000);
            if (fd >= 0) accepted_.store(fd);
        });
    }
    ~SilentPeer() {
        listener_.Shutdown();
        thread_.join();
        if (accepted_.load() >= 0) ::close(accepted_.load());
    }
    uint16_t Port() const { return listener_.Port(); }
    bool Accepted() const { return accepted_.load() >= 0; }

  private:
    ListenerIPv4 listener_;
    std::atomic<int> accepted_{-1};
    std::thread thread_;
};

TEST(ConnectionFailure, CancelFromAnotherThreadEndsALoginThatWaits) {
    SilentPeer peer;
    Console console("127.0.0.1", peer.Port());
    SessionClient::Timeouts patient;
    patient.replyMs = 60000;  // far beyond the test's own limit
    console.client->SetTimeouts(patient);
    std::atomic<bool> done{false};
    bool result = true;
    std::thread login([&] {
        result = console.Login(u"alice", u"secret-a");
        done.store(true);
    });
    // Cancel once the login is under way, and again until it has ended.
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!peer.Accepted() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    while (!done.load() && std::chrono::steady_clock::now() < end) {
        console.client->CancelLogin();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    login.join();
    EXPECT_TRUE(peer.Accepted());
    EXPECT_FALSE(result);
    EXPECT_EQ(console.client->LastLoginFailure().reason, LoginFailureReason::Cancelled);
    EXPECT_FALSE(console.client->LastLoginFailure().message);
    EXPECT_TRUE(console.prompt.messages().empty());
}

TEST(ConnectionFailure, CancelWhileTheAccountIsAwaitedLeavesNoSession) {
    ServerProcess server;
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    ASSERT_EQ(server.Control("fault no-account"), "OK");
    Console console(server);
    SessionClient::Timeouts patient;
    patient.replyMs = 60000;
    console.client->SetTimeouts(patient);
    bool result = true;
    std::thread login([&] { result = console.Login(u"alice", u"secret-a"); });
    server.WaitFor("records alice", [](const std::string& a) { return ListOf(a).size() >= 2; });
    console.client->CancelLogin();
    login.join();
    EXPECT_FALSE(result);
    EXPECT_EQ(console.client->LastLoginFailure().reason, LoginFailureReason::Cancelled);
    EXPECT_TRUE(console.prompt.messages().empty());
    EXPECT_TRUE(WaitForSession(server, "alice", false));
    // The same client may try again.
    ASSERT_TRUE(console.Login(u"alice", u"secret-a"));
}

TEST(ConnectionFailure, CancelWithoutALoginDoesNotTouchTheNextOne) {
    ServerProcess server;
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    Console console(server);
    console.client->CancelLogin();
    EXPECT_TRUE(console.Login(u"alice", u"secret-a"));
}

TEST(ConnectionFailure, TooLongIdOrPasswordIsRefusedBeforeAnythingIsSent) {
    ListenerIPv4 listener;
    Console console("127.0.0.1", listener.Port());
    std::u16string fits(47, u'x');
    std::u16string tooLong(48, u'x');

    EXPECT_FALSE(console.Login(tooLong, u"pw"));
    EXPECT_EQ(console.client->LastLoginFailure().reason, LoginFailureReason::TooLong);
    EXPECT_EQ(console.client->LastLoginFailure().message->id, StringId::IdTooLong);
    EXPECT_FALSE(console.Login(fits, tooLong));
    EXPECT_EQ(console.client->LastLoginFailure().message->id, StringId::PasswordTooLong);
    // Not even a connection was made.
    EXPECT_LT(listener.Accept(kQuietMs), 0);
    auto messages = console.prompt.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].id, StringId::IdTooLong);
    EXPECT_EQ(messages[1].id, StringId::PasswordTooLong);
}

TEST(ConnectionFailure, LongestIdAndPasswordFillTheirSlots) {
    std::string id(47, 'i');
    std::string password(47, 'p');
    ServerProcess::Options options;
    options.accounts = id + "\t" + password + "\tCo\tName\n";
    ServerProcess server(options);
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    Console console(server);
    EXPECT_TRUE(console.Login(FromUtf8(id), FromUtf8(password)));
    EXPECT_EQ(console.client->companyName(), u"Co");
}

}  // namespace
}  // namespace ostiva::test
