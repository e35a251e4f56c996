#pragma once
// MD4 (RFC 1320), for the NT password hash of NTLM.

#include <cstddef>
#include <cstdint>

#include "proxy/HashBlocks.h"

namespace ostiva {

namespace detail {
struct Md4Compress {
    static constexpr uint32_t kInitial[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    void operator()(uint32_t state[4], const uint32_t block[16]) const;
};
}  // namespace detail

// Incremental MD4: Update as often as needed, then Final once.
class Md4 : public HashBlocks<detail::Md4Compress> {};

void Md4Digest(const uint8_t* data, size_t length, uint8_t out[16]);

}  // namespace ostiva
