// The words of a failed login's reasons: one structure for every language,
// and a string-table text for every cause.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "session/FailureText.h"
#include "session/Prompt.h"
#include "util/Utf.h"

namespace ostiva {
namespace {

FailureReason Reason(RouteKind route, FailureCause cause, std::string host, uint16_t port) {
    FailureReason reason;
    reason.route = route;
    reason.cause = cause;
    reason.host = std::move(host);
    reason.port = port;
    return reason;
}

// The last cause of the enum; a new cause goes after it and moves this.
constexpr FailureCause kLastCause = FailureCause::SystemError;

TEST(FailureText, EveryCauseHasItsOwnIdAndText) {
    std::set<std::string> ids;
    std::set<StringId> texts;
    for (int i = 0; i <= int(kLastCause); ++i) {
        auto cause = static_cast<FailureCause>(i);
        SCOPED_TRACE(i);
        EXPECT_TRUE(ids.insert(FailureCauseId(cause)).second) << FailureCauseId(cause);
        StringId text = FailureCauseTextId(cause);
        EXPECT_TRUE(texts.insert(text).second);
        EXPECT_FALSE(EnglishText(text).empty());
    }
    for (auto route :
         {RouteKind::Direct, RouteKind::HttpConnect, RouteKind::Socks4, RouteKind::Socks5}) {
        EXPECT_NE(EnglishText(RouteTextId(route)).find(u"%s"), std::u16string_view::npos);
    }
}

TEST(FailureText, TheStructureIsTheSameWhateverTheLanguage) {
    // A lookup that names each piece shows where the pieces go.
    TextLookup tagged = [](StringId id, std::u16string_view argument) {
        return u"<" + FromUtf8(std::to_string(int(id))) + u" " + std::u16string(argument) + u">";
    };
    FailureReason http = Reason(RouteKind::HttpConnect, FailureCause::ProxyRefused, "proxy", 3128);
    http.status = 403;
    std::vector<FailureReason> reasons = {
        Reason(RouteKind::Direct, FailureCause::Refused, "server.example", 1), http};
    EXPECT_EQ(RouteFailuresText(reasons, tagged),
              u"<1101 server.example:1>: <1203 0>; <1102 proxy:3128>: <1208 403>");

    PromptMessage message{StringId::ConnectionFailed, u"ignored"};
    message.routes = reasons;
    EXPECT_EQ(RenderPromptMessage(message, tagged).substr(0, 6), u"<1001 ");
}

TEST(FailureText, EnglishNamesTheRoutePeerCauseAndStatus) {
    FailureReason http = Reason(RouteKind::HttpConnect, FailureCause::ProxyRefused, "10.0.0.1", 80);
    http.status = 403;
    FailureReason scheme =
        Reason(RouteKind::HttpConnect, FailureCause::SchemeNotOffered, "10.0.0.1", 80);
    scheme.detail = "Negotiate";
    PromptMessage message{StringId::ConnectionFailed, {}};
    message.routes = {Reason(RouteKind::Direct, FailureCause::TimedOut, "srv", 7), http, scheme};
    EXPECT_EQ(ToUtf8(message.EnglishText()),
              "Cannot connect to the server. (direct connection to srv:7: no answer within the "
              "time limit; HTTP proxy 10.0.0.1:80: the proxy refused the tunnel (status 403); "
              "HTTP proxy 10.0.0.1:80: the proxy asks for an authentication method that is not "
              "supported (Negotiate))");
}

}  // namespace
}  // namespace ostiva
