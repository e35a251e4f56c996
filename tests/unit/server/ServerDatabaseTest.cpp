#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "CodeTimeline.h"
#include "PasswordHash.h"
#include "ServerDatabase.h"

namespace ostiva::server {
namespace {

Account MakeAccount(const std::string& id, const std::string& hash,
                    const std::string& company = {}) {
    Account account;
    account.id = id;
    account.passwordHash = hash;
    account.company = company;
    return account;
}

class TempFolder {
  public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ostiva-db-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const char* name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

TEST(ServerDatabase, FileKeepsEverythingAcrossARestart) {
    TempFolder folder;
    std::string path = folder.File("server.db");
    int32_t code;
    {
        ServerDatabase db(path);
        Account account{"alice", HashPassword("pw", 10), "Acme", "Alice", "2099-01-01", "u", "l1",
                        "l2"};
        db.PutAccount(account);
        CodeTimeline timeline(db.LoadCodes());
        auto entry = timeline.Issue("alice", "2024-05-01 10:00:00");
        code = entry->code;
        entry = timeline.Advance(code, u"x");
        entry = timeline.Advance(code, u"2024-05-01 10:01:00", {u"a1", u"a2", 14});
        db.SaveCode(*entry);
        db.AddConnection("alice", code, entry->connectionNumber, "2024-05-01 10:01:00");
        int64_t session = db.BeginSession("alice", "127.0.0.1:5000", "2024-05-01 10:00:00");
        db.EndSession(session, "2024-05-01 11:00:00");
        StoredReport report;
        report.helperId = "alice";
        report.connectionNumber = entry->connectionNumber;
        report.code = code;
        report.company = "Customer";
        report.memo = "memo";
        report.receivedAt = "2024-05-01 10:30:00";
        db.AddReport(report);
    }
    struct stat info;
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    ServerDatabase db(path);
    auto account = db.FindAccount("alice");
    ASSERT_TRUE(account);
    EXPECT_TRUE(VerifyPassword("pw", account->passwordHash));
    EXPECT_EQ(account->link2, "l2");
    auto codes = db.LoadCodes();
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(codes[0].code, code);
    EXPECT_EQ(codes[0].state, 2);
    EXPECT_EQ(codes[0].firstAddress, u"a1");
    EXPECT_EQ(codes[0].osCode, 14);
    EXPECT_EQ(db.CountConnections("alice", "2024-05-01"), 1);
    EXPECT_EQ(db.CountConnections("alice", "2024-05-02"), 0);
    auto reports = db.Reports(std::string("alice"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].code, code);
    EXPECT_EQ(reports[0].company, "Customer");
    // The restarted timeline keeps the code taken and numbers on.
    CodeTimeline timeline(codes);
    for (int i = 0; i < 200; ++i) EXPECT_NE(timeline.Issue("bob", "t")->code, code);
}

TEST(ServerDatabase, AccountsAreReplacedAndRemovedById) {
    ServerDatabase db;
    db.PutAccount(MakeAccount("a", "h1", "c1"));
    db.PutAccount(MakeAccount("a", "h2", "c2"));
    ASSERT_EQ(db.Accounts().size(), 1u);
    EXPECT_EQ(db.FindAccount("a")->company, "c2");
    EXPECT_TRUE(db.RemoveAccount("a"));
    EXPECT_FALSE(db.RemoveAccount("a"));
    EXPECT_FALSE(db.FindAccount("a"));
}

TEST(ServerDatabase, UnopenablePathThrows) {
    EXPECT_THROW(ServerDatabase("/nonexistent/dir/server.db"), std::runtime_error);
}

}  // namespace
}  // namespace ostiva::server
