// Known answers of the published standards for the proxy primitives.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "proxy/Base64.h"
#include "proxy/Des.h"
#include "proxy/Md4.h"
#include "proxy/Md5.h"
#include "unit/proxy/Hex.h"

using namespace ostiva;
using ostiva::test::FromHex;
using ostiva::test::ToHex;

namespace {

std::string Md4Hex(std::string_view text) {
    uint8_t digest[16];
    Md4Digest(reinterpret_cast<const uint8_t*>(text.data()), text.size(), digest);
    return ToHex(digest, 16);
}

std::string Des(const std::string& keyHex, const std::string& blockHex) {
    auto key = FromHex(keyHex);
    auto block = FromHex(blockHex);
    uint8_t out[8];
    DesEncrypt(block.data(), key.data(), out);
    return ToHex(out, 8);
}

}  // namespace

TEST(Base64, EncodesRfc4648Vectors) {
    EXPECT_EQ(Base64Encode(std::string_view("")), "");
    EXPECT_EQ(Base64Encode(std::string_view("f")), "Zg==");
    EXPECT_EQ(Base64Encode(std::string_view("fo")), "Zm8=");
    EXPECT_EQ(Base64Encode(std::string_view("foo")), "Zm9v");
    EXPECT_EQ(Base64Encode(std::string_view("foob")), "Zm9vYg==");
    EXPECT_EQ(Base64Encode(std::string_view("fooba")), "Zm9vYmE=");
    EXPECT_EQ(Base64Encode(std::string_view("foobar")), "Zm9vYmFy");
    EXPECT_EQ(Base64Encode(std::string_view(":")), "Og==");
}

TEST(Base64, EncodeWritesNoTerminatorAndCountsCharacters) {
    char out[9];
    std::memset(out, '#', sizeof out);
    const uint8_t bytes[] = {0xFF, 0xEF, 0x00, 0x10};
    EXPECT_EQ(Base64Encode(bytes, 4, out), 8u);
    EXPECT_EQ(std::string(out, 8), "/+8AEA==");
    EXPECT_EQ(out[8], '#');
    EXPECT_EQ(Base64Encode(bytes, 0, out), 0u);
}

TEST(Base64, DecodeFollowsTheRunRules) {
    uint8_t out[16];
    std::memset(out, 0xAA, sizeof out);
    EXPECT_EQ(Base64Decode(" \t Zm9vYmFy", out, sizeof out), 6u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 6), "foobar");
    EXPECT_EQ(out[6], 0) << "a zero byte follows the decoded bytes";

    EXPECT_EQ(Base64Decode("Zm8=trailing", out, sizeof out), 2u) << "stops at '='";
    EXPECT_EQ(Base64Decode("Zm9vYg\r\nZm9v", out, sizeof out), 4u) << "stops at a line end";
    EXPECT_EQ(Base64Decode("Zm9", out, sizeof out), 2u) << "three characters give two bytes";
    EXPECT_EQ(Base64Decode("Zg", out, sizeof out), 1u) << "two characters give one byte";
    EXPECT_EQ(Base64Decode("Zm9vY", out, sizeof out), 3u) << "a lone character gives nothing";
    EXPECT_EQ(Base64Decode("", out, sizeof out), 0u);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(Base64Decode("\nZm9v", out, sizeof out), 0u) << "only blanks and tabs are skipped";
    EXPECT_EQ(Base64Decode(nullptr, out, sizeof out), 0u);
}

TEST(Base64, DecodeNeverWritesPastItsCapacity) {
    uint8_t out[8];
    std::memset(out, 0xAA, sizeof out);
    // Six bytes and the zero byte need seven.
    EXPECT_EQ(Base64Decode("Zm9vYmFy", out, 6), kBase64Overflow);
    EXPECT_EQ(out[0], 0xAA) << "nothing is written on overflow";
    EXPECT_EQ(Base64Decode("Zm9vYmFy", out, 7), 6u);
    EXPECT_EQ(out[7], 0xAA);
    EXPECT_EQ(Base64Decode("", out, 0), kBase64Overflow);
    EXPECT_EQ(Base64Decode("", out, 1), 0u);
}

TEST(Base64, ViewDecoderStopsAtTheEndOfItsText) {
    std::string_view cut("Zm9vYmFy", 3);
    auto bytes = Base64Decode(cut);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "fo");
    auto withNul = Base64Decode(std::string_view("Zm9v\0Zm9v", 9));
    EXPECT_EQ(withNul.size(), 3u);
}

TEST(Md5, SatisfiesRfc1321Vectors) {
    EXPECT_EQ(Md5Hex(std::string_view("")), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Hex(std::string_view("a")), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(Md5Hex(std::string_view("abc")), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5Hex(std::string_view("message digest")), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(Md5Hex(std::string_view("abcdefghijklmnopqrstuvwxyz")),
              "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(
        Md5Hex(std::string_view("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")),
        "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(Md5Hex(std::string_view("1234567890123456789012345678901234567890123456789012345678"
                                      "9012345678901234567890")),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, HexFormTakesZeroTerminatedTextOfAnyLength) {
    char out[33];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(Md5Hex("abc", out), out);
    EXPECT_STREQ(out, "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5Hex(static_cast<const char*>(nullptr), out), nullptr);
    EXPECT_STREQ(out, "900150983cd24fb0d6963f7d28e17f72") << "null text leaves the output alone";

    // Longer than the 1027 bytes older builds cut at: hashed whole.
    std::string longText(5000, 'x');
    longText[4999] = 'y';
    Md5Hex(longText.c_str(), out);
    EXPECT_EQ(std::string(out), Md5Hex(std::string_view(longText)));
    EXPECT_NE(std::string(out), Md5Hex(std::string_view(longText).substr(0, 1027)));
}

TEST(Md5, IncrementalUpdatesMatchOneShot) {
    std::string text(200, '\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(i * 7);
    uint8_t whole[16], parts[16];
    Md5Digest(text.data(), text.size(), whole);
    Md5 md5;
    for (size_t i = 0; i < text.size(); i += 13) {
        md5.Update(text.data() + i, std::min<size_t>(13, text.size() - i));
    }
    md5.Final(parts);
    EXPECT_EQ(ToHex(whole, 16), ToHex(parts, 16));
}

TEST(Md4, SatisfiesRfc1320Vectors) {
    EXPECT_EQ(Md4Hex(""), "31d6cfe0d16ae931b73c59d7e0c089c0");
    EXPECT_EQ(Md4Hex("a"), "bde52cb31de33e46245e05fbdbd6fb24");
    EXPECT_EQ(Md4Hex("abc"), "a448017aaf21d8525fc10ae87aa6729d");
    EXPECT_EQ(Md4Hex("message digest"), "d9130a8164549fe818874806e1c7014b");
    EXPECT_EQ(Md4Hex("abcdefghijklmnopqrstuvwxyz"), "d79e1c308aa5bbcdeea8ed63df412da9");
    EXPECT_EQ(Md4Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "043f8582f241db351ce627e153e7f0e4");
    EXPECT_EQ(
        Md4Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
        "e33b4ddc9c38f2199c3e7b164fcc0536");
}

TEST(Des, SatisfiesClassicVectors) {
    // The worked example of the standard's tutorials and the FIPS 81 sample.
    EXPECT_EQ(Des("133457799bbcdff1", "0123456789abcdef"), "85e813540f0ab405");
    EXPECT_EQ(Des("0123456789abcdef", "4e6f772069732074"), "3fa40e8a984d4815");
    // Variable-plaintext known answers under the key 01..01.
    EXPECT_EQ(Des("0101010101010101", "8000000000000000"), "95f8a5e5dd31d900");
    EXPECT_EQ(Des("0101010101010101", "0000000000000001"), "166b40b44aba4bd6");
    // Variable-key known answer.
    EXPECT_EQ(Des("8001010101010101", "0000000000000000"), "95a8d72813daa94d");
    EXPECT_EQ(Des("0000000000000000", "0000000000000000"), "8ca64de9c1b123a7");
}

TEST(Des, SevenByteKeysAreSpreadWithParityBitZero) {
    uint8_t key8[8];
    const uint8_t ones[7] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    DesExpandKey7(ones, key8);
    EXPECT_EQ(ToHex(key8, 8), "fefefefefefefefe");
    const uint8_t zeros[7] = {};
    DesExpandKey7(zeros, key8);
    EXPECT_EQ(ToHex(key8, 8), "0000000000000000");
    const uint8_t pattern[7] = {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01};
    DesExpandKey7(pattern, key8);
    EXPECT_EQ(ToHex(key8, 8), "8000000000000002");

    uint8_t block[8] = {}, viaSeven[8], viaEight[8];
    DesEncrypt7(block, zeros, viaSeven);
    EXPECT_EQ(ToHex(viaSeven, 8), "8ca64de9c1b123a7") << "the all-zero DES key";
    DesEncrypt7(block, ones, viaSeven);
    const uint8_t fe[8] = {0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE};
    DesEncrypt(block, fe, viaEight);
    EXPECT_EQ(ToHex(viaSeven, 8), ToHex(viaEight, 8));
}
