#pragma once
// Bytes as lower-case hexadecimal text and back: the server's stored hashes
// and salts, and the records its control channel lists and takes.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ostiva {

std::string HexEncode(std::span<const uint8_t> bytes);

// 0 to 15 for a hexadecimal digit of either case, -1 for anything else.
int HexDigitValue(char c);

// Nothing for an odd length or a character that is not a hexadecimal digit.
std::optional<std::vector<uint8_t>> HexDecode(std::string_view text);

}  // namespace ostiva
