#include <gtest/gtest.h>

#include <string>

#include "PasswordHash.h"

namespace ostiva::server {
namespace {

constexpr unsigned kFast = 10;

TEST(PasswordHash, VerifiesOnlyTheRightPasswordAndSaltsEachHash) {
    std::string stored = HashPassword("secret", kFast);
    EXPECT_TRUE(VerifyPassword("secret", stored));
    EXPECT_FALSE(VerifyPassword("Secret", stored));
    EXPECT_FALSE(VerifyPassword("secret ", stored));
    EXPECT_FALSE(VerifyPassword("", stored));
    EXPECT_EQ(stored.find("secret"), std::string::npos);
    std::string again = HashPassword("secret", kFast);
    EXPECT_NE(again, stored);
    EXPECT_TRUE(VerifyPassword("secret", again));
}

TEST(PasswordHash, KnownAnswerOfTheStoredForm) {
    // The published PBKDF2-HMAC-SHA256 vector: "password", salt "salt",
    // one iteration, 32 bytes.
    std::string stored =
        "pbkdf2-sha256$1$73616c74$120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b";
    EXPECT_TRUE(VerifyPassword("password", stored));
    EXPECT_FALSE(VerifyPassword("passwort", stored));
}

TEST(PasswordHash, DamagedStoredTextsMatchNothing) {
    std::string good = HashPassword("pw", kFast);
    const std::string hostile[] = {
        "",
        "pw",
        "pbkdf2-sha256",
        "pbkdf2-sha256$$$",
        "md5$10$00$00",
        "pbkdf2-sha256$0$73616c74$" + std::string(64, '0'),
        "pbkdf2-sha256$99999999999$73616c74$" + std::string(64, '0'),
        "pbkdf2-sha256$-1$73616c74$" + std::string(64, '0'),
        "pbkdf2-sha256$10$$" + std::string(64, '0'),
        "pbkdf2-sha256$10$7361zz74$" + std::string(64, '0'),
        "pbkdf2-sha256$10$736$" + std::string(64, '0'),
        "pbkdf2-sha256$10$73616c74$" + std::string(62, '0'),
        "pbkdf2-sha256$10$73616c74$" + std::string(66, '0'),
        "pbkdf2-sha256$10$" + std::string(130, 'a') + "$" + std::string(64, '0'),
        good + "0",
        good.substr(0, good.size() - 1),
    };
    for (const auto& stored : hostile) {
        EXPECT_FALSE(VerifyPassword("pw", stored)) << stored;
        EXPECT_FALSE(VerifyPassword("", stored)) << stored;
    }
}

}  // namespace
}  // namespace ostiva::server
