#include <gtest/gtest.h>

#include <string>

#include "Account.h"
#include "AccountsFile.h"
#include "PasswordHash.h"

namespace ostiva::server {
namespace {

constexpr unsigned kFast = 10;

TEST(AccountsFile, ReadsEveryFieldAndHashesThePassword) {
    auto result = ParseAccountsText(
        "# comment\n"
        "\n"
        "alice\tpw a\tAcme\tAlice A\t2030-01-31\thttps://c/\thttps://1/\thttps://2/\r\n"
        "bob\tpw-b\n",
        kFast);
    ASSERT_EQ(result.error, "");
    ASSERT_EQ(result.accounts.size(), 2u);
    const Account& a = result.accounts[0];
    EXPECT_EQ(a.id, "alice");
    EXPECT_EQ(a.company, "Acme");
    EXPECT_EQ(a.name, "Alice A");
    EXPECT_EQ(a.expiry, "2030-01-31");
    EXPECT_EQ(a.customerUrl, "https://c/");
    EXPECT_EQ(a.link1, "https://1/");
    EXPECT_EQ(a.link2, "https://2/");  // without the CR
    EXPECT_TRUE(VerifyPassword("pw a", a.passwordHash));
    const Account& b = result.accounts[1];
    EXPECT_EQ(b.id, "bob");
    EXPECT_TRUE(b.company.empty());
    EXPECT_TRUE(b.expiry.empty());
    EXPECT_TRUE(VerifyPassword("pw-b", b.passwordHash));
}

TEST(AccountsFile, BadLinesAreNamedByNumber) {
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"alice\tpw\n\tpw\n", "line 2: the id and the password are required"},
        {"alice\n", "line 1: the id and the password are required"},
        {"a\tb\tc\td\t2030-01-01\tf\tg\th\ti\n", "line 1: more than 8 tab-separated fields"},
        {"a\tb\tc\td\t31.12.2030\n", "line 1: expiry \"31.12.2030\" is not YYYY-MM-DD"},
        {"a\tb\tc\td\t2030-13-01\n", "line 1: expiry \"2030-13-01\" is not YYYY-MM-DD"},
    };
    for (const auto& c : cases) {
        auto result = ParseAccountsText(c.text, kFast);
        EXPECT_EQ(result.error, c.error) << c.text;
    }
    std::string longLine = "a\t" + std::string(kMaxAccountLineLength, 'p') + "\n";
    EXPECT_EQ(ParseAccountsText(longLine, kFast).error.rfind("line 1: longer than", 0), 0u);
}

TEST(AccountsFile, MissingFileIsAnError) {
    auto result = ReadAccountsFile("/nonexistent/accounts.txt", kFast);
    EXPECT_NE(result.error.find("/nonexistent/accounts.txt"), std::string::npos);
    EXPECT_TRUE(result.accounts.empty());
    EXPECT_FALSE(ReadAccountsFile("/", kFast).error.empty());
}

TEST(AccountsFile, ExpiryComparesDates) {
    EXPECT_FALSE(IsExpired("", "2024-05-01"));
    EXPECT_FALSE(IsExpired("2024-05-01", "2024-05-01"));  // expired from the next day
    EXPECT_TRUE(IsExpired("2024-04-30", "2024-05-01"));
    EXPECT_FALSE(IsExpired("2025-01-01", "2024-12-31"));
    EXPECT_TRUE(IsExpired("someday", "2024-05-01"));  // a typing error locks out
}

}  // namespace
}  // namespace ostiva::server
