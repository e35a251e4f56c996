// The order in which the ways to the server are tried, and what a failure
// tells the technician.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/RouteChain.h"
#include "transport/SocketIPv4.h"

namespace ostiva {
namespace {

// A route that answers as told and notes that it was tried.
class FakeRoute : public Route {
  public:
    FakeRoute(std::u16string name, bool connects, std::vector<std::u16string>* tried,
              bool shutsDown = false)
        : name_(std::move(name)), connects_(connects), shutsDown_(shutsDown), tried_(tried) {}
    std::u16string_view Name() const override { return name_; }
    bool Connect(SocketIPv4& socket, const RouteTarget&, std::u16string* reason) override {
        tried_->push_back(name_);
        if (shutsDown_) socket.Shutdown();
        if (!connects_) *reason = name_ + u" said no";
        return connects_;
    }

  private:
    std::u16string name_;
    bool connects_;
    bool shutsDown_;
    std::vector<std::u16string>* tried_;
};

RouteChain Chain(std::vector<std::unique_ptr<Route>> routes) {
    return RouteChain(std::move(routes));
}

TEST(RouteChain, TriesInOrderAndStopsAtTheFirstThatConnects) {
    std::vector<std::u16string> tried;
    std::vector<std::unique_ptr<Route>> routes;
    routes.push_back(std::make_unique<FakeRoute>(u"direct", false, &tried));
    routes.push_back(std::make_unique<FakeRoute>(u"HTTP CONNECT", false, &tried));
    routes.push_back(std::make_unique<FakeRoute>(u"SOCKS4", true, &tried));
    routes.push_back(std::make_unique<FakeRoute>(u"SOCKS5", true, &tried));
    SocketIPv4 socket;
    std::u16string failure;
    EXPECT_TRUE(Chain(std::move(routes)).Connect(socket, RouteTarget{}, &failure));
    EXPECT_EQ(tried, (std::vector<std::u16string>{u"direct", u"HTTP CONNECT", u"SOCKS4"}));
}

TEST(RouteChain, FailureNamesEveryRouteTried) {
    std::vector<std::u16string> tried;
    std::vector<std::unique_ptr<Route>> routes;
    routes.push_back(std::make_unique<FakeRoute>(u"direct", false, &tried));
    routes.push_back(std::make_unique<FakeRoute>(u"SOCKS5", false, &tried));
    SocketIPv4 socket;
    std::u16string failure;
    EXPECT_FALSE(Chain(std::move(routes)).Connect(socket, RouteTarget{}, &failure));
    EXPECT_EQ(failure, u"direct: direct said no; SOCKS5: SOCKS5 said no");

    std::vector<std::unique_ptr<Route>> one;
    one.push_back(std::make_unique<FakeRoute>(u"direct", false, &tried));
    EXPECT_FALSE(Chain(std::move(one)).Connect(socket, RouteTarget{}, &failure));
    EXPECT_EQ(failure, u"direct said no");
}

TEST(RouteChain, CancelStopsTheSearch) {
    std::vector<std::u16string> tried;
    std::vector<std::unique_ptr<Route>> routes;
    routes.push_back(std::make_unique<FakeRoute>(u"direct", false, &tried, true));
    routes.push_back(std::make_unique<FakeRoute>(u"HTTP CONNECT", true, &tried));
    SocketIPv4 socket;
    std::u16string failure;
    EXPECT_FALSE(Chain(std::move(routes)).Connect(socket, RouteTarget{}, &failure));
    EXPECT_EQ(tried, std::vector<std::u16string>{u"direct"});
}

}  // namespace
}  // namespace ostiva
