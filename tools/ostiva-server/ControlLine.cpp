#include "ControlLine.h"

#include <charconv>

#include "util/AsciiText.h"
#include "util/HexText.h"

namespace ostiva::server {

namespace {

bool IsControl(char c) {
    auto u = static_cast<unsigned char>(c);
    return (u < 0x20 && c != '\t') || u == 0x7f;
}

}  // namespace

ControlParse ParseControlLine(std::string_view text) {
    ControlParse result;
    if (text.size() > kMaxControlLine) {
        result.error = "line longer than " + std::to_string(kMaxControlLine) + " bytes";
        return result;
    }
    for (char c : text) {
        if (IsControl(c)) {
            result.error = "control character in the line";
            return result;
        }
    }
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        if (IsAsciiBlank(text[i])) {
            ++i;
            continue;
        }
        if (words.size() > kMaxControlArguments) {
            result.error = "more than " + std::to_string(kMaxControlArguments) + " arguments";
            return result;
        }
        std::string word;
        if (text[i] == '"') {
            ++i;
            bool closed = false;
            while (i < text.size()) {
                char c = text[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\') {
                    if (i >= text.size() || (text[i] != '"' && text[i] != '\\')) {
                        result.error = "unknown escape in a quoted argument";
                        return result;
                    }
                    c = text[i++];
                }
                word += c;
            }
            if (!closed) {
                result.error = "unterminated quote";
                return result;
            }
            if (i < text.size() && !IsAsciiBlank(text[i])) {
                result.error = "a quoted argument must be followed by a space";
                return result;
            }
        } else {
            while (i < text.size() && !IsAsciiBlank(text[i])) {
                char c = text[i++];
                if (c == '"') {
                    result.error = "quote inside an argument";
                    return result;
                }
                if (c == '%') {
                    int hi = i < text.size() ? HexDigitValue(text[i]) : -1;
                    int lo = i + 1 < text.size() ? HexDigitValue(text[i + 1]) : -1;
                    if (hi < 0 || lo < 0) {
                        result.error = "bad %-escape";
                        return result;
                    }
                    c = char(hi << 4 | lo);
                    i += 2;
                }
                word += c;
            }
        }
        words.push_back(std::move(word));
    }
    if (words.empty()) return result;
    if (words.size() > kMaxControlArguments + 1) {
        result.error = "more than " + std::to_string(kMaxControlArguments) + " arguments";
        return result;
    }
    ControlLine line;
    line.name = std::move(words.front());
    line.arguments.assign(std::make_move_iterator(words.begin() + 1),
                          std::make_move_iterator(words.end()));
    result.line = std::move(line);
    return result;
}

std::optional<int32_t> ParseInt32(std::string_view text) {
    int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<uint16_t> ParseUint16(std::string_view text) {
    uint16_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<std::vector<uint8_t>> ParseHex(std::string_view text) {
    return HexDecode(text);
}

}  // namespace ostiva::server
