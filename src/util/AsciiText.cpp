#include "util/AsciiText.h"

namespace ostiva {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

size_t FindIgnoringAsciiCase(std::string_view text, std::string_view needle, size_t from) {
    if (needle.size() > text.size()) return std::string_view::npos;
    for (size_t at = from; at + needle.size() <= text.size(); ++at) {
        if (EqualsIgnoringAsciiCase(text.substr(at, needle.size()), needle)) return at;
    }
    return std::string_view::npos;
}

std::string_view TrimAsciiBlanks(std::string_view text) {
    while (!text.empty() && IsAsciiBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsAsciiBlank(text.back())) text.remove_suffix(1);
    return text;
}

QuotedStringEnd ReadQuotedString(std::string_view text, size_t* at, size_t maxLength,
                                 std::string* value) {
    value->clear();
    size_t i = *at + 1;  // past the opening quote
    while (i < text.size()) {
        char c = text[i++];
        if (c == '"') {
            *at = i;
            return QuotedStringEnd::Complete;
        }
        if (c == '\\' && i < text.size()) c = text[i++];
        *value += c;
        if (value->size() > maxLength) return QuotedStringEnd::TooLong;
    }
    return QuotedStringEnd::Unterminated;
}

}  // namespace ostiva
