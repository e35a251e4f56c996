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
        {"account", "add", "--db", "x", "--id", "a", "--password", "p", "--expiry", "soon"},
        {"account", "list", "--db", "x", "--id", "a"},
    };
    for (const auto& arguments : bad) {
        EXPECT_FALSE(ParseServerOptions(arguments).error.empty()) << arguments.back();
    }
}

}  // namespace
}  // namespace ostiva::server
