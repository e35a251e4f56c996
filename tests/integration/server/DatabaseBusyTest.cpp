// The server's database held by another program: the server waits within
// a bound, logs a write that still fails and goes on. The demo customer's
// thread outlives it, and a console whose writes failed leaves no ghost
// behind when it goes.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <nlohmann/json.hpp>

#include "RawConsole.h"
#include "TempDirectory.h"
#include "support/ServerProcess.h"

namespace ostiva::test {
namespace {

// A second connection to the server's database file that holds its write
// lock (BEGIN IMMEDIATE: others may still read) until Release.
class WriteLock {
  public:
    explicit WriteLock(const std::string& path) {
        EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db_);
    }
    ~WriteLock() {
        Release();
        sqlite3_close(db_);
    }
    void Release() {
        if (held_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        held_ = false;
    }

  private:
    sqlite3* db_ = nullptr;
    bool held_ = true;
};

// One number from the database: the first column of the first row.
int64_t Query(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    // The server may be writing this moment.
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* statement = nullptr;
    int64_t value = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        value = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return value;
}

// The server's busy wait is 5 s; these waits leave room for it.
constexpr int kFailedWriteMs = 15000;

bool Logged(const ServerProcess& server, const std::string& text, int timeoutMs) {
    server.WaitFor(
        "ping", [&](const std::string&) { return server.Log().find(text) != std::string::npos; },
        timeoutMs);
    return server.Log().find(text) != std::string::npos;
}

ServerProcess::Options WithDatabase(const std::string& db, std::vector<std::string> more = {}) {
    ServerProcess::Options options;
    options.extraArguments = {"--db", db};
    options.extraArguments.insert(options.extraArguments.end(), more.begin(), more.end());
    return options;
}

int32_t CreateCode(SocketIPv4& console) {
    SendRecord(console, wire::BuildCreateCode());
    wire::Bytes created(wire::kReceiveRecordSize);
    EXPECT_EQ(console.ReceiveExact(created.data(), created.size(), kRawWaitMs), created.size());
    return wire::ReadCodeCreated(created);
}

TEST(DatabaseBusy, DemoCustomerGoesOnAfterAFailedWrite) {
    TempDirectory directory;
    std::string db = directory.File("server.db");
    ServerProcess server(WithDatabase(db, {"--demo", "--demo-times", "1,1,1"}));
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    auto console = LoggedInConsole(server.Port(), u"alice", u"secret-a");
    int32_t code = CreateCode(*console);
    ASSERT_NE(code, 0);
    {
        WriteLock lock(db);
        // Ready, a second after the issue, cannot be stored.
        EXPECT_TRUE(Logged(server, "not stored: database: database is locked", kFailedWriteMs))
            << server.Log();
        EXPECT_EQ(server.Control("ping"), "OK");
    }
    // The timeline goes on to Ended, and that is stored.
    std::string ended = server.WaitFor(
        "codes alice",
        [](const std::string& answer) { return answer.find("\"state\":3") != std::string::npos; },
        kFailedWriteMs);
    EXPECT_NE(ended.find("\"state\":3"), std::string::npos) << ended << server.Log();
    // The timeline moves before the state is stored: wait for the store.
    std::string stored = "SELECT state FROM codes WHERE code = " + std::to_string(code);
    server.WaitFor("ping", [&](const std::string&) { return Query(db, stored.c_str()) == 3; });
    EXPECT_EQ(Query(db, stored.c_str()), 3);
    EXPECT_EQ(server.Stop(), 0) << server.Log();
}

TEST(DatabaseBusy, FailedWritesLeaveNoGhostConsole) {
    TempDirectory directory;
    std::string db = directory.File("server.db");
    ServerProcess server(WithDatabase(db));
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    {
        auto console = LoggedInConsole(server.Port(), u"alice", u"secret-a");
        WriteLock lock(db);
        SendRecord(*console, wire::BuildCreateCode());
        wire::ReportCustomer customer;
        customer.connectionNumber = 7;
        customer.company = u"Kept Co";
        SendRecord(*console, wire::BuildReportCustomer(customer));
        SendRecord(*console, wire::BuildReportContact({}));
        EXPECT_TRUE(Logged(server, "the new code could not be stored", kFailedWriteMs));
        EXPECT_TRUE(
            Logged(server, "the report on connection 7 could not be stored", kFailedWriteMs));
        lock.Release();
        // No code was sent for the request that failed.
        uint8_t byte;
        EXPECT_EQ(console->ReceiveExact(&byte, 1, 200), 0u);
    }
    // The console left: its slot is free and its session ended.
    std::string sessions =
        server.WaitFor("sessions", [](const std::string& a) { return a == "OK []"; });
    EXPECT_EQ(sessions, "OK []");
    EXPECT_EQ(server.Control("codes alice"), "OK []");
    uint16_t result = 0;
    auto again = LoggedInConsole(server.Port(), u"alice", u"secret-a", &result);
    EXPECT_EQ(result, 6003);
    EXPECT_EQ(Query(db, "SELECT COUNT(*) FROM sessions WHERE ended_at IS NULL"), 1);
    EXPECT_EQ(Query(db, "SELECT COUNT(*) FROM codes"), 0);
}

}  // namespace
}  // namespace ostiva::test
