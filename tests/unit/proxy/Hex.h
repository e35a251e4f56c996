#pragma once
// Hex text <-> bytes for the known-answer tables of the proxy tests.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ostiva::test {

inline std::string ToHex(const uint8_t* bytes, size_t length) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
    }
    return out;
}

inline std::string ToHex(const std::vector<uint8_t>& bytes) {
    return ToHex(bytes.data(), bytes.size());
}

// Hex digits, blanks between them ignored ("01 23 ab").
inline std::vector<uint8_t> FromHex(std::string_view text) {
    auto value = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return c - 'A' + 10;
    };
    std::vector<uint8_t> out;
    int high = -1;
    for (char c : text) {
        if (c == ' ') continue;
        if (high < 0) {
            high = value(c);
        } else {
            out.push_back(static_cast<uint8_t>(high * 16 + value(c)));
            high = -1;
        }
    }
    return out;
}

}  // namespace ostiva::test
