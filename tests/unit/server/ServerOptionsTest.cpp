#include <gtest/gtest.h>

#include "ServerOptions.h"

namespace ostiva::server {
namespace {

TEST(ServerOptions, ServeOptions) {
    auto parsed = ParseServerOptions({"--port", "8080", "--control-port", "0", "--accounts", "a.txt",
                                      "--db", "s.db", "--port-file", "p", "--bind", "0.0.0.0"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.mode, ServerOptions::Mode::Serve);
    EXPECT_EQ(parsed.options.port, 8080);
    EXPECT_EQ(parsed.options.accountsFile, "a.txt");
    EXPECT_EQ(parsed.options.db, "s.db");
    EXPECT_EQ(parsed.options.bind, "0.0.0.0");
    EXPECT_EQ(ParseServerOptions({}).options.bind, "127.0.0.1");
}

TEST(ServerOptions, AccountCommands) {
    auto parsed = ParseServerOptions({"account", "add", "--db", "s.db", "--id", "alice", "--password",
                                      "pw", "--company", "Acme", "--expiry", "2030-01-01"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.mode, ServerOptions::Mode::AccountAdd);
    EXPECT_EQ(parsed.options.account.id, "alice");
    EXPECT_EQ(parsed.options.password, "pw");
    EXPECT_EQ(parsed.options.account.company, "Acme");
    EXPECT_EQ(ParseServerOptions({"account", "list", "--db", "s.db"}).options.mode,
              ServerOptions::Mode::AccountList);
}

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
