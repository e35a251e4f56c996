// The primitives against Crypto++ on many random inputs: lengths around the
// 64-byte block edges of MD4/MD5 and every Base64 tail.
#define CRYPTOPP_ENABLE_NAMESPACE_WEAK 1
#include <cryptopp/base64.h>
#include <cryptopp/des.h>
#include <cryptopp/filters.h>
#include <cryptopp/md4.h>
#include <cryptopp/md5.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "proxy/Base64.h"
#include "proxy/Des.h"
#include "proxy/Md4.h"
#include "proxy/Md5.h"
#include "unit/proxy/Hex.h"

using namespace ostiva;
using ostiva::test::ToHex;

namespace {

std::vector<uint8_t> RandomBytes(std::mt19937& rng, size_t length) {
    std::vector<uint8_t> out(length);
    for (auto& b : out) b = static_cast<uint8_t>(rng());
    return out;
}

// Lengths 0..300 and some larger ones, so every padding case is met.
std::vector<size_t> Lengths() {
    std::vector<size_t> out;
    for (size_t n = 0; n <= 300; ++n) out.push_back(n);
    for (size_t n : {511u, 512u, 1023u, 1024u, 1027u, 4096u, 70001u}) out.push_back(n);
    return out;
}

}  // namespace

TEST(CryptoppDifferential, Md5AndMd4Agree) {
    std::mt19937 rng(1321);
    for (size_t length : Lengths()) {
        for (int round = 0; round < 3; ++round) {
            auto data = RandomBytes(rng, length);
            uint8_t ours[16], theirs[16];
            Md5Digest(data.data(), data.size(), ours);
            CryptoPP::Weak::MD5().CalculateDigest(theirs, data.data(), data.size());
            ASSERT_EQ(ToHex(ours, 16), ToHex(theirs, 16)) << "MD5, length " << length;

            Md4Digest(data.data(), data.size(), ours);
            CryptoPP::Weak::MD4().CalculateDigest(theirs, data.data(), data.size());
            ASSERT_EQ(ToHex(ours, 16), ToHex(theirs, 16)) << "MD4, length " << length;
        }
    }
}

TEST(CryptoppDifferential, Base64AgreesBothWays) {
    std::mt19937 rng(4648);
    for (size_t length : Lengths()) {
        auto data = RandomBytes(rng, length);
        std::string theirs;
        CryptoPP::StringSource(
            data.data(), data.size(), true,
            new CryptoPP::Base64Encoder(new CryptoPP::StringSink(theirs), false));
        std::string ours = Base64Encode(data);
        ASSERT_EQ(ours, theirs) << "length " << length;

        std::vector<uint8_t> decoded(length + 1, 0xAA);
        ASSERT_EQ(Base64Decode(ours.c_str(), decoded.data(), decoded.size()), length);
        ASSERT_EQ(decoded[length], 0);
        decoded.pop_back();
        ASSERT_EQ(decoded, data) << "length " << length;
    }
}

TEST(CryptoppDifferential, DesAgreesOnRandomKeysAndBlocks) {
    std::mt19937 rng(463);
    for (int i = 0; i < 20000; ++i) {
        auto key7 = RandomBytes(rng, 7);
        auto block = RandomBytes(rng, 8);
        uint8_t key8[8], ours[8], theirs[8];
        DesExpandKey7(key7.data(), key8);
        DesEncrypt7(block.data(), key7.data(), ours);
        CryptoPP::DES::Encryption des(key8, 8);
        des.ProcessBlock(block.data(), theirs);
        ASSERT_EQ(ToHex(ours, 8), ToHex(theirs, 8)) << "round " << i;

        // Full 8-byte keys, parity bits set at random: DES ignores them.
        auto fullKey = RandomBytes(rng, 8);
        DesEncrypt(block.data(), fullKey.data(), ours);
        CryptoPP::DES::Encryption full(fullKey.data(), 8);
        full.ProcessBlock(block.data(), theirs);
        ASSERT_EQ(ToHex(ours, 8), ToHex(theirs, 8)) << "round " << i;
    }
}
