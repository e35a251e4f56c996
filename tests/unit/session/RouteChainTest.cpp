// The order in which the ways to the server are tried, and the reasons a
// failure carries.

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
    FakeRoute(RouteKind kind, bool connects, std::vector<RouteKind>* tried, bool shutsDown = false)
        : kind_(kind), connects_(connects), shutsDown_(shutsDown), tried_(tried) {}
    RouteKind Kind() const override { return kind_; }
    bool Connect(SocketIPv4& socket, const RouteTarget&, FailureReason* reason) override {
        tried_->push_back(kind_);
        if (shutsDown_) socket.Shutdown();
        if (!connects_) {
            reason->route = kind_;
            reason->cause = FailureCause::Refused;
            reason->port = static_cast<uint16_t>(tried_->size());
        }
        return connects_;
    }

  private:
    RouteKind kind_;
    bool connects_;
    bool shutsDown_;
    std::vector<RouteKind>* tried_;
};

RouteChain Chain(std::vector<std::unique_ptr<Route>> routes) {
    return RouteChain(std::move(routes));
}

TEST(RouteChain, TriesInOrderAndStopsAtTheFirstThatConnects) {
    std::vector<RouteKind> tried;
    std::vector<std::unique_ptr<Route>> routes;
    routes.push_back(std::make_unique<FakeRoute>(RouteKind::Direct, false, &tried));
    routes.push_back(std::make_unique<FakeRoute>(RouteKind::HttpConnect, false, &tried));
    routes.push_back(std::make_unique<FakeRoute>(RouteKind::Socks4, true, &tried));
    routes.push_back(std::make_unique<FakeRoute>(RouteKind::Socks5, true, &tried));
    SocketIPv4 socket;
    std::vector<FailureReason> failures;
    EXPECT_TRUE(Chain(std::move(routes)).Connect(socket, RouteTarget{}, &failures));
    EXPECT_EQ(tried, (std::vector<RouteKind>{RouteKind::Direct, RouteKind::HttpConnect,
                                             RouteKind::Socks4}));
}

TEST(RouteChain, FailureKeepsEveryRouteTriedInOrder) {
    std::vector<RouteKind> tried;
    std::vector<std::unique_ptr<Route>> routes;
    routes.push_back(std::make_unique<FakeRoute>(RouteKind::Direct, false, &tried));
    routes.push_back(std::make_unique<FakeRoute>(RouteKind::Socks5, false, &tried));
    SocketIPv4 socket;
    std::vector<FailureReason> failures;
    EXPECT_FALSE(Chain(std::move(routes)).Connect(socket, RouteTarget{}, &failures));
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[0].route, RouteKind::Direct);
    EXPECT_EQ(failures[0].port, 1);
    EXPECT_EQ(failures[1].route, RouteKind::Socks5);
    EXPECT_EQ(failures[1].port, 2);
}

TEST(RouteChain, CancelStopsTheSearch) {
    std::vector<RouteKind> tried;
    std::vector<std::unique_ptr<Route>> routes;
    routes.push_back(std::make_unique<FakeRoute>(RouteKind::Direct, false, &tried, true));
    routes.push_back(std::make_unique<FakeRoute>(RouteKind::HttpConnect, true, &tried));
    SocketIPv4 socket;
    std::vector<FailureReason> failures;
    EXPECT_FALSE(Chain(std::move(routes)).Connect(socket, RouteTarget{}, &failures));
    EXPECT_EQ(tried, std::vector<RouteKind>{RouteKind::Direct});
}

TEST(RouteChain, NoRouteTriedIsStillAReason) {
    SocketIPv4 socket;
    socket.Shutdown();
    std::vector<FailureReason> failures;
    std::vector<std::unique_ptr<Route>> routes;
    std::vector<RouteKind> tried;
    routes.push_back(std::make_unique<FakeRoute>(RouteKind::Direct, true, &tried));
    RouteTarget target;
    target.host = u"server.example";
    target.port = 443;
    EXPECT_FALSE(Chain(std::move(routes)).Connect(socket, target, &failures));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].cause, FailureCause::Cancelled);
    EXPECT_EQ(failures[0].host, "server.example");
    EXPECT_TRUE(tried.empty());
}

}  // namespace
}  // namespace ostiva
