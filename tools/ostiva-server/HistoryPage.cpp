#include "HistoryPage.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "HtmlText.h"
#include "session/AccessCode.h"
#include "session/OsCode.h"
#include "util/Utf.h"

namespace ostiva::server {

namespace {

// The day of a time text "YYYY-MM-DD HH:MM:SS" (its first ten characters).
std::string DayOf(const std::string& time) {
    return time.substr(0, 10);
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Whether `term` occurs in `text`, ASCII letters in either case.
bool Contains(const std::string& text, const std::string& term) {
    auto equal = [](char a, char b) { return Lower(a) == Lower(b); };
    return std::search(text.begin(), text.end(), term.begin(), term.end(), equal) != text.end();
}

bool IsSession(const CodeEntry& entry) {
    return entry.connectionNumber != 0 || !entry.beginTime.empty();
}

bool ReportMatches(const StoredReport& report, const std::string& term) {
    return Contains(report.company, term) || Contains(report.name, term) ||
           Contains(report.email, term) || Contains(report.phone, term);
}

bool Matches(const HistorySession& session, const HistoryQuery& query) {
    if (!query.date.empty()) {
        bool onDay = false;
        if (session.code) {
            onDay = DayOf(ToUtf8(session.code->beginTime)) == query.date ||
                    DayOf(ToUtf8(session.code->endTime)) == query.date;
        }
        for (const auto& report : session.reports) {
            onDay = onDay || DayOf(report.receivedAt) == query.date;
        }
        if (!onDay) return false;
    }
    if (!query.customer.empty()) {
        bool found = false;
        if (session.code) {
            found = Contains(ToUtf8(session.code->firstAddress), query.customer) ||
                    Contains(ToUtf8(session.code->secondAddress), query.customer);
        }
        for (const auto& report : session.reports) {
            found = found || ReportMatches(report, query.customer);
        }
        if (!found) return false;
    }
    return true;
}

// Newest first: by the begin time (a report's own time when the session is
// unknown), then by the later connection and the later report.
auto SortKey(const HistorySession& session) {
    std::string time = session.code ? ToUtf8(session.code->beginTime) : std::string();
    if (time.empty() && !session.reports.empty()) time = session.reports.front().receivedAt;
    int32_t connection = session.code ? session.code->connectionNumber : 0;
    int64_t report = session.reports.empty() ? 0 : session.reports.back().id;
    return std::make_tuple(time, connection, report);
}

std::string Cell(const std::string& text) {
    return "<td>" + HtmlEscape(text) + "</td>";
}

// A cell whose text is not broken across lines (times, codes, numbers).
std::string WholeCell(const std::string& text) {
    return "<td class=\"n\">" + HtmlEscape(text) + "</td>";
}

std::string StateText(uint16_t state) {
    switch (state) {
        case static_cast<uint16_t>(AccessCodeState::Waiting):
            return "Waiting";
        case static_cast<uint16_t>(AccessCodeState::Ready):
            return "Ready";
        case static_cast<uint16_t>(AccessCodeState::Connected):
            return "Connected";
        case static_cast<uint16_t>(AccessCodeState::Ended):
            return "Ended";
        default:
            return "state " + std::to_string(state);
    }
}

std::string ReportBlock(const StoredReport& report) {
    std::string html = "<div class=\"report\">";
    auto line = [&html](const char* label, const std::string& value) {
        if (value.empty()) return;
        html += "<b>";
        html += label;
        html += ":</b> " + HtmlEscape(value) + "<br>";
    };
    line("Company", report.company);
    line("Name", report.name);
    line("E-mail", report.email);
    line("Phone", report.phone);
    if (!report.memo.empty()) {
        html += "<b>Memo:</b><div class=\"memo\">" + HtmlEscape(report.memo) + "</div>";
    }
    html += "<span class=\"note\">saved " + HtmlEscape(report.receivedAt) + "</span></div>";
    return html;
}

std::string SessionRow(const HistorySession& session) {
    std::string row = "<tr>";
    if (session.code) {
        const CodeEntry& code = *session.code;
        row += WholeCell(ToUtf8(code.beginTime));
        std::string end = ToUtf8(code.endTime);
        if (end.empty()) end = "(" + StateText(code.state) + ")";
        row += WholeCell(end);
        row += WholeCell(CodeText(code.code));
        row += WholeCell(std::to_string(code.connectionNumber));
        std::string addresses = ToUtf8(code.firstAddress);
        if (!code.secondAddress.empty()) {
            addresses += (addresses.empty() ? "" : " / ") + ToUtf8(code.secondAddress);
        }
        row += Cell(addresses);
        row += Cell(ToUtf8(OsCodeName(code.osCode)));
    } else {
        int32_t connection = session.reports.empty() ? 0 : session.reports.front().connectionNumber;
        row += "<td colspan=\"3\" class=\"note\">session not known to this server</td>";
        row += WholeCell(std::to_string(connection));
        row += "<td></td><td></td>";
    }
    row += "<td>";
    if (session.reports.empty()) row += "<span class=\"note\">no report</span>";
    for (const auto& report : session.reports) row += ReportBlock(report);
    row += "</td></tr>\n";
    return row;
}

std::string SearchForm(const HistoryQuery& query) {
    std::string html = "<form method=\"get\" action=\"";
    html += kHistoryPath;
    html +=
        "\">\n<input type=\"hidden\" name=\"hid\" value=\"" + HtmlEscape(query.helperId) + "\">\n";
    html += "<label>Date <input type=\"date\" name=\"date\" value=\"" + HtmlEscape(query.date) +
            "\"></label>\n";
    html += "<label>Customer <input type=\"search\" name=\"customer\" value=\"" +
            HtmlEscape(query.customer) +
            "\" placeholder=\"company, name, e-mail, phone\"></label>\n";
    html += "<button type=\"submit\">Search</button>\n";
    html += "<a href=\"";
    html += kHistoryPath;
    html += "?hid=" + HtmlEscape(PercentEncode(query.helperId)) + "\">Show all</a>\n</form>\n";
    return html;
}

}  // namespace

std::vector<HistorySession> CollectHistory(const std::vector<CodeEntry>& codes,
                                           const std::vector<StoredReport>& reports,
                                           const HistoryQuery& query) {
    std::vector<HistorySession> sessions;
    std::map<int32_t, size_t> byCode;
    for (const auto& entry : codes) {
        if (entry.helperId != query.helperId || !IsSession(entry)) continue;
        byCode[entry.code] = sessions.size();
        sessions.push_back(HistorySession{entry, {}});
    }
    // A report names its connection; the server also noted the code that had
    // that connection number when the report arrived.
    auto sessionOf = [&](const StoredReport& report) -> std::optional<size_t> {
        if (report.code) {
            auto it = byCode.find(*report.code);
            if (it != byCode.end()) return it->second;
        }
        if (report.connectionNumber == 0) return std::nullopt;
        for (size_t i = sessions.size(); i-- > 0;) {
            if (sessions[i].code && sessions[i].code->connectionNumber == report.connectionNumber) {
                return i;
            }
        }
        return std::nullopt;
    };
    std::vector<HistorySession> unknown;
    for (const auto& report : reports) {
        if (report.helperId != query.helperId) continue;
        if (auto index = sessionOf(report)) {
            sessions[*index].reports.push_back(report);
        } else {
            unknown.push_back(HistorySession{std::nullopt, {report}});
        }
    }
    sessions.insert(sessions.end(), unknown.begin(), unknown.end());

    std::vector<HistorySession> shown;
    for (auto& session : sessions) {
        if (Matches(session, query)) shown.push_back(std::move(session));
    }
    std::stable_sort(
        shown.begin(), shown.end(),
        [](const HistorySession& a, const HistorySession& b) { return SortKey(a) > SortKey(b); });
    return shown;
}

std::string RenderHistoryPage(const HistoryPageData& data) {
    const HistoryQuery& query = data.query;
    std::string body;
    body += "<p>Helper ID: <b>" + HtmlEscape(query.helperId) + "</b>";
    if (data.account) {
        std::string who = data.account->name;
        if (!data.account->company.empty()) {
            who += (who.empty() ? "" : ", ") + data.account->company;
        }
        if (!who.empty()) body += " &mdash; " + HtmlEscape(who);
    } else {
        body += " <span class=\"note\">(no such account on this server)</span>";
    }
    body += "</p>\n";
    body += SearchForm(query);
    if (!data.problem.empty())
        body += "<p class=\"problem\">" + HtmlEscape(data.problem) + "</p>\n";

    std::string filter;
    if (!query.date.empty()) filter += " on " + query.date;
    if (!query.customer.empty()) filter += " with a customer matching \"" + query.customer + "\"";
    body += "<h2>Assistance sessions" + HtmlEscape(filter) + "</h2>\n";
    if (data.sessions.empty()) {
        body += "<p class=\"note\">No sessions.</p>\n";
    } else {
        const size_t shown = std::min(data.sessions.size(), kShownSessions);
        body += "<p class=\"note\">" + std::to_string(data.sessions.size()) +
                (data.sessions.size() == 1 ? " session" : " sessions") + ", newest first";
        if (shown < data.sessions.size()) {
            body +=
                "; the newest " + std::to_string(shown) + " are shown, search to find the others";
        }
        body += ". Times are UTC.</p>\n";
        body +=
            "<table>\n<tr><th>Began</th><th>Ended</th><th>Code</th><th>Connection</th>"
            "<th>Customer's addresses</th><th>Windows</th><th>Report</th></tr>\n";
        for (size_t i = 0; i < shown; ++i) body += SessionRow(data.sessions[i]);
        body += "</table>\n";
    }

    body += "<h2>Console sign-ins</h2>\n";
    if (data.signIns.empty()) {
        body += "<p class=\"note\">None.</p>\n";
    } else {
        body += "<table>\n<tr><th>Signed in</th><th>Left</th><th>From</th></tr>\n";
        for (const auto& signIn : data.signIns) {
            body += "<tr>" + Cell(signIn.beganAt) +
                    Cell(signIn.endedAt.empty() ? std::string("(signed in)") : signIn.endedAt) +
                    Cell(signIn.peer) + "</tr>\n";
        }
        body += "</table>\n";
    }
    return HtmlDocument("Connection history", body);
}

std::string RenderHistoryFormPage() {
    std::string body = "<p>Give the helper ID whose connection history you want to see.</p>\n";
    body += "<form method=\"get\" action=\"";
    body += kHistoryPath;
    body +=
        "\">\n<label>Helper ID <input type=\"text\" name=\"hid\" required></label>\n"
        "<button type=\"submit\">Show</button>\n</form>\n";
    return HtmlDocument("Connection history", body);
}

}  // namespace ostiva::server
