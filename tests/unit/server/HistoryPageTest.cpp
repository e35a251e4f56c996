// The history page: which sessions and reports a helper sees, in which
// order, what the search keeps, and that no stored or requested text reaches
// the page as markup.

#include <gtest/gtest.h>

#include "HistoryPage.h"
#include "HtmlText.h"
#include "util/Utf.h"

namespace ostiva::server {
namespace {

CodeEntry Session(int32_t code, const std::string& helper, int32_t connection,
                  const std::string& begin, const std::string& end = {}) {
    CodeEntry entry;
    entry.code = code;
    entry.helperId = helper;
    entry.state = end.empty() ? 2 : 3;
    entry.connectionNumber = connection;
    entry.beginTime = FromUtf8(begin);
    entry.endTime = FromUtf8(end);
    entry.firstAddress = u"192.168.1.20";
    entry.secondAddress = u"203.0.113.10";
    entry.osCode = 14;
    return entry;
}

StoredReport Report(int64_t id, const std::string& helper, int32_t connection,
                    std::optional<int32_t> code, const std::string& company,
                    const std::string& at = "2024-05-01 12:00:00") {
    StoredReport report;
    report.id = id;
    report.helperId = helper;
    report.connectionNumber = connection;
    report.code = code;
    report.company = company;
    report.receivedAt = at;
    return report;
}

std::vector<int32_t> CodesOf(const std::vector<HistorySession>& sessions) {
    std::vector<int32_t> codes;
    for (const auto& session : sessions) codes.push_back(session.code ? session.code->code : -1);
    return codes;
}

TEST(HistoryCollect, OnlyTheHelpersConnectedCodesNewestFirstWithTheirReports) {
    CodeEntry waiting;  // never connected: not a session
    waiting.code = 300000;
    waiting.helperId = "alice";
    std::vector<CodeEntry> codes = {
        Session(100001, "alice", 1, "2024-05-01 09:00:00", "2024-05-01 09:20:00"),
        Session(100002, "bob", 2, "2024-05-01 10:00:00"),
        Session(100003, "alice", 3, "2024-05-02 08:00:00"),
        waiting,
    };
    std::vector<StoredReport> reports = {
        Report(1, "alice", 1, 100001, "First Co"),
        // No code noted: found by its connection number.
        Report(2, "alice", 3, std::nullopt, "Third Co"),
        // A connection this server does not know: shown on its own.
        Report(3, "alice", 99, std::nullopt, "Lost Co", "2024-04-30 10:00:00"),
        Report(4, "bob", 2, 100002, "Bob's customer"),
        // A second save for the first session.
        Report(5, "alice", 1, 100001, "First Co again"),
    };
    auto sessions = CollectHistory(codes, reports, {"alice", "", ""});
    ASSERT_EQ(CodesOf(sessions), (std::vector<int32_t>{100003, 100001, -1}));
    ASSERT_EQ(sessions[0].reports.size(), 1u);
    EXPECT_EQ(sessions[0].reports[0].company, "Third Co");
    ASSERT_EQ(sessions[1].reports.size(), 2u);
    EXPECT_EQ(sessions[1].reports[1].company, "First Co again");
    EXPECT_EQ(sessions[2].reports[0].company, "Lost Co");

    EXPECT_TRUE(CollectHistory(codes, reports, {"carol", "", ""}).empty());
    // The ID is matched whole, not as a prefix or in another case.
    EXPECT_TRUE(CollectHistory(codes, reports, {"Alice", "", ""}).empty());
    EXPECT_TRUE(CollectHistory(codes, reports, {"ali", "", ""}).empty());
}

TEST(HistoryCollect, SearchByDayAndByCustomer) {
    std::vector<CodeEntry> codes = {
        Session(100001, "alice", 1, "2024-05-01 23:50:00", "2024-05-02 00:10:00"),
        Session(100002, "alice", 2, "2024-05-03 10:00:00"),
    };
    std::vector<StoredReport> reports = {
        Report(1, "alice", 1, 100001, "Northwind Traders"),
        Report(2, "alice", 2, 100002, "Contoso", "2024-05-03 10:30:00"),
    };
    reports[1].email = "ops@contoso.example";
    // A session that spans midnight belongs to both days.
    EXPECT_EQ(CodesOf(CollectHistory(codes, reports, {"alice", "2024-05-01", ""})),
              std::vector<int32_t>{100001});
    EXPECT_EQ(CodesOf(CollectHistory(codes, reports, {"alice", "2024-05-02", ""})),
              std::vector<int32_t>{100001});
    EXPECT_TRUE(CollectHistory(codes, reports, {"alice", "2024-05-04", ""}).empty());

    EXPECT_EQ(CodesOf(CollectHistory(codes, reports, {"alice", "", "NORTHWIND"})),
              std::vector<int32_t>{100001});
    EXPECT_EQ(CodesOf(CollectHistory(codes, reports, {"alice", "", "ops@"})),
              std::vector<int32_t>{100002});
    // The customer's addresses count as the customer too.
    EXPECT_EQ(CollectHistory(codes, reports, {"alice", "", "203.0.113"}).size(), 2u);
    EXPECT_TRUE(CollectHistory(codes, reports, {"alice", "2024-05-03", "northwind"}).empty());
}

TEST(HistoryRender, EveryStoredAndRequestedTextIsEscaped) {
    HistoryPageData data;
    data.query = {"a&b<c>\"d'", "", "<i>x</i>"};
    Account account;
    account.id = data.query.helperId;
    account.company = "<em>Co</em>";
    data.account = account;
    CodeEntry code = Session(123045, data.query.helperId, 7, "2024-05-01 09:00:00");
    code.firstAddress = u"<img src=x onerror=alert(1)>";
    data.sessions.push_back(
        {code, {Report(1, data.query.helperId, 7, 123045, "<script>alert(1)</script>")}});
    data.sessions[0].reports[0].memo = "line one\n</div><b>line two";
    data.signIns.push_back({1, data.query.helperId, "127.0.0.1:5000<", "2024-05-01 08:00:00", ""});
    data.problem = "bad <date>";

    std::string page = RenderHistoryPage(data);
    for (const char* raw :
         {"a&b", "<c>", "<em>", "<script>", "<img", "</div><b>", "<i>x", ":5000<", "bad <date>"}) {
        EXPECT_EQ(page.find(raw), std::string::npos) << raw;
    }
    EXPECT_NE(page.find("a&amp;b&lt;c&gt;&quot;d&#39;"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    // The "Show all" link carries the ID percent-encoded.
    EXPECT_NE(page.find("?hid=a%26b%3Cc%3E%22d%27\""), std::string::npos);
    EXPECT_NE(page.find("123-45"), std::string::npos);
    EXPECT_NE(page.find("Windows 10"), std::string::npos);
    EXPECT_NE(page.find("(Connected)"), std::string::npos);
    EXPECT_NE(page.find("(signed in)"), std::string::npos);
}

TEST(HistoryRender, ALongHistoryShowsItsNewestSessions) {
    HistoryPageData data;
    data.query.helperId = "alice";
    for (int32_t i = 0; i < int32_t(kShownSessions) + 1; ++i) {
        data.sessions.push_back({Session(100000 + i, "alice", i + 1, "2024-05-01 09:00:00"), {}});
    }
    std::string page = RenderHistoryPage(data);
    EXPECT_NE(page.find("501 sessions, newest first; the newest 500 are shown"), std::string::npos);
    EXPECT_NE(page.find(">100-499<"), std::string::npos);
    EXPECT_EQ(page.find(">100-500<"), std::string::npos);
}

TEST(HtmlText, CleanInputReplacesMalformedBytesAndCutsWholeCharacters) {
    EXPECT_EQ(CleanInput("ab\xff", 10), "ab\xEF\xBF\xBD");
    // "é" is two bytes: a cut in its middle drops it whole.
    EXPECT_EQ(CleanInput("abc\xC3\xA9", 4), "abc");
    EXPECT_EQ(CleanInput("abc\xC3\xA9", 5), "abc\xC3\xA9");
    EXPECT_EQ(CleanInput("", 0), "");
}

}  // namespace
}  // namespace ostiva::server
