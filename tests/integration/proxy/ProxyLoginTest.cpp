// Full logins to the real ostiva-server through real proxies. The console
// side runs in the network namespace of scripts/test-services.sh, which
// reaches the proxies and nothing else: the server listens on the root
// namespace's 127.0.0.1, so the direct connection fails by construction and
// only a tunnel gets through, without any setting for the direct route.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "integration/session/SessionFixture.h"
#include "support/TestServices.h"

namespace ostiva::test {
namespace {

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

class ProxyLogin : public ::testing::Test {
  protected:
    void SetUp() override {
        // The proxy variables of the machine running the tests must not
        // steer the detection tests.
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
                                 "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
            cleared_.emplace_back(std::make_unique<ScopedEnv>(name, ""));
            ::unsetenv(name);
        }
        ASSERT_TRUE(server.IsRunning()) << server.Log();
        std::string why;
        bool entered = false;
        std::thread probe([&] { entered = services.EnterClientNamespace(&why); });
        probe.join();
        if (!entered) OSTIVA_GTEST_MISSING_PEER(why);
    }

    // "[proxy]" lines of info.dat for the peer `key`, reached on the
    // namespace link.
    std::string ProxySection(int mode, const std::string& key, const std::string& id,
                             const std::string& password) const {
        return "[proxy]\nuse=" + std::to_string(mode) +
               "\naddr=" + services.Value("NETNS_HOST_ADDR") + "\nport=" + services.Value(key) +
               "\nid=" + id + "\npw=" + password + "\n";
    }

    bool PeerRunning(const std::string& key) const {
        return TestServices::Listening(services.Port(key));
    }

    // Logs in from inside the namespace, as alice.
    bool LoginInNamespace(Console& console) {
        bool ok = false;
        std::thread inside([&] {
            std::string why;
            if (!services.EnterClientNamespace(&why)) {
                ADD_FAILURE() << why;
                return;
            }
            ok = console.Login(u"alice", u"secret-a");
        });
        inside.join();
        return ok;
    }

    static std::string FailureText(const Console& console) {
        const auto& failure = console.client->LastLoginFailure();
        return failure.message ? ToUtf8(failure.message->EnglishText()) : std::string();
    }

    // Short limits: a wrong password makes the chain try SOCKS on squid,
    // which waits silently for bytes it cannot read.
    static void QuickTimeouts(Console& console) {
        SessionClient::Timeouts timeouts;
        timeouts.connectMs = 2000;
        timeouts.replyMs = 5000;
        console.client->SetTimeouts(timeouts);
    }

    const TestServices& services = TestServices::Get();
    std::vector<std::unique_ptr<ScopedEnv>> cleared_;
    ServerProcess server;
};

TEST_F(ProxyLogin, TheDirectConnectionFailsInsideTheNamespace) {
    Console console(server);
    EXPECT_FALSE(LoginInNamespace(console));
    const LoginFailure& failure = console.client->LastLoginFailure();
    EXPECT_EQ(failure.reason, LoginFailureReason::Error);
    ASSERT_TRUE(failure.message);
    EXPECT_EQ(failure.message->id, StringId::ConnectionFailed);
    ASSERT_EQ(failure.routes.size(), 1u) << FailureText(console);
    EXPECT_EQ(failure.routes[0].route, RouteKind::Direct);
    EXPECT_EQ(failure.routes[0].step, FailureStep::Connect);
}

struct PeerCase {
    const char* name;
    const char* key;
};

class ProxyLoginThrough : public ProxyLogin, public ::testing::WithParamInterface<PeerCase> {
  protected:
    std::string User() const {
        return std::string(GetParam().name) == "SquidNtlm" ? services.Value("NTLM_USER")
                                                           : services.Value("PROXY_USER");
    }
};

// The peers that check credentials.
class ProxyLoginRefused : public ProxyLoginThrough {};

TEST_P(ProxyLoginThrough, RightCredentialsLogIn) {
    if (!PeerRunning(GetParam().key)) {
        OSTIVA_GTEST_MISSING_PEER(TestServices::NotRunning(GetParam().key));
    }
    Console console(server, {},
                    ProxySection(1, GetParam().key, User(), services.Value("PROXY_PASSWORD")));
    ASSERT_TRUE(LoginInNamespace(console)) << FailureText(console);
    EXPECT_EQ(console.client->companyName(), u"Acme Support");
    EXPECT_TRUE(WaitForSession(server, "alice"));
    // The session's records travel through the tunnel too.
    console.client->RequestNewCode();
    EXPECT_NE(console.events.WaitForCreatedCode(), 0);
}

TEST_P(ProxyLoginRefused, WrongCredentialsFailAfterEveryMethodWasTried) {
    if (!PeerRunning(GetParam().key)) {
        OSTIVA_GTEST_MISSING_PEER(TestServices::NotRunning(GetParam().key));
    }
    Console console(server, {}, ProxySection(1, GetParam().key, "mallory", "wrong-password"));
    QuickTimeouts(console);
    EXPECT_FALSE(LoginInNamespace(console));
    const LoginFailure& failure = console.client->LastLoginFailure();
    std::vector<RouteKind> routes;
    for (const FailureReason& reason : failure.routes) routes.push_back(reason.route);
    EXPECT_EQ(routes, (std::vector<RouteKind>{RouteKind::Direct, RouteKind::HttpConnect,
                                              RouteKind::Socks4, RouteKind::Socks5}))
        << FailureText(console);
    // The route that speaks the peer's protocol tells the credentials were
    // refused; no secret reaches the reasons or the message. squid's NTLM
    // peer takes any password and refuses every user but one by its rules.
    std::string key = GetParam().key;
    bool isSquid = key.rfind("SQUID_", 0) == 0;
    ASSERT_EQ(failure.routes.size(), 4u);
    const FailureReason& speaking = failure.routes[isSquid ? 1 : 3];
    if (key == "SQUID_NTLM_PORT") {
        EXPECT_EQ(speaking.cause, FailureCause::ProxyRefused) << FailureText(console);
        EXPECT_EQ(speaking.status, 403);
    } else {
        EXPECT_EQ(speaking.cause, FailureCause::CredentialsRefused) << FailureText(console);
        EXPECT_EQ(speaking.step, FailureStep::Authenticate);
        // HTTP's 407, or the SOCKS5 sub-negotiation's non-zero status.
        if (isSquid) {
            EXPECT_EQ(speaking.status, 407);
        } else {
            EXPECT_NE(speaking.status, 0);
        }
    }
    for (size_t i = 1; i < failure.routes.size(); ++i) {
        EXPECT_EQ(failure.routes[i].host, services.Value("NETNS_HOST_ADDR")) << i;
        EXPECT_EQ(failure.routes[i].detail.find("wrong-password"), std::string::npos) << i;
    }
    EXPECT_EQ(FailureText(console).find("wrong-password"), std::string::npos);
    auto sessions = ListOf(server.Control("sessions"));
    EXPECT_EQ(std::find(sessions.begin(), sessions.end(), "alice"), sessions.end());
}

const PeerCase kSquidOpen{"SquidOpen", "SQUID_OPEN_PORT"};
const PeerCase kSquidBasic{"SquidBasic", "SQUID_BASIC_PORT"};
const PeerCase kSquidDigest{"SquidDigest", "SQUID_DIGEST_PORT"};
const PeerCase kSquidNtlm{"SquidNtlm", "SQUID_NTLM_PORT"};
const PeerCase kDanteSocks4{"DanteSocks4", "DANTE_PORT"};
const PeerCase kMicrosocksSocks5{"MicrosocksSocks5", "MICROSOCKS_PORT"};

std::string CaseName(const ::testing::TestParamInfo<PeerCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Peers, ProxyLoginThrough,
                         ::testing::Values(kSquidOpen, kSquidBasic, kSquidDigest, kSquidNtlm,
                                           kDanteSocks4, kMicrosocksSocks5),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(Peers, ProxyLoginRefused,
                         ::testing::Values(kSquidBasic, kSquidDigest, kSquidNtlm,
                                           kMicrosocksSocks5),
                         CaseName);

TEST_F(ProxyLogin, AnUnresolvableProxyHostFailsEveryMethodWithAClearReason) {
    Console console(server, {}, "[proxy]\nuse=1\naddr=no-such-proxy.invalid\nport=3128\n");
    EXPECT_FALSE(LoginInNamespace(console));
    const LoginFailure& failure = console.client->LastLoginFailure();
    ASSERT_EQ(failure.routes.size(), 4u) << FailureText(console);
    for (size_t i = 1; i < failure.routes.size(); ++i) {
        const FailureReason& reason = failure.routes[i];
        EXPECT_EQ(reason.step, FailureStep::Resolve) << i;
        EXPECT_EQ(reason.cause, FailureCause::NameNotResolved) << i;
        EXPECT_EQ(reason.host, "no-such-proxy.invalid") << i;
        EXPECT_EQ(reason.port, 3128) << i;
    }
}

TEST_F(ProxyLogin, DetectedFromTheEnvironment) {
    if (!PeerRunning("SQUID_OPEN_PORT"))
        OSTIVA_GTEST_MISSING_PEER(TestServices::NotRunning("squid"));
    ScopedEnv proxy("http_proxy", "http://" + services.Value("NETNS_HOST_ADDR") + ":" +
                                      services.Value("SQUID_OPEN_PORT") + "/");
    Console console(server, {}, "[proxy]\nuse=2\n");
    ASSERT_TRUE(LoginInNamespace(console)) << FailureText(console);
    EXPECT_TRUE(WaitForSession(server, "alice"));
}

TEST_F(ProxyLogin, DetectedFromAnAutoConfigurationScript) {
    if (!PeerRunning("DANTE_PORT")) OSTIVA_GTEST_MISSING_PEER(TestServices::NotRunning("dante"));
    // The script names dante: the HTTP attempt fails on it and SOCKS4 gets
    // through. The static text of https_proxy is not used, since the
    // script's answer names a proxy.
    std::filesystem::path pac = std::filesystem::temp_directory_path() /
                                ("ostiva-login-" + std::to_string(::getpid()) + ".pac");
    {
        std::ofstream out(pac);
        out << "function FindProxyForURL(url, host) { return \"PROXY "
            << services.Value("NETNS_HOST_ADDR") << ":" << services.Value("DANTE_PORT")
            << "; DIRECT\"; }\n";
    }
    ScopedEnv script("http_proxy", "pac+file://" + pac.string());
    ScopedEnv fallback("https_proxy", "http://192.0.2.1:9/");
    Console console(server, {}, "[proxy]\nuse=2\n");
    bool ok = LoginInNamespace(console);
    std::filesystem::remove(pac);
#ifdef OSTIVA_HAVE_LIBPROXY
    ASSERT_TRUE(ok) << FailureText(console);
#else
    EXPECT_FALSE(ok);
#endif
}

}  // namespace
}  // namespace ostiva::test
