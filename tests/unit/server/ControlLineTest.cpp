#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlLine.h"

namespace ostiva::server {
namespace {

std::vector<std::string> Words(const std::string& text) {
    auto parse = ParseControlLine(text);
    EXPECT_EQ(parse.error, "") << text;
    if (!parse.line) return {};
    std::vector<std::string> words{parse.line->name};
    words.insert(words.end(), parse.line->arguments.begin(), parse.line->arguments.end());
    return words;
}

TEST(ControlLine, QuotedAndPercentEncodedArgumentsHoldSpaces) {
    using W = std::vector<std::string>;
    EXPECT_EQ(Words("status 123456 2"), (W{"status", "123456", "2"}));
    EXPECT_EQ(Words("  status\t1  2  "), (W{"status", "1", "2"}));
    EXPECT_EQ(Words("status 1 2 7 \"a b\" c%20d \"2024-05-01 10:00:00\" 14"),
              (W{"status", "1", "2", "7", "a b", "c d", "2024-05-01 10:00:00", "14"}));
    EXPECT_EQ(Words("x \"\""), (W{"x", ""}));
    EXPECT_EQ(Words("x \"say \\\"hi\\\" \\\\ now\""), (W{"x", "say \"hi\" \\ now"}));
    EXPECT_EQ(Words("x %e3%81%82"), (W{"x", "\xe3\x81\x82"}));
    EXPECT_EQ(Words("x 100%25"), (W{"x", "100%"}));
    EXPECT_TRUE(Words("").empty());
    EXPECT_TRUE(Words("   \t ").empty());
}

TEST(ControlLine, HostileLinesAreRefusedWithAReason) {
    const std::string hostile[] = {
        "status \"unterminated",
        "status \"a\"b",
        "status a\"b\"",
        "status \"bad \\n escape\"",
        "status \"trailing backslash\\",
        "status %",
        "status %4",
        "status %zz",
        "status 1%g0",
        std::string("status \x01"),
        std::string("status a\x7f"),
        std::string("status a\rb"),
        std::string("status a\0b", 10),
        "x " + std::string(kMaxControlLine, 'a'),
    };
    for (const auto& line : hostile) {
        auto parse = ParseControlLine(line);
        EXPECT_FALSE(parse.line) << line;
        EXPECT_FALSE(parse.error.empty()) << line;
    }
    std::string many = "x";
    for (size_t i = 0; i < kMaxControlArguments; ++i) many += " a";
    EXPECT_TRUE(ParseControlLine(many).line);
    EXPECT_FALSE(ParseControlLine(many + " a").line);
}

TEST(ControlLine, NumbersAndHexAreWholeAndInRange) {
    EXPECT_EQ(ParseInt32("123456"), 123456);
    EXPECT_EQ(ParseInt32("-5"), -5);
    EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
    for (const char* bad : {"", "2147483648", "12a", " 1", "+1", "0x10", "1.0"}) {
        EXPECT_FALSE(ParseInt32(bad)) << bad;
    }
    EXPECT_EQ(ParseUint16("65535"), 65535);
    EXPECT_FALSE(ParseUint16("65536"));
    EXPECT_FALSE(ParseUint16("-1"));
    EXPECT_EQ(ParseHex("00fF10"), (std::vector<uint8_t>{0x00, 0xff, 0x10}));
    EXPECT_FALSE(ParseHex("abc"));
    EXPECT_FALSE(ParseHex("zz"));
}

}  // namespace
}  // namespace ostiva::server
