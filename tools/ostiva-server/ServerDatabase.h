#pragma once
// The server's storage in SQLite: accounts (with password hashes), the codes
// it issued, the connections counted per day, console sessions (begin and
// end) and the reports consoles saved. A file database keeps all of it
// across restarts; the default is in memory.
//
// Every method is safe to call from any thread (one connection, one lock).
// Failures of the database throw std::runtime_error with SQLite's message.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Account.h"
#include "CodeEntry.h"

struct sqlite3;

namespace ostiva::server {

struct StoredReport {
    int64_t id = 0;
    std::string helperId;
    int32_t connectionNumber = 0;
    std::optional<int32_t> code;  // the code that had this connection number
    std::string company;
    std::string name;
    std::string email;
    std::string phone;
    std::string memo;
    std::string receivedAt;
};

// One console's time signed in: from the accepted login until it left (empty
// while it is still signed in).
struct ConsoleSession {
    int64_t id = 0;
    std::string helperId;
    std::string peer;
    std::string beganAt;
    std::string endedAt;
};

class ServerDatabase {
  public:
    static constexpr const char* kInMemory = ":memory:";

    // How long a write waits for another connection's lock on a file
    // database before it fails.
    static constexpr int kDefaultBusyMs = 5000;

    explicit ServerDatabase(const std::string& path = kInMemory, int busyMs = kDefaultBusyMs);
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;
    ~ServerDatabase();

    // Adds the account, or replaces the one with the same id.
    void PutAccount(const Account& account);
    bool RemoveAccount(const std::string& id);
    std::optional<Account> FindAccount(const std::string& id);
    std::vector<Account> Accounts();

    // Adds or updates the code.
    void SaveCode(const CodeEntry& entry);
    std::vector<CodeEntry> LoadCodes();

    // One customer connection (a code that became Connected) on `day`.
    void AddConnection(const std::string& helperId, int32_t code, int32_t connectionNumber,
                       const std::string& at);
    int32_t CountConnections(const std::string& helperId, const std::string& day);

    int64_t BeginSession(const std::string& helperId, const std::string& peer,
                         const std::string& at);
    void EndSession(int64_t sessionId, const std::string& at);
    // Sessions still open (from a server that did not shut down cleanly)
    // are closed at start with this time.
    void CloseOpenSessions(const std::string& at);
    // One helper's sessions, newest first, at most `limit`.
    std::vector<ConsoleSession> ConsoleSessions(const std::string& helperId, size_t limit);

    void AddReport(const StoredReport& report);
    // All reports, or one helper's, oldest first.
    std::vector<StoredReport> Reports(const std::optional<std::string>& helperId);

  private:
    void Execute(const char* sql);

    std::mutex lock_;
    sqlite3* db_ = nullptr;
};

}  // namespace ostiva::server
