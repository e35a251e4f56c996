// The server with a database file: accounts added from the command line,
// and codes, reports and sessions kept across a restart.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <thread>

#include "session/Records.h"
#include "support/ServerProcess.h"
#include "transport/SocketIPv4.h"

extern char** environ;

namespace ostiva::test {
namespace {

constexpr int kWaitMs = 5000;

nlohmann::json ListOf(const std::string& answer) {
    if (answer.rfind("OK ", 0) != 0) return nlohmann::json::array();
    return nlohmann::json::parse(answer.substr(3), nullptr, false);
}

// Runs the server program with `arguments` to its end (bounded); its exit status.
int RunServerCommand(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), ServerProcess::BinaryPath());
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A whole login on a raw connection; the reply's result code.
uint16_t LoginAs(SocketIPv4& socket, uint16_t port, const std::u16string& id,
                 const std::u16string& password) {
    if (!socket.Connect(AddressIPv4::Resolve(u"127.0.0.1", port), kWaitMs)) return 0;
    socket.StartSecureChannel();
    wire::Bytes hello = wire::BuildHello();
    socket.SendBytes(hello.data(), hello.size());
    uint8_t reply[2];
    socket.ReceiveExact(reply, 2, kWaitMs);
    wire::LoginRequest login;
    login.helperId = id;
    login.password = password;
    wire::Bytes record = wire::BuildLogin(login);
    socket.SendBytes(record.data(), record.size());
    wire::Bytes answer(wire::kLoginReplySize);
    if (socket.ReceiveExact(answer.data(), answer.size(), kWaitMs) != answer.size()) return 0;
    return wire::ReadLoginReply(answer).result;
}

TEST(ServerPersistence, AccountsCodesAndReportsSurviveARestart) {
    ServerProcess first;
    ASSERT_TRUE(first.IsRunning()) << first.Log();
    std::string db = first.Directory() + "/server.db";
    first.Stop();

    ASSERT_EQ(RunServerCommand({"account", "add", "--db", db, "--id", "dave", "--password", "pw-d",
                                "--company", "Dave Co", "--expiry", "2099-01-01"}),
              0);
    EXPECT_NE(RunServerCommand({"account", "add", "--db", db, "--id", "eve"}), 0);

    int32_t code = 0;
    {
        ServerProcess::Options options;
        options.accounts = "";
        options.extraArguments = {"--db", db};
        ServerProcess server(options);
        ASSERT_TRUE(server.IsRunning()) << server.Log();
        SocketIPv4 socket;
        ASSERT_NE(LoginAs(socket, server.Port(), u"dave", u"wrong"), 6003);
    }
    {
        ServerProcess::Options options;
        options.accounts = "";
        options.extraArguments = {"--db", db};
        ServerProcess server(options);
        ASSERT_TRUE(server.IsRunning()) << server.Log();
        SocketIPv4 socket;
        ASSERT_EQ(LoginAs(socket, server.Port(), u"dave", u"pw-d"), 6003);
        for (const auto& record :
             {wire::BuildAccountRequest(), wire::BuildConsoleReady(), wire::BuildCreateCode()}) {
            socket.SendBytes(record.data(), record.size());
        }
        wire::Bytes account(wire::kAccountInfoSize);
        ASSERT_EQ(socket.ReceiveExact(account.data(), account.size(), kWaitMs), account.size());
        EXPECT_EQ(wire::ReadAccountInfo(account).companyName, u"Dave Co");
        wire::Bytes created(wire::kReceiveRecordSize);
        ASSERT_EQ(socket.ReceiveExact(created.data(), created.size(), kWaitMs), created.size());
        code = wire::ReadCodeCreated(created);
        EXPECT_EQ(server.Control("advance " + std::to_string(code)), "OK delivered 1");
        EXPECT_EQ(server.Control("advance " + std::to_string(code)), "OK delivered 2");
        wire::Bytes status(wire::kReceiveRecordSize);
        ASSERT_EQ(socket.ReceiveExact(status.data(), status.size(), kWaitMs), status.size());
        ASSERT_EQ(socket.ReceiveExact(status.data(), status.size(), kWaitMs), status.size());
        wire::ReportCustomer customer;
        customer.connectionNumber = wire::ReadCodeStatus(status).connectionNumber;
        customer.company = u"Kept Ltd";
        for (const auto& record :
             {wire::BuildReportCustomer(customer), wire::BuildReportContact({})}) {
            socket.SendBytes(record.data(), record.size());
        }
        server.WaitFor("reports", [](const std::string& a) { return ListOf(a).size() == 1; });
        EXPECT_EQ(server.Stop(), 0);
    }
    ServerProcess::Options options;
    options.accounts = "";
    options.extraArguments = {"--db", db};
    ServerProcess server(options);
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    auto reports = ListOf(server.Control("reports dave"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0]["company"], "Kept Ltd");
    EXPECT_EQ(reports[0]["code"], code);
    auto codes = ListOf(server.Control("codes dave"));
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(codes[0]["state"], 2);
    // The connection of that day counts at the next login.
    SocketIPv4 socket;
    ASSERT_EQ(LoginAs(socket, server.Port(), u"dave", u"pw-d"), 6003);
    wire::Bytes request = wire::BuildAccountRequest();
    socket.SendBytes(request.data(), request.size());
    wire::Bytes account(wire::kAccountInfoSize);
    ASSERT_EQ(socket.ReceiveExact(account.data(), account.size(), kWaitMs), account.size());
    EXPECT_EQ(wire::ReadAccountInfo(account).todayConnections, 1);
}

TEST(ServerPersistence, BadAccountsFileStopsTheStart) {
    ServerProcess::Options options;
    options.accounts = "alice\n";
    options.startTimeoutMs = 5000;
    ServerProcess server(options);
    EXPECT_FALSE(server.IsRunning());
    EXPECT_NE(server.Log().find("line 1: the id and the password are required"), std::string::npos)
        << server.Log();
    EXPECT_EQ(server.Stop(), 2);
}

}  // namespace
}  // namespace ostiva::test
