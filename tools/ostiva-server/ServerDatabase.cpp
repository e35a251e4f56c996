#include "ServerDatabase.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <stdexcept>

#include "util/Utf.h"

namespace ostiva::server {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS accounts(
  id TEXT PRIMARY KEY,
  password_hash TEXT NOT NULL,
  company TEXT NOT NULL DEFAULT '',
  name TEXT NOT NULL DEFAULT '',
  expiry TEXT NOT NULL DEFAULT '',
  customer_url TEXT NOT NULL DEFAULT '',
  link1 TEXT NOT NULL DEFAULT '',
  link2 TEXT NOT NULL DEFAULT '');
CREATE TABLE IF NOT EXISTS codes(
  code INTEGER PRIMARY KEY,
  helper_id TEXT NOT NULL,
  issued_at TEXT NOT NULL,
  state INTEGER NOT NULL DEFAULT 0,
  connection_number INTEGER NOT NULL DEFAULT 0,
  first_address TEXT NOT NULL DEFAULT '',
  second_address TEXT NOT NULL DEFAULT '',
  begin_time TEXT NOT NULL DEFAULT '',
  end_time TEXT NOT NULL DEFAULT '',
  os_code INTEGER NOT NULL DEFAULT 0,
  deleted INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS connections(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  helper_id TEXT NOT NULL,
  code INTEGER NOT NULL,
  connection_number INTEGER NOT NULL,
  at TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS sessions(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  helper_id TEXT NOT NULL,
  peer TEXT NOT NULL,
  began_at TEXT NOT NULL,
  ended_at TEXT);
CREATE TABLE IF NOT EXISTS reports(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  helper_id TEXT NOT NULL,
  connection_number INTEGER NOT NULL,
  code INTEGER,
  company TEXT NOT NULL,
  name TEXT NOT NULL,
  email TEXT NOT NULL,
  phone TEXT NOT NULL,
  memo TEXT NOT NULL,
  received_at TEXT NOT NULL);
)sql";

// One prepared statement, finalised when it goes out of scope.
class Statement {
  public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) Fail();
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, const std::string& text) {
        Check(
            sqlite3_bind_text(statement_, index, text.data(), int(text.size()), SQLITE_TRANSIENT));
        return *this;
    }
    Statement& Bind(int index, const std::u16string& text) { return Bind(index, ToUtf8(text)); }
    Statement& Bind(int index, int64_t value) {
        Check(sqlite3_bind_int64(statement_, index, value));
        return *this;
    }
    Statement& BindNull(int index) {
        Check(sqlite3_bind_null(statement_, index));
        return *this;
    }

    // True while a row is available.
    bool Step() {
        int rc = sqlite3_step(statement_);
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) Fail();
        return false;
    }

    std::string Text(int column) const {
        const auto* text = sqlite3_column_text(statement_, column);
        int size = sqlite3_column_bytes(statement_, column);
        return text ? std::string(reinterpret_cast<const char*>(text), size_t(size))
                    : std::string();
    }
    std::u16string Wide(int column) const { return FromUtf8(Text(column)); }
    int64_t Int(int column) const { return sqlite3_column_int64(statement_, column); }
    bool IsNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

  private:
    void Check(int rc) {
        if (rc != SQLITE_OK) Fail();
    }
    [[noreturn]] void Fail() {
        throw std::runtime_error(std::string("database: ") + sqlite3_errmsg(db_));
    }

    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

Account ReadAccount(const Statement& row) {
    Account account;
    account.id = row.Text(0);
    account.passwordHash = row.Text(1);
    account.company = row.Text(2);
    account.name = row.Text(3);
    account.expiry = row.Text(4);
    account.customerUrl = row.Text(5);
    account.link1 = row.Text(6);
    account.link2 = row.Text(7);
    return account;
}

constexpr const char* kAccountColumns =
    "id, password_hash, company, name, expiry, customer_url, link1, link2";

}  // namespace

ServerDatabase::ServerDatabase(const std::string& path, int busyMs) {
    // A new file holds password hashes and customers' details: readable by
    // its owner only. SQLite would create it with the umask's mode.
    if (path != kInMemory && !path.empty()) {
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0) ::close(fd);
    }
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw std::runtime_error("database " + path + ": " + message);
    }
    // Another program (or "account add" beside a running server) may hold
    // the file's lock for a moment: wait for it, within a bound.
    sqlite3_busy_timeout(db_, busyMs);
    Execute("PRAGMA foreign_keys = ON");
    Execute(kSchema);
}

ServerDatabase::~ServerDatabase() {
    sqlite3_close(db_);
}

void ServerDatabase::Execute(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error("database: " + message);
    }
}

void ServerDatabase::PutAccount(const Account& account) {
    std::lock_guard<std::mutex> guard(lock_);
    Statement s(db_,
                "INSERT OR REPLACE INTO accounts(id, password_hash, company, name, expiry, "
                "customer_url, link1, link2) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    s.Bind(1, account.id).Bind(2, account.passwordHash).Bind(3, account.company);
    s.Bind(4, account.name).Bind(5, account.expiry).Bind(6, account.customerUrl);
    s.Bind(7, account.link1).Bind(8, account.link2);
    s.Step();
}

bool ServerDatabase::RemoveAccount(const std::string& id) {
    std::lock_guard<std::mutex> guard(lock_);
    Statement s(db_, "DELETE FROM accounts WHERE id = ?1");
    s.Bind(1, id).Step();
    return sqlite3_changes(db_) > 0;
}

std::optional<Account> ServerDatabase::FindAccount(const std::string& id) {
    std::lock_guard<std::mutex> guard(lock_);
    std::string sql = std::string("SELECT ") + kAccountColumns + " FROM accounts WHERE id = ?1";
    Statement s(db_, sql.c_str());
    s.Bind(1, id);
    if (!s.Step()) return std::nullopt;
    return ReadAccount(s);
}

std::vector<Account> ServerDatabase::Accounts() {
    std::lock_guard<std::mutex> guard(lock_);
    std::string sql = std::string("SELECT ") + kAccountColumns + " FROM accounts ORDER BY id";
    Statement s(db_, sql.c_str());
    std::vector<Account> accounts;
    while (s.Step()) accounts.push_back(ReadAccount(s));
    return accounts;
}

void ServerDatabase::SaveCode(const CodeEntry& entry) {
    std::lock_guard<std::mutex> guard(lock_);
    Statement s(
        db_,
        "INSERT OR REPLACE INTO codes(code, helper_id, issued_at, state, connection_number, "
        "first_address, second_address, begin_time, end_time, os_code, deleted) "
        "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
    s.Bind(1, int64_t(entry.code)).Bind(2, entry.helperId).Bind(3, entry.issuedAt);
    s.Bind(4, int64_t(entry.state)).Bind(5, int64_t(entry.connectionNumber));
    s.Bind(6, entry.firstAddress).Bind(7, entry.secondAddress);
    s.Bind(8, entry.beginTime).Bind(9, entry.endTime);
    s.Bind(10, int64_t(entry.osCode)).Bind(11, int64_t(entry.deleted ? 1 : 0));
    s.Step();
}

std::vector<CodeEntry> ServerDatabase::LoadCodes() {
    std::lock_guard<std::mutex> guard(lock_);
    Statement s(db_,
                "SELECT code, helper_id, issued_at, state, connection_number, first_address, "
                "second_address, begin_time, end_time, os_code, deleted FROM codes ORDER BY "
                "issued_at, code");
    std::vector<CodeEntry> codes;
    while (s.Step()) {
        CodeEntry entry;
        entry.code = int32_t(s.Int(0));
        entry.helperId = s.Text(1);
        entry.issuedAt = s.Text(2);
        entry.state = uint16_t(s.Int(3));
        entry.connectionNumber = int32_t(s.Int(4));
        entry.firstAddress = s.Wide(5);
        entry.secondAddress = s.Wide(6);
        entry.beginTime = s.Wide(7);
        entry.endTime = s.Wide(8);
        entry.osCode = uint16_t(s.Int(9));
        entry.deleted = s.Int(10) != 0;
        codes.push_back(std::move(entry));
    }
    return codes;
}

void ServerDatabase::AddConnection(const std::string& helperId, int32_t code,
                                   int32_t connectionNumber, const std::string& at) {
    std::lock_guard<std::mutex> guard(lock_);
    Statement s(db_,
                "INSERT INTO connections(helper_id, code, connection_number, at) "
                "VALUES(?1, ?2, ?3, ?4)");
    s.Bind(1, helperId).Bind(2, int64_t(code)).Bind(3, int64_t(connectionNumber)).Bind(4, at);
    s.Step();
}

int32_t ServerDatabase::CountConnections(const std::string& helperId, const std::string& day) {
    std::lock_guard<std::mutex> guard(lock_);
    Statement s(db_,
                "SELECT COUNT(*) FROM connections WHERE helper_id = ?1 AND substr(at, 1, 10) = ?2");
    s.Bind(1, helperId).Bind(2, day);
    return s.Step() ? int32_t(s.Int(0)) : 0;
}

int64_t ServerDatabase::BeginSession(const std::string& helperId, const std::string& peer,
                                     const std::string& at) {
    std::lock_guard<std::mutex> guard(lock_);
    Statement s(db_, "INSERT INTO sessions(helper_id, peer, began_at) VALUES(?1, ?2, ?3)");
    s.Bind(1, helperId).Bind(2, peer).Bind(3, at);
    s.Step();
    return sqlite3_last_insert_rowid(db_);
}

void ServerDatabase::EndSession(int64_t sessionId, const std::string& at) {
    std::lock_guard<std::mutex> guard(lock_);
    Statement s(db_, "UPDATE sessions SET ended_at = ?2 WHERE id = ?1 AND ended_at IS NULL");
    s.Bind(1, sessionId).Bind(2, at);
    s.Step();
}

void ServerDatabase::CloseOpenSessions(const std::string& at) {
    std::lock_guard<std::mutex> guard(lock_);
    Statement s(db_, "UPDATE sessions SET ended_at = ?1 WHERE ended_at IS NULL");
    s.Bind(1, at);
    s.Step();
}

std::vector<ConsoleSession> ServerDatabase::ConsoleSessions(const std::string& helperId,
                                                            size_t limit) {
    std::lock_guard<std::mutex> guard(lock_);
    Statement s(db_,
                "SELECT id, helper_id, peer, began_at, ended_at FROM sessions "
                "WHERE helper_id = ?1 ORDER BY id DESC LIMIT ?2");
    s.Bind(1, helperId).Bind(2, int64_t(limit));
    std::vector<ConsoleSession> sessions;
    while (s.Step()) {
        ConsoleSession session;
        session.id = s.Int(0);
        session.helperId = s.Text(1);
        session.peer = s.Text(2);
        session.beganAt = s.Text(3);
        session.endedAt = s.Text(4);
        sessions.push_back(std::move(session));
    }
    return sessions;
}

void ServerDatabase::AddReport(const StoredReport& report) {
    std::lock_guard<std::mutex> guard(lock_);
    Statement s(db_,
                "INSERT INTO reports(helper_id, connection_number, code, company, name, email, "
                "phone, memo, received_at) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    s.Bind(1, report.helperId).Bind(2, int64_t(report.connectionNumber));
    if (report.code)
        s.Bind(3, int64_t(*report.code));
    else
        s.BindNull(3);
    s.Bind(4, report.company).Bind(5, report.name).Bind(6, report.email);
    s.Bind(7, report.phone).Bind(8, report.memo).Bind(9, report.receivedAt);
    s.Step();
}

std::vector<StoredReport> ServerDatabase::Reports(const std::optional<std::string>& helperId) {
    std::lock_guard<std::mutex> guard(lock_);
    Statement s(db_,
                "SELECT id, helper_id, connection_number, code, company, name, email, phone, "
                "memo, received_at FROM reports WHERE ?1 IS NULL OR helper_id = ?1 ORDER BY id");
    if (helperId)
        s.Bind(1, *helperId);
    else
        s.BindNull(1);
    std::vector<StoredReport> reports;
    while (s.Step()) {
        StoredReport report;
        report.id = s.Int(0);
        report.helperId = s.Text(1);
        report.connectionNumber = int32_t(s.Int(2));
        if (!s.IsNull(3)) report.code = int32_t(s.Int(3));
        report.company = s.Text(4);
        report.name = s.Text(5);
        report.email = s.Text(6);
        report.phone = s.Text(7);
        report.memo = s.Text(8);
        report.receivedAt = s.Text(9);
        reports.push_back(std::move(report));
    }
    return reports;
}

}  // namespace ostiva::server
