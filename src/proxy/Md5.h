#pragma once
// MD5 (RFC 1321), for Digest proxy authentication.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "proxy/HashBlocks.h"

namespace ostiva {

namespace detail {
struct Md5Compress {
    static constexpr uint32_t kInitial[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    void operator()(uint32_t state[4], const uint32_t block[16]) const;
};
}  // namespace detail

// Incremental MD5: Update as often as needed, then Final once.
class Md5 : public HashBlocks<detail::Md5Compress> {};

void Md5Digest(const void* data, size_t length, uint8_t out[16]);

// Writes the MD5 of a zero-terminated text's bytes as 32 lowercase hex
// digits and a terminating zero into `out` and returns `out`; returns null,
// writing nothing, for a null text. Every byte of the text is hashed
// whatever its length: a long text is never cut and hashed as another.
char* Md5Hex(const char* text, char out[33]);
std::string Md5Hex(std::string_view text);

}  // namespace ostiva
