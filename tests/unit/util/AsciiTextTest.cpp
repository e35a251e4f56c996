// The ASCII helpers that the proxy codecs read protocol words with.

#include <gtest/gtest.h>

#include <string>

#include "util/AsciiText.h"

namespace ostiva::test {
namespace {

TEST(AsciiText, CaseIsFoldedForAsciiLettersOnly) {
    EXPECT_TRUE(EqualsIgnoringAsciiCase("Content-Length", "CONTENT-LENGTH"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("Content-Length", "Content-Lengt"));
    // Bytes above 0x7F are not letters here: "\xC3\x84" (A umlaut) is not
    // the same as "\xC3\xA4" (a umlaut).
    EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC3\x84", "\xC3\xA4"));
    EXPECT_EQ(FindIgnoringAsciiCase("x: 1\r\nPROXY-AUTHENTICATE: a", "proxy-authenticate: "), 6u);
    EXPECT_EQ(FindIgnoringAsciiCase("abc", "abcd"), std::string_view::npos);
    EXPECT_EQ(FindIgnoringAsciiCase("abab", "AB", 1), 2u);
    EXPECT_EQ(TrimAsciiBlanks(" \t 12 \t"), "12");
    EXPECT_EQ(TrimAsciiBlanks(" \t "), "");
}

TEST(AsciiText, QuotedStringsEndAtTheirQuoteWithEscapesUndone) {
    std::string value;
    std::string_view text = R"("Squid proxy, \"corp\"" rest)";
    size_t at = 0;
    ASSERT_EQ(ReadQuotedString(text, &at, 64, &value), QuotedStringEnd::Complete);
    EXPECT_EQ(value, "Squid proxy, \"corp\"");
    EXPECT_EQ(text.substr(at), " rest");

    at = 0;
    EXPECT_EQ(ReadQuotedString(R"("open)", &at, 64, &value), QuotedStringEnd::Unterminated);
    at = 0;
    EXPECT_EQ(ReadQuotedString(R"("a\)", &at, 64, &value), QuotedStringEnd::Unterminated);
    at = 0;
    EXPECT_EQ(ReadQuotedString(R"("abcd")", &at, 4, &value), QuotedStringEnd::Complete);
    at = 0;
    EXPECT_EQ(ReadQuotedString(R"("abcde")", &at, 4, &value), QuotedStringEnd::TooLong);
}

}  // namespace
}  // namespace ostiva::test
