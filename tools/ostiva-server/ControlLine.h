#pragma once
// The control channel's line syntax: a command name and its arguments,
// separated by spaces or tabs. An argument that holds spaces is either
// written in double quotes (\" and \\ stand for a quote and a backslash
// inside) or %-encoded (%20 for a space; %XX is any byte). Texts are UTF-8.
//
//   status 123456 2 7 "10.0.0.5" 192.168.1.20 "2024-05-01 10:00:00" 14
//   status 123456 2 7 10.0.0.5 192.168.1.20 2024-05-01%2010:00:00 14

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostiva::server {

inline constexpr size_t kMaxControlLine = 16384;
inline constexpr size_t kMaxControlArguments = 16;

struct ControlLine {
    std::string name;
    std::vector<std::string> arguments;
};

struct ControlParse {
    std::optional<ControlLine> line;  // none for a bad or an empty line
    std::string error;                // why a line was refused; empty for an empty line
};

// Splits one line (without its line end). Refused: a line longer than
// kMaxControlLine, control characters, an unterminated quote, an unknown
// escape, a quote that runs into the next argument, a bad %-escape, more
// than kMaxControlArguments arguments.
ControlParse ParseControlLine(std::string_view text);

// Decimal numbers, whole text only, within the type's range.
std::optional<int32_t> ParseInt32(std::string_view text);
std::optional<uint16_t> ParseUint16(std::string_view text);

// Even-length hexadecimal text to bytes.
std::optional<std::vector<uint8_t>> ParseHex(std::string_view text);

}  // namespace ostiva::server
