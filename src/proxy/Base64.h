#pragma once
// Base64 in the standard alphabet with "=" padding and no line breaks
// (RFC 4648 section 4), for Basic credentials and the NTLM tokens.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ostiva {

// Returned by Base64Decode when the bytes and their terminating zero would
// not fit the output.
inline constexpr size_t kBase64Overflow = static_cast<size_t>(-1);

// Characters that Base64Encode writes for `length` bytes.
constexpr size_t Base64EncodedLength(size_t length) {
    return (length + 2) / 3 * 4;
}

// Writes exactly Base64EncodedLength(length) characters to `out` and returns
// their number; no terminating zero (callers hand in a zero-filled buffer).
size_t Base64Encode(const uint8_t* data, size_t length, char* out);
std::string Base64Encode(std::span<const uint8_t> data);
std::string Base64Encode(std::string_view text);

// Decodes a zero-terminated text: leading blanks and tabs are skipped, then
// the run of alphabet characters that follows is decoded; the run ends at
// the first other character ("=", a line end, the terminating zero). Four
// characters give three bytes, a final three give two and a final two give
// one (a single leftover character gives nothing). A zero byte follows the
// decoded bytes; a null text reads as empty. Returns the number of decoded
// bytes, or kBase64Overflow, writing nothing, when they and the zero byte
// need more than `outCapacity`.
size_t Base64Decode(const char* text, uint8_t* out, size_t outCapacity);
// The same rules over a text that need not be zero-terminated (its end ends
// the run, like a zero byte would); no zero byte is appended.
std::vector<uint8_t> Base64Decode(std::string_view text);

}  // namespace ostiva
