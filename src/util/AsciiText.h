#pragma once
// ASCII-only text helpers for protocol words (header names, scheme names,
// directive names): their case rules are ASCII's whatever the locale, and
// bytes above 0x7F are compared as they are.

#include <cstddef>
#include <string>
#include <string_view>

namespace ostiva {

// Space, tab, LF, VT, FF and CR: what isspace() gives in the C locale.
constexpr bool IsAsciiWhite(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Space or tab: the blanks around a header value.
constexpr bool IsAsciiBlank(char c) {
    return c == ' ' || c == '\t';
}

constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// The first place at or after `from` where `needle` occurs in `text`
// without regard to ASCII case; npos when it does not.
size_t FindIgnoringAsciiCase(std::string_view text, std::string_view needle, size_t from = 0);

// `text` without the blanks at either end.
std::string_view TrimAsciiBlanks(std::string_view text);

enum class QuotedStringEnd { Complete, Unterminated, TooLong };

// Reads an HTTP quoted string whose opening quote is at text[*at]: the
// characters up to the closing quote, with backslash escapes undone, go to
// `value` (at most `maxLength` bytes). On Complete, *at is just past the
// closing quote.
QuotedStringEnd ReadQuotedString(std::string_view text, size_t* at, size_t maxLength,
                                 std::string* value);

}  // namespace ostiva
