#include <gtest/gtest.h>

#include "ServerOptions.h"

namespace ostiva::server {
namespace {

TEST(ServerOptions, MistakesAreNamed) {
    const std::vector<std::vector<std::string>> bad = {
        {"--port"},
        {"--port", "65536"},
        {"--port", "-1"},
        {"--bogus", "1"},
        {"--bind", "10.0.0.1"},
        {"account"},
        {"account", "rename", "--db", "x"},
        {"account", "add", "--id", "a", "--password", "p"},
        {"account", "add", "--db", "x", "--password", "p"},
        {"account", "add", "--db", "x", "--id", "a"},
        {"account", "add", "--db", "x", "--id", "a", "--password", "p", "--password-file", "f"},
        {"--control-token-file", "token"},
        {"--login-pace", "fast"},
        {"--login-pace", "60001"},
        {"account", "add", "--db", "x", "--id", "a", "--password", "p", "--expiry", "soon"},
        {"account", "list", "--db", "x", "--id", "a"},
    };
    for (const auto& arguments : bad) {
        EXPECT_FALSE(ParseServerOptions(arguments).error.empty()) << arguments.back();
    }
}

TEST(ServerOptions, ControlChannelOnlyWhenAsked) {
    EXPECT_FALSE(ParseServerOptions({}).options.controlPort.has_value());
    ParsedOptions parsed =
        ParseServerOptions({"--control-port", "0", "--control-token-file", "/run/token"});
    ASSERT_TRUE(parsed.error.empty()) << parsed.error;
    EXPECT_EQ(parsed.options.controlPort, std::optional<uint16_t>(0));
    EXPECT_EQ(parsed.options.controlTokenFile, "/run/token");
    EXPECT_EQ(ParseServerOptions({"--login-pace", "0"}).options.loginPaceMs, 0);
}

}  // namespace
}  // namespace ostiva::server
