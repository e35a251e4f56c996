#pragma once
// The history page "/admin/pages/helper/index.php?hid=ID": one helper's
// assistance sessions (the codes a customer connected with, with begin and
// end time, the customer's addresses and Windows version) and the reports the
// console saved for them, newest first; the helper's latest console sign-ins
// below. A small GET form narrows the list to one day ("date=YYYY-MM-DD") or
// to a customer ("customer=TEXT", part of the company, name, e-mail address,
// phone number or one of the addresses, letters in either case).
//
// Collecting is separate from rendering so that both can be checked without
// a server; every stored text is HTML-escaped when it is rendered.

#include <optional>
#include <string>
#include <vector>

#include "Account.h"
#include "CodeEntry.h"
#include "ServerDatabase.h"

namespace ostiva::server {

inline constexpr const char* kHistoryPath = "/admin/pages/helper/index.php";

// Longest values taken from the request; longer ones are cut.
inline constexpr size_t kMaxHelperIdBytes = 256;
inline constexpr size_t kMaxCustomerBytes = 200;
// Sign-ins shown below the sessions.
inline constexpr size_t kShownSignIns = 20;
// Sessions shown at most, the newest; the search narrows the rest down.
inline constexpr size_t kShownSessions = 500;

struct HistoryQuery {
    std::string helperId;
    std::string date;      // "YYYY-MM-DD", or empty: every day
    std::string customer;  // or empty: every customer
};

// One assistance session, or a report whose session the server no longer
// knows (then `code` is empty).
struct HistorySession {
    std::optional<CodeEntry> code;
    std::vector<StoredReport> reports;  // oldest first
};

// The helper's sessions that match the query, newest first. `codes` and
// `reports` may hold other helpers' entries; they are left out.
std::vector<HistorySession> CollectHistory(const std::vector<CodeEntry>& codes,
                                           const std::vector<StoredReport>& reports,
                                           const HistoryQuery& query);

struct HistoryPageData {
    HistoryQuery query;
    std::optional<Account> account;  // none for an unknown helper ID
    std::vector<HistorySession> sessions;
    std::vector<ConsoleSession> signIns;  // newest first
    std::string problem;                  // a note about the query, e.g. a bad date
};

std::string RenderHistoryPage(const HistoryPageData& data);

// The page for a request without a helper ID: the form to give one.
std::string RenderHistoryFormPage();

}  // namespace ostiva::server
