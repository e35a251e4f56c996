#include "proxy/Md4.h"

namespace ostiva {
namespace detail {

void Md4Compress::operator()(uint32_t state[4], const uint32_t block[16]) const {
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    using Mix = uint32_t (*)(uint32_t, uint32_t, uint32_t);
    static constexpr Mix kMix[3] = {
        [](uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (~x & z); },
        [](uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (x & z) | (y & z); },
        [](uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; },
    };
    // Each round walks the words in its own order.
    static constexpr int kOrder[3][16] = {
        {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
        {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15},
        {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15},
    };
    static constexpr int kShift[3][4] = {{3, 7, 11, 19}, {3, 5, 9, 13}, {3, 9, 11, 15}};
    static constexpr uint32_t kAdd[3] = {0, 0x5A827999, 0x6ED9EBA1};

    // The registers take turns: step j of every four updates a, d, c, b in
    // that order, mixing the three that follow it (a: b c d; d: a b c; ...).
    uint32_t* r[4] = {&a, &b, &c, &d};
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 16; ++i) {
            int j = i % 4;
            uint32_t& target = *r[(4 - j) % 4];
            uint32_t mixed = kMix[round](*r[(5 - j) % 4], *r[(6 - j) % 4], *r[(7 - j) % 4]);
            target = RotateLeft(target + mixed + block[kOrder[round][i]] + kAdd[round],
                                kShift[round][j]);
        }
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

}  // namespace detail

void Md4Digest(const uint8_t* data, size_t length, uint8_t out[16]) {
    Md4 md4;
    md4.Update(data, length);
    md4.Final(out);
}

}  // namespace ostiva
