// The bundled server's web pages against the console's own core: a report
// saved through SessionClient shows on the history page at the address the
// console opens (WebHosts), for its helper only; stored and requested texts
// are escaped; the search narrows by day and customer; and a restart keeps
// the accounts, sign-ins, sessions and reports.

#include <gtest/gtest.h>
#include <httplib.h>

#include <ctime>
#include <fstream>
#include <thread>

#include "console/WebHosts.h"
#include "integration/session/SessionFixture.h"

namespace ostiva::test {
namespace {

constexpr int kWaitMs = 10000;

// The web port: the third number of the server's port file.
uint16_t HttpPort(const ServerProcess& server) {
    std::ifstream in(server.Directory() + "/ports");
    unsigned port = 0, control = 0, http = 0;
    in >> port >> control >> http;
    return uint16_t(http);
}

struct Page {
    int status = 0;
    std::string body;
};

Page Get(uint16_t port, const std::string& target) {
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(5, 0);
    client.set_read_timeout(5, 0);
    client.set_write_timeout(5, 0);
    auto result = client.Get(target.c_str());
    if (!result) return {};
    return {result->status, result->body};
}

// The path and query of the history address the console opens for `helperId`.
std::string HistoryTarget(const std::u16string& helperId) {
    std::string address = ToUtf8(WebHosts::HistoryAddress(u"127.0.0.1", helperId));
    return address.substr(std::string("http://127.0.0.1").size());
}

// Asks for the page until it contains `text` (reports arrive after the
// console's send returns); the last page.
Page WaitForPage(uint16_t port, const std::string& target, const std::string& text) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    Page page = Get(port, target);
    while (page.body.find(text) == std::string::npos && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        page = Get(port, target);
    }
    return page;
}

bool Has(const Page& page, const std::string& text) {
    return page.body.find(text) != std::string::npos;
}

std::string Today() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &parts);
    return text;
}

// Signs in, gets a code and lets the server move it `steps` times (Ready,
// Connected, Ended); the code's last status.
wire::CodeStatus RunCode(Console& console, const ServerProcess& server, int steps) {
    console.client->RequestNewCode();
    int32_t code = console.events.WaitForCreatedCode();
    EXPECT_NE(code, 0);
    for (int i = 0; i < steps; ++i) {
        EXPECT_EQ(server.Control("advance " + std::to_string(code)).rfind("OK delivered", 0), 0u);
    }
    EXPECT_TRUE(console.events.WaitForCount(size_t(1 + steps)));
    auto statuses = console.events.statuses();
    return statuses.empty() ? wire::CodeStatus{} : statuses.back();
}

AccessCode ReportFor(const wire::CodeStatus& status, const std::u16string& company) {
    AccessCode entry;
    entry.code = status.code;
    entry.connectionNumber = status.connectionNumber;
    entry.company = company;
    entry.customerName = u"Maria Anders";
    entry.email = u"maria@northwind.example";
    entry.phone = u"+1 555 0100";
    entry.memo = u"Printer driver reinstalled.";
    return entry;
}

ServerProcess::Options WithWebPages(std::vector<std::string> more = {}) {
    ServerProcess::Options options;
    options.extraArguments = {"--http-port", "0"};
    options.extraArguments.insert(options.extraArguments.end(), more.begin(), more.end());
    return options;
}

TEST(HistoryPages, AReportSavedFromTheConsoleShowsForItsHelperOnly) {
    ServerProcess server(WithWebPages());
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    uint16_t web = HttpPort(server);
    ASSERT_NE(web, 0);
    Console console(server);
    ASSERT_TRUE(console.Login(u"alice", u"secret-a"));
    wire::CodeStatus connected = RunCode(console, server, 2);
    ASSERT_EQ(connected.state, 2);
    console.client->SaveReport(ReportFor(connected, u"Northwind <Traders> & Co"));

    const std::string target = HistoryTarget(u"alice");
    Page page = WaitForPage(web, target, "Northwind &lt;Traders&gt; &amp; Co");
    ASSERT_EQ(page.status, 200);
    ASSERT_TRUE(Has(page, "Northwind &lt;Traders&gt; &amp; Co")) << page.body;
    EXPECT_FALSE(Has(page, "<Traders>"));
    EXPECT_TRUE(Has(page, "Printer driver reinstalled."));
    EXPECT_TRUE(Has(
        page, std::to_string(connected.code / 1000) + "-" + std::to_string(connected.code % 1000)));
    EXPECT_TRUE(Has(page, ToUtf8(connected.timeText)));
    EXPECT_TRUE(Has(page, "Alice Anders"));

    for (const std::u16string other : {u"carol", u"Alice", u"alic", u"bob"}) {
        Page theirs = Get(web, HistoryTarget(other));
        EXPECT_EQ(theirs.status, 200);
        EXPECT_FALSE(Has(theirs, "Northwind")) << ToUtf8(other);
        EXPECT_TRUE(Has(theirs, "No sessions.")) << ToUtf8(other);
    }

    // The search form: by day, by customer, both; a date that is no date is
    // said so and ignored.
    EXPECT_TRUE(Has(Get(web, target + "&date=" + Today()), "Northwind"));
    EXPECT_FALSE(Has(Get(web, target + "&date=2000-01-01"), "Northwind"));
    EXPECT_TRUE(Has(Get(web, target + "&customer=NORTHWIND"), "Northwind"));
    EXPECT_TRUE(Has(Get(web, target + "&customer=%2B1%20555"), "Northwind"));
    EXPECT_FALSE(Has(Get(web, target + "&customer=contoso"), "Northwind"));
    EXPECT_FALSE(Has(Get(web, target + "&customer=northwind&date=2000-01-01"), "Northwind"));
    Page bad = Get(web, target + "&date=%3Cb%3E");
    EXPECT_TRUE(Has(bad, "Northwind"));
    EXPECT_TRUE(Has(bad, "&lt;b&gt;"));
    EXPECT_FALSE(Has(bad, "\"<b>\""));

    // The information page the console's "Visit Homepage" opens.
    std::string info = ToUtf8(WebHosts::InformationAddress(u"127.0.0.1"));
    Page information = Get(web, info.substr(std::string("http://127.0.0.1").size()));
    EXPECT_EQ(information.status, 200);
    EXPECT_TRUE(Has(information, "Ostiva information"));
    EXPECT_EQ(Get(web, "/admin/pages/helper/other.php").status, 404);
    EXPECT_EQ(Get(web, "/admin/pages/helper/index.php").status, 200);  // the form to give an ID
}

TEST(HistoryPages, AHelperIdWithAmpersandAndLessThanIsEscaped) {
    ServerProcess::Options options = WithWebPages();
    options.accounts =
        "a&b<c\tpw-amp\tAmp & Co\n"
        "a\tpw-a\n";
    ServerProcess server(options);
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    uint16_t web = HttpPort(server);
    Console console(server);
    ASSERT_TRUE(console.Login(u"a&b<c", u"pw-amp"));
    wire::CodeStatus connected = RunCode(console, server, 2);
    console.client->SaveReport(ReportFor(connected, u"Contoso"));

    Page page = WaitForPage(web, HistoryTarget(u"a&b<c"), "Contoso");
    ASSERT_TRUE(Has(page, "Contoso")) << page.body;
    EXPECT_TRUE(Has(page, "<b>a&amp;b&lt;c</b>"));
    EXPECT_TRUE(Has(page, "value=\"a&amp;b&lt;c\""));
    EXPECT_TRUE(Has(page, "Amp &amp; Co"));
    EXPECT_FALSE(Has(page, "a&b<c"));
    EXPECT_FALSE(Has(page, "<c"));
    // The first part of the ID alone is another helper.
    EXPECT_FALSE(Has(Get(web, HistoryTarget(u"a")), "Contoso"));
}

TEST(HistoryPages, ARestartKeepsAccountsSignInsSessionsAndReports) {
    ServerProcess first(WithWebPages());
    ASSERT_TRUE(first.IsRunning()) << first.Log();
    first.Stop();
    const std::string db = first.Directory() + "/kept.db";
    std::string code;
    {
        ServerProcess server(WithWebPages({"--db", db}));
        ASSERT_TRUE(server.IsRunning()) << server.Log();
        Console console(server);
        ASSERT_TRUE(console.Login(u"alice", u"secret-a"));
        wire::CodeStatus ended = RunCode(console, server, 3);
        ASSERT_EQ(ended.state, 3);
        AccessCode report = ReportFor(ended, u"Kept Ltd");
        console.client->SaveReport(report);
        ASSERT_TRUE(
            Has(WaitForPage(HttpPort(server), HistoryTarget(u"alice"), "Kept Ltd"), "Kept Ltd"));
        code = std::to_string(ended.code / 1000) + "-" + std::to_string(ended.code % 1000);
        console.client.reset();
        ASSERT_TRUE(WaitForSession(server, "alice", false));
        EXPECT_EQ(server.Stop(), 0);
    }

    // No accounts file this time: the account comes from the database alone.
    ServerProcess::Options options = WithWebPages({"--db", db});
    options.accounts = "";
    ServerProcess server(options);
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    Console console(server);
    ASSERT_TRUE(console.Login(u"alice", u"secret-a"));
    EXPECT_EQ(console.client->todayConnections(), 1);
    Page page = Get(HttpPort(server), HistoryTarget(u"alice"));
    EXPECT_TRUE(Has(page, "Kept Ltd")) << page.body;
    EXPECT_TRUE(Has(page, ">" + code + "</td>"));
    EXPECT_FALSE(Has(page, "(Connected)"));  // the session kept its end time

    // Two sign-ins: the first with the time it left, the one of now open.
    size_t signIns = page.body.find("<h2>Console sign-ins</h2>");
    ASSERT_NE(signIns, std::string::npos);
    std::string table = page.body.substr(signIns);
    size_t rows = 0;
    for (size_t at = table.find("<tr><td>"); at != std::string::npos;
         at = table.find("<tr><td>", at + 1)) {
        ++rows;
    }
    EXPECT_EQ(rows, 2u);
    size_t open = 0;
    for (size_t at = table.find("(signed in)"); at != std::string::npos;
         at = table.find("(signed in)", at + 1)) {
        ++open;
    }
    EXPECT_EQ(open, 1u);
}

}  // namespace
}  // namespace ostiva::test
