#pragma once
// The message framing that MD4 and MD5 share: 64-byte blocks of
// little-endian 32-bit words, padded with 0x80, zeros and the message length
// in bits as a little-endian 64-bit number. `Compress` supplies the state and
// the block function: `void operator()(uint32_t state[4], const uint32_t
// block[16])` and `static constexpr uint32_t kInitial[4]`.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ostiva {

template <class Compress>
class HashBlocks {
  public:
    HashBlocks() { std::memcpy(state_, Compress::kInitial, sizeof state_); }

    void Update(const void* data, size_t length) {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        totalBytes_ += length;
        while (length > 0) {
            size_t take = sizeof buffer_ - buffered_;
            if (take > length) take = length;
            std::memcpy(buffer_ + buffered_, bytes, take);
            buffered_ += take;
            bytes += take;
            length -= take;
            if (buffered_ == sizeof buffer_) {
                CompressBuffer();
                buffered_ = 0;
            }
        }
    }

    // Pads, writes the 16-byte digest and leaves the object spent; start a
    // new one for the next message.
    void Final(uint8_t out[16]) {
        uint64_t bits = totalBytes_ * 8;
        static const uint8_t kPad[64] = {0x80};
        size_t padLength = buffered_ < 56 ? 56 - buffered_ : 120 - buffered_;
        Update(kPad, padLength);
        uint8_t lengthBytes[8];
        for (int i = 0; i < 8; ++i) lengthBytes[i] = static_cast<uint8_t>(bits >> (8 * i));
        Update(lengthBytes, 8);
        for (int i = 0; i < 4; ++i) {
            for (int j = 0; j < 4; ++j) out[4 * i + j] = static_cast<uint8_t>(state_[i] >> (8 * j));
        }
    }

  private:
    void CompressBuffer() {
        uint32_t words[16];
        for (int i = 0; i < 16; ++i) {
            words[i] = uint32_t(buffer_[4 * i]) | (uint32_t(buffer_[4 * i + 1]) << 8) |
                       (uint32_t(buffer_[4 * i + 2]) << 16) | (uint32_t(buffer_[4 * i + 3]) << 24);
        }
        Compress()(state_, words);
    }

    uint32_t state_[4];
    uint8_t buffer_[64] = {};
    size_t buffered_ = 0;
    uint64_t totalBytes_ = 0;
};

inline constexpr uint32_t RotateLeft(uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

}  // namespace ostiva
