// The parsing rules of proxy detection and the order of its sources, with
// the platform's answers scripted. libproxy itself is exercised by the
// integration tests.

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "proxy/ProxyDetection.h"

namespace ostiva {
namespace {

std::optional<ProxyEndpoint> At(std::u16string host, int32_t port) {
    return ProxyEndpoint{std::move(host), port};
}

TEST(ProxyDetectionRules, ProxyList) {
    EXPECT_EQ(ParseProxyList(u"p1:3128"), At(u"p1", 3128));
    EXPECT_EQ(ParseProxyList(u"p2:8081;p3:8082"), At(u"p2", 8081));
    EXPECT_EQ(ParseProxyList(u"p2: 8081x;p3:8082"), At(u"p2", 8081));
    EXPECT_EQ(ParseProxyList(u"p2:abc"), At(u"p2", 0));
    // No colon in the first entry: nothing, even when a later entry has one.
    EXPECT_EQ(ParseProxyList(u"gw;p3:8082"), std::nullopt);
    EXPECT_EQ(ParseProxyList(u"gw"), std::nullopt);
    EXPECT_EQ(ParseProxyList(u""), std::nullopt);
    // A number no port can have does not wrap around to another port.
    EXPECT_EQ(ParseProxyList(u"p:65616"), At(u"p", 0));
    EXPECT_EQ(ParseProxyList(u"p:99999999999999999999"), At(u"p", 0));
}

TEST(ProxyDetectionRules, StaticText) {
    EXPECT_EQ(ParseStaticProxyText(u"p1:3128"), At(u"p1", 3128));
    EXPECT_EQ(ParseStaticProxyText(u"gw"), At(u"gw", 8080));
    // Not cut at ";": the per-protocol form reads oddly, as it always has.
    EXPECT_EQ(ParseStaticProxyText(u"http=p1:8080;https=p1:8443"), At(u"http=p1", 8080));
    EXPECT_EQ(ParseStaticProxyText(u""), std::nullopt);
}

TEST(ProxyDetectionRules, UrlsAreReducedToHostAndPort) {
    EXPECT_EQ(ProxyTextFromUrl("http://p1:3128"), "p1:3128");
    EXPECT_EQ(ProxyTextFromUrl("http://p1:3128/"), "p1:3128");
    EXPECT_EQ(ProxyTextFromUrl(" https://user:pa@ss@p1:3128/path?q \n"), "p1:3128");
    EXPECT_EQ(ProxyTextFromUrl("socks5://s:1080"), "s:1080");
    EXPECT_EQ(ProxyTextFromUrl("gw"), "gw");
    EXPECT_EQ(ProxyTextFromUrl("http=p1:8080;https=p1:8443"), "http=p1:8080;https=p1:8443");
}

TEST(ProxyDetectionRules, EnvironmentOrderAndPacValues) {
    std::map<std::string, std::string> env;
    auto lookup = [&](const char* name) -> const char* {
        auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    };
    EXPECT_EQ(StaticProxyFromEnvironment(lookup), "");
    env["ALL_PROXY"] = "socks://s:1080";
    EXPECT_EQ(StaticProxyFromEnvironment(lookup), "s:1080");
    env["https_proxy"] = "http://h:8443/";
    EXPECT_EQ(StaticProxyFromEnvironment(lookup), "h:8443");
    env["HTTP_PROXY"] = "   ";
    EXPECT_EQ(StaticProxyFromEnvironment(lookup), "h:8443");
    env["http_proxy"] = "pac+http://127.0.0.1/proxy.pac";
    EXPECT_EQ(StaticProxyFromEnvironment(lookup), "h:8443");
    env["http_proxy"] = "http://u:p@p1:3128";
    EXPECT_EQ(StaticProxyFromEnvironment(lookup), "p1:3128");
}

TEST(ProxyDetectionRules, AnswersBecomeAProxyList) {
    EXPECT_EQ(ProxyListFromAnswers({"direct://"}), "");
    EXPECT_EQ(ProxyListFromAnswers({"http://p2:8081", "http://p3:8082"}), "p2:8081;p3:8082");
    EXPECT_EQ(ProxyListFromAnswers({"direct://", "socks://s:1080", "http://gw"}), "s:1080;gw");
}

ProxyDetectionResult Detect(std::optional<std::vector<std::string>> answers,
                            std::string staticText) {
    ProxyDetectionSources sources;
    sources.ask = [answers](const std::string& url) {
        EXPECT_EQ(url, "http://" + std::string(kServiceWebHost));
        return answers;
    };
    sources.staticText = std::move(staticText);
    return DetectProxyEndpoint(sources);
}

TEST(ProxyDetectionRules, TheAnswerComesBeforeTheStaticText) {
    EXPECT_EQ(
        Detect(std::vector<std::string>{"http://p2:8081", "http://p3:8082"}, "p1:3128").endpoint,
        At(u"p2", 8081));
    // An answer without a port falls back to the static text.
    EXPECT_EQ(Detect(std::vector<std::string>{"http://gw"}, "p1:3128").endpoint, At(u"p1", 3128));
    EXPECT_EQ(Detect(std::vector<std::string>{"direct://"}, "gw").endpoint, At(u"gw", 8080));
    EXPECT_EQ(Detect(std::nullopt, "p1:3128").endpoint, At(u"p1", 3128));
    ProxyDetectionResult none = Detect(std::vector<std::string>{"direct://"}, "");
    EXPECT_EQ(none.endpoint, std::nullopt);
    EXPECT_NE(none.how.find("nothing found"), std::string::npos) << none.how;
}

}  // namespace
}  // namespace ostiva
