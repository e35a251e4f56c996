// ostiva-cli end to end: the real console program against the real session
// server, driven through its standard streams, with the server's control
// channel playing the customers' side.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <set>

#include "CliProcess.h"
#include "support/ServerProcess.h"
#include "transport/ListenerIPv4.h"

namespace ostiva::test {
namespace {

using nlohmann::json;

json ListOf(const std::string& answer) {
    if (answer.rfind("OK ", 0) != 0) return json::array();
    json parsed = json::parse(answer.substr(3), nullptr, false);
    return parsed.is_array() ? parsed : json::array();
}

class CliSession : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server.IsRunning()) << server.Log(); }

    std::string Settings(const std::string& more = {}) const {
        return "[server]\nsvr_addr=127.0.0.1\nsvr_port=" + std::to_string(server.Port()) + "\n" +
               more;
    }
    std::unique_ptr<CliProcess> Start(std::vector<std::string> arguments,
                                      std::optional<std::string> password,
                                      const std::string& more = {}) {
        auto cli = std::make_unique<CliProcess>(
            CliProcess::Options{std::move(arguments), std::move(password), Settings(more)});
        EXPECT_TRUE(cli->IsRunning());
        return cli;
    }
    // Alice's console, signed in.
    std::unique_ptr<CliProcess> SignedIn(std::vector<std::string> arguments = {"--id", "alice"}) {
        auto cli = Start(std::move(arguments), "secret-a");
        json login = Expect(*cli, "login");
        EXPECT_EQ(login["ok"], true) << login.dump() << cli->Errors();
        return cli;
    }
    // The next event, which must be `name`.
    static json Expect(CliProcess& cli, const std::string& name) {
        auto event = cli.NextEvent();
        if (!event) {
            ADD_FAILURE() << "no " << name << " event; stderr: " << cli.Errors();
            return json::object();
        }
        EXPECT_EQ(event->value("event", ""), name) << event->dump();
        return *event;
    }
    static std::string Command(const std::string& cmd, int32_t code) {
        return R"({"cmd":")" + cmd + R"(","code":)" + std::to_string(code) + "}";
    }

    ServerProcess server;
};

TEST_F(CliSession, CodesStatesViewerReportAndDelete) {
    auto cli = Start({"--id", "alice"}, "secret-a");
    EXPECT_EQ(Expect(*cli, "login"), json({{"event", "login"},
                                           {"ok", true},
                                           {"expiry", "2099-12-31"},
                                           {"company", "Acme Support"},
                                           {"name", "Alice Anders"},
                                           {"customer_url", "https://c.example/alice"},
                                           {"link1", "https://link1.example/"},
                                           {"link2", "https://link2.example/"},
                                           {"today", 0}}));
    // No code until one is asked for.
    EXPECT_TRUE(ListOf(server.Control("codes alice")).empty());

    std::vector<int32_t> codes;
    for (int i = 0; i < 3; ++i) cli->Send(R"({"cmd":"create"})");
    for (int i = 0; i < 3; ++i) {
        json created = Expect(*cli, "code_created");
        int32_t code = created.value("code", 0);
        codes.push_back(code);
        EXPECT_EQ(created["text"], std::to_string(code / 1000) + "-" + std::to_string(code % 1000));
    }
    EXPECT_EQ(ListOf(server.Control("codes alice")).size(), 3u);
    const int32_t code = codes[1];
    const std::string c = std::to_string(code);

    // Ready: the viewer starts with the shared settings file and the code.
    ASSERT_EQ(server.Control("status " + c + " 1"), "OK delivered");
    json status = Expect(*cli, "status");
    EXPECT_EQ(status["code"], code);
    EXPECT_EQ(status["state"], "Ready");
    const std::string dir = cli->Directory();
    const json argv = {dir + "/ostiviewer", "-optionsfile=" + dir + "/info.dat", "-code=" + c};
    EXPECT_EQ(Expect(*cli, "viewer"), json({{"event", "viewer"}, {"code", code}, {"argv", argv}}));
    auto viewers = cli->WaitForViewers(1);
    ASSERT_EQ(viewers.size(), 1u);
    EXPECT_EQ(viewers[0]["argv"], argv);

    ASSERT_EQ(
        server.Control("status " + c + " 2 7 10.0.0.5 192.168.1.20 \"2024-05-01 10:00:00\" 14"),
        "OK delivered");
    EXPECT_EQ(Expect(*cli, "status"), json({{"event", "status"},
                                            {"code", code},
                                            {"state", "Connected"},
                                            {"connection", 7},
                                            {"address1", "10.0.0.5"},
                                            {"address2", "192.168.1.20"},
                                            {"time", "2024-05-01 10:00:00"},
                                            {"os", "Windows 10"},
                                            {"today", 1}}));

    cli->Send(R"({"cmd":"report","code":)" + c +
              R"(,"company":"Kunde AG","name":"\u00dcnal","email":"u@k.example",)"
              R"("phone":"+49 1","memo":"line 1\nline 2"})");
    json reports = ListOf(
        server.WaitFor("reports alice", [](const std::string& a) { return !ListOf(a).empty(); }));
    ASSERT_EQ(reports.size(), 1u) << server.Log();
    EXPECT_EQ(reports[0]["connection"], 7);
    EXPECT_EQ(reports[0]["company"], "Kunde AG");
    EXPECT_EQ(reports[0]["name"], "\xC3\x9Cnal");
    EXPECT_EQ(reports[0]["email"], "u@k.example");
    EXPECT_EQ(reports[0]["phone"], "+49 1");
    EXPECT_EQ(reports[0]["memo"], "line 1\nline 2");

    // Connect on a connected code starts one more viewer.
    cli->Send(Command("connect", code));
    EXPECT_EQ(Expect(*cli, "viewer")["argv"], argv);
    EXPECT_EQ(cli->WaitForViewers(2).size(), 2u);

    ASSERT_EQ(server.Control("status " + c + " 3 7 10.0.0.5 192.168.1.20 \"10:30\" 14"),
              "OK delivered");
    status = Expect(*cli, "status");
    EXPECT_EQ(status["state"], "Ended");
    EXPECT_EQ(status["time"], "10:30");
    EXPECT_EQ(status["today"], 1);

    // An ended code and a waiting one are deleted at the server; the ended
    // code is gone from the list afterwards.
    cli->Send(Command("delete", code));
    cli->Send(Command("delete", codes[0]));
    json deleted = ListOf(
        server.WaitFor("deleted", [](const std::string& a) { return ListOf(a).size() >= 2; }));
    EXPECT_EQ(std::set<int32_t>(deleted.begin(), deleted.end()),
              (std::set<int32_t>{code, codes[0]}));
    cli->Send(Command("connect", code));
    EXPECT_EQ(Expect(*cli, "error")["message"], "line 8: no access code " + c);

    cli->Send(R"({"cmd":"quit"})");
    EXPECT_EQ(cli->WaitForExit(), 0);
    EXPECT_FALSE(cli->NextEvent(1000)) << "an event after quit";
    EXPECT_EQ(cli->RawOutput().find("secret-a"), std::string::npos);
    EXPECT_EQ(cli->Errors().find("secret-a"), std::string::npos);
}

TEST_F(CliSession, RepeatedReadyStartsOneViewerWhileItRunsAndConnectOneMore) {
    auto cli = SignedIn();
    cli->Send(R"({"cmd":"create"})");
    const int32_t code = Expect(*cli, "code_created").value("code", 0);
    const std::string c = std::to_string(code);

    constexpr int kReadies = 30;
    for (int i = 0; i < kReadies; ++i)
        ASSERT_EQ(server.Control("status " + c + " 1"), "OK delivered");
    int statuses = 0;
    int viewers = 0;
    while (statuses < kReadies) {
        auto event = cli->NextEvent();
        ASSERT_TRUE(event) << "after " << statuses << " statuses; stderr: " << cli->Errors();
        const std::string name = event->value("event", "");
        if (name == "status")
            ++statuses;
        else if (name == "viewer")
            ++viewers;
        else
            ADD_FAILURE() << event->dump();
    }
    // The stand-in viewer runs until it is ended: the first Ready's viewer
    // was running at every later Ready. A viewer event of a late Ready would
    // come before Connect's.
    cli->Send(Command("connect", code));
    EXPECT_EQ(Expect(*cli, "viewer")["code"], code);
    EXPECT_EQ(viewers, 1);
    EXPECT_EQ(cli->WaitForViewers(2).size(), 2u);
}

TEST_F(CliSession, AThirteenthCodeIsRefusedEvenWhileCodesAreOnTheirWay) {
    auto cli = SignedIn();
    for (int i = 0; i < 13; ++i) cli->Send(R"({"cmd":"create"})");
    int created = 0, limits = 0;
    for (int i = 0; i < 13; ++i) {
        auto event = cli->NextEvent();
        ASSERT_TRUE(event) << "after " << i << " events";
        created += event->value("event", "") == "code_created";
        limits += event->value("event", "") == "limit";
    }
    EXPECT_EQ(created, 12);
    EXPECT_EQ(limits, 1);
    cli->Send(R"({"cmd":"create"})");
    EXPECT_EQ(Expect(*cli, "limit"), json({{"event", "limit"}}));
    EXPECT_EQ(ListOf(server.Control("codes alice")).size(), 12u);
}

TEST_F(CliSession, AForcedLoginElsewhereSignsTheFirstConsoleOut) {
    auto first = SignedIn();

    auto declined = Start({"--id", "alice"}, "secret-a");
    json login = Expect(*declined, "login");
    EXPECT_EQ(login["ok"], false);
    EXPECT_EQ(login["reason"], "declined");
    EXPECT_EQ(declined->WaitForExit(), 1);

    auto second = SignedIn({"--id", "alice", "--force"});
    Expect(*first, "signed_in_elsewhere");
    EXPECT_EQ(first->WaitForExit(), 0);

    second->Send(R"({"cmd":"create"})");
    Expect(*second, "code_created");
    second->CloseInput();  // the end of input ends it like quit
    EXPECT_EQ(second->WaitForExit(), 0);
}

TEST_F(CliSession, FailedLoginsExitWith1AndTheReason) {
    auto wrong = Start({"--id", "alice"}, "not-the-password");
    EXPECT_EQ(Expect(*wrong, "login"), json({{"event", "login"},
                                             {"ok", false},
                                             {"reason", "wrong_credentials"},
                                             {"message", "Wrong ID/PW"}}));
    EXPECT_EQ(wrong->WaitForExit(), 1);
    EXPECT_EQ(wrong->RawOutput().find("not-the-password"), std::string::npos);
    EXPECT_EQ(wrong->Errors().find("not-the-password"), std::string::npos);

    auto expired = Start({"--id", "bob"}, "secret-b");
    json login = Expect(*expired, "login");
    EXPECT_EQ(login["reason"], "expired");
    EXPECT_EQ(login["message"],
              "Your account was expired.(expired date : 2001-02-03) Please contact administrator.");
    EXPECT_EQ(expired->WaitForExit(), 1);
}

TEST_F(CliSession, AFailedConnectionGivesEachRoutesReasonAsFields) {
    uint16_t closed;
    {
        ListenerIPv4 listener;
        closed = listener.Port();
    }
    // A proxy on another closed port: the HTTP route is refused too, and
    // the SOCKS routes after it.
    std::string settings = "[server]\nsvr_addr=127.0.0.1\nsvr_port=" + std::to_string(closed) +
                           "\n[proxy]\nuse=1\naddr=127.0.0.1\nport=" + std::to_string(closed) +
                           "\nid=proxy-user\npw=proxy-secret\n";
    CliProcess cli(CliProcess::Options{{"--id", "alice"}, "secret-a", settings});
    json login = Expect(cli, "login");
    EXPECT_EQ(login["ok"], false);
    EXPECT_EQ(login["reason"], "error");
    EXPECT_TRUE(login["message"].is_string());
    json refused = {
        {"step", "connect"}, {"cause", "refused"}, {"host", "127.0.0.1"}, {"port", closed}};
    json expected = json::array();
    for (const char* route : {"direct", "http_connect", "socks4", "socks5"}) {
        json one = {{"route", route}};
        one.update(refused);
        expected.push_back(one);
    }
    EXPECT_EQ(login["routes"], expected) << login.dump();
    EXPECT_EQ(cli.WaitForExit(), 1);
    EXPECT_EQ(cli.RawOutput().find("proxy-secret"), std::string::npos);
    EXPECT_EQ(cli.RawOutput().find("secret-a"), std::string::npos);
}

TEST_F(CliSession, AMalformedCommandGetsAnErrorAndTheConsoleGoesOn) {
    auto cli = SignedIn();
    cli->Send("{");
    cli->Send(R"({"cmd":"launch"})");
    cli->Send("");
    cli->Send(R"({"cmd":"report","code":1,"memo":")" + std::string(70000, 'm') + "\"}");
    cli->Send(R"({"cmd":"delete","code":"1"})");
    cli->Send(R"({"cmd":"create"})");
    EXPECT_EQ(Expect(*cli, "error")["message"], "line 1: not valid JSON (at byte 2)");
    EXPECT_EQ(Expect(*cli, "error")["message"], "line 2: unknown command \"launch\"");
    EXPECT_EQ(Expect(*cli, "error")["message"], "line 4: longer than 65536 bytes");
    EXPECT_EQ(Expect(*cli, "error")["message"], "line 5: \"code\" must be an integer");
    Expect(*cli, "code_created");
    cli->Send(R"({"cmd":"quit"})");
    EXPECT_EQ(cli->WaitForExit(), 0);
}

TEST_F(CliSession, TheConnectionLostIsReportedBeforeTheEnd) {
    auto cli = SignedIn();
    ASSERT_EQ(server.Control("drop alice"), "OK");
    Expect(*cli, "connection_lost");
    EXPECT_EQ(cli->WaitForExit(), 0);
}

TEST_F(CliSession, ThePasswordComesFromAFileTheEnvironmentOrTheSavedSettings) {
    const std::string file = server.Directory() + "/password";
    std::ofstream(file) << "  secret-a  \nsecond line\n";
    auto fromFile = Start({"--id", "alice", "--password-file", file}, "not-used");
    EXPECT_EQ(Expect(*fromFile, "login")["ok"], true) << fromFile->Errors();
    fromFile->CloseInput();
    EXPECT_EQ(fromFile->WaitForExit(), 0);

    auto saved = Start({"--id=carol"}, std::nullopt, "[helper]\npw=secret-c\nsavepw=1\n");
    EXPECT_EQ(Expect(*saved, "login")["ok"], true) << saved->Errors();
    saved->CloseInput();
    EXPECT_EQ(saved->WaitForExit(), 0);

    // Not saved: no password, and nothing was tried.
    auto none = Start({"--id", "carol"}, std::nullopt, "[helper]\npw=secret-c\nsavepw=0\n");
    EXPECT_FALSE(none->NextEvent());
    EXPECT_EQ(none->WaitForExit(), 2);
    EXPECT_NE(none->Errors().find("no password"), std::string::npos) << none->Errors();
    EXPECT_TRUE(none->RawOutput().empty());

    struct BadLine {
        std::vector<std::string> arguments;
        std::string error;
    };
    for (const BadLine& bad :
         {BadLine{{}, "--id is required"}, BadLine{{"--id"}, "--id needs a value"},
          BadLine{{"--id", "a", "--id", "b"}, "--id given twice"},
          BadLine{{"--id", "a", "--verbose"}, "unknown argument '--verbose'"},
          BadLine{{"--id", "a", "--force=yes"}, "--force takes no value"},
          BadLine{{"--id", "a", "--settings", "/nonexistent/info.dat"},
                  "cannot read the settings file"}}) {
        auto cli = Start(bad.arguments, "secret-a");
        EXPECT_EQ(cli->WaitForExit(), 2);
        EXPECT_NE(cli->Errors().find(bad.error), std::string::npos) << cli->Errors();
    }

    auto help = Start({"--help"}, std::nullopt);
    while (help->NextEvent()) {
    }  // reads the text (its command examples are JSON) up to the end of the output
    EXPECT_EQ(help->WaitForExit(), 0);
    EXPECT_EQ(help->RawOutput().rfind("Usage: ostiva-cli --id ID", 0), 0u) << help->RawOutput();
}

}  // namespace
}  // namespace ostiva::test
