// SocketIPv4::DetectProxy with the real libproxy: proxy variables of the
// environment, and auto-configuration scripts from a local file and from a
// loopback HTTP server, including one that never answers.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "proxy/ProxyDetection.h"
#include "proxy/ProxyHandshakes.h"
#include "support/ScriptedProxy.h"
#include "transport/SocketIPv4.h"
#include "util/Utf.h"

namespace ostiva::test {
namespace {

const char* const kProxyVariables[] = {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
                                       "all_proxy",  "ALL_PROXY",  "no_proxy",    "NO_PROXY"};

// libproxy's first worker starts on the first lookup and keeps the network
// namespace of the thread that started it; the login tests look up from
// inside the client namespace, so the worker is started here, before any
// test runs, in the namespace the scripts of these tests are served in.
class LibproxyWarmUp : public ::testing::Environment {
  public:
    void SetUp() override { AskSystemProxies(ProxyProbeUrl(), kProxyDetectionTimeoutMs); }
};
const auto* const kWarmUp = ::testing::AddGlobalTestEnvironment(new LibproxyWarmUp);

class DetectProxy : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : kProxyVariables) {
            if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
            ::unsetenv(name);
        }
    }
    void TearDown() override {
        for (const char* name : kProxyVariables) ::unsetenv(name);
        for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
        if (!pacFile_.empty()) std::filesystem::remove(pacFile_);
    }

    // Runs detection on a socket whose fields start as "unchanged:1".
    std::pair<std::string, int32_t> Detect() {
        SocketIPv4 socket;
        socket.proxyHost.SetString(u"unchanged");
        socket.proxyPort = 1;
        ostiva::DetectProxy(socket);
        return {ToUtf8(socket.proxyHost.view()), socket.proxyPort};
    }

    // A new file name each time: libproxy keeps a script it has read for
    // as long as its factory lives, by URL.
    std::string PacFile(const std::string& answer) {
        static int serial = 0;
        if (!pacFile_.empty()) std::filesystem::remove(pacFile_);
        pacFile_ = (std::filesystem::temp_directory_path() /
                    ("ostiva-detect-" + std::to_string(::getpid()) + "-" +
                     std::to_string(++serial) + ".pac"))
                       .string();
        std::ofstream out(pacFile_);
        out << Script(answer);
        return "pac+file://" + pacFile_;
    }

    static std::string Script(const std::string& answer) {
        return "function FindProxyForURL(url, host) { return \"" + answer + "\"; }\n";
    }

    std::vector<std::pair<std::string, std::string>> saved_;
    std::string pacFile_;
};

using Found = std::pair<std::string, int32_t>;

TEST_F(DetectProxy, StaticTextsFromTheEnvironment) {
    ::setenv("http_proxy", "p1:3128", 1);
    EXPECT_EQ(Detect(), Found("p1", 3128));
    ::setenv("http_proxy", "http://user:secret@p1:3128/", 1);
    EXPECT_EQ(Detect(), Found("p1", 3128));
    ::setenv("http_proxy", "gw", 1);
    EXPECT_EQ(Detect(), Found("gw", 8080));
    ::setenv("http_proxy", "http=p1:8080;https=p1:8443", 1);
    EXPECT_EQ(Detect(), Found("http=p1", 8080));
    ::unsetenv("http_proxy");
    ::setenv("ALL_PROXY", "socks5://s1:1080", 1);
    EXPECT_EQ(Detect(), Found("s1", 1080));
}

TEST_F(DetectProxy, NothingConfiguredLeavesTheFieldsAlone) {
    EXPECT_EQ(Detect(), Found("unchanged", 1));
}

TEST_F(DetectProxy, AScriptFromALocalFile) {
    ::setenv("http_proxy", PacFile("PROXY p2:8081; PROXY p3:8082").c_str(), 1);
    EXPECT_EQ(Detect(), Found("p2", 8081));
}

TEST_F(DetectProxy, AScriptAnswerWithoutAPortFallsBackToTheStaticText) {
    ::setenv("http_proxy", PacFile("PROXY gw; DIRECT").c_str(), 1);
    EXPECT_EQ(Detect(), Found("unchanged", 1));
    ::setenv("https_proxy", "p1:3128", 1);
    EXPECT_EQ(Detect(), Found("p1", 3128));
}

TEST_F(DetectProxy, AScriptFromALoopbackServer) {
    std::string pac = Script("SOCKS s5:1080; PROXY p3:8082");
    Notes notes;
    ScriptedProxy server([&](SocketIPv4& c, int) {
        notes.Add(ReadHttpRequest(c).substr(0, 20));
        SendText(c,
                 "HTTP/1.0 200 OK\r\nContent-Type: application/x-ns-proxy-autoconfig\r\n"
                 "Content-Length: " +
                     std::to_string(pac.size()) + "\r\n\r\n" + pac);
    });
    std::string url = "pac+http://127.0.0.1:" + std::to_string(server.Port()) + "/proxy.pac";
    ::setenv("http_proxy", url.c_str(), 1);
    EXPECT_EQ(Detect(), Found("s5", 1080));
    server.Stop();
    EXPECT_EQ(notes.At(0), "GET /proxy.pac HTTP/");
}

TEST_F(DetectProxy, AScriptThatNeverArrivesIsGivenUpOn) {
    // The server takes the request and never answers; detection ends at its
    // time limit with the static text, and the next detection still works.
    ScriptedProxy silent([](SocketIPv4& c, int) {
        ReadHttpRequest(c);
        WaitForClose(c, 60000);
    });
    std::string url = "pac+http://127.0.0.1:" + std::to_string(silent.Port()) + "/proxy.pac";
    ::setenv("http_proxy", url.c_str(), 1);
    ::setenv("https_proxy", "p1:3128", 1);
    EXPECT_EQ(Detect(), Found("p1", 3128));
    ::unsetenv("https_proxy");
    ::setenv("http_proxy", PacFile("PROXY p2:8081").c_str(), 1);
    EXPECT_EQ(Detect(), Found("p2", 8081));
    // Ends the stuck lookup as well.
    silent.Stop();
}

}  // namespace
}  // namespace ostiva::test
