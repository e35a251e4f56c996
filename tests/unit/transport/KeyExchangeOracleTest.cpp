// Both sides of the key exchange against OpenSSL, an RSA-OAEP implementation
// independent of the one the console uses.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "Loopback.h"
#include "OpenSslOracle.h"
#include "transport/SecureChannel.h"

using namespace ostiva;
using namespace ostiva::test;

TEST(KeyExchangeOracle, ConsoleKeyReadAndUsedByOpenSsl) {
    const std::string keyHex = "00112233445566778899AABBCCDDEEFF";
    const std::string ivHex = "0123456789ABCDEFFEDCBA9876543210";
    OracleKeyInfo info;
    bool started = false;
    std::array<uint8_t, 16> key{}, iv{};
    WithPeer(
        [&](SocketIPv4& server) {
            std::string blob = ReadKeyBlob(server);
            ASSERT_EQ(blob.size(), kPublicKeyBlobSize);
            EXPECT_EQ(blob[320], '\0');
            std::string spki = blob.substr(0, 320);
            info = InspectPublicKey(spki);
            std::string cipher = EncryptForKey(spki, keyHex + ivHex);
            ASSERT_EQ(cipher.size(), kCipherHexLength);
            cipher.push_back('\0');
            server.SendBytes(cipher.data(), cipher.size());
        },
        [&](SocketIPv4& console) {
            started = console.StartSecureChannel();
            key = console.sessionKey;
            iv = console.sessionIv;
        });
    ASSERT_TRUE(info.parsed);
    EXPECT_EQ(info.modulusBits, 1024);
    EXPECT_EQ(info.exponent, 17u);
    ASSERT_TRUE(started);
    EXPECT_EQ(ToHex(std::string(key.begin(), key.end())), keyHex);
    EXPECT_EQ(ToHex(std::string(iv.begin(), iv.end())), ivHex);
}

TEST(KeyExchangeOracle, AnswerDecryptedByOpenSsl) {
    OracleKeyPair pair(1024, 17);
    ASSERT_TRUE(pair.ok());
    std::string spki = pair.PublicKeyHex();
    // OpenSSL's encoding of such a key has the same fixed size and header.
    ASSERT_EQ(spki.size(), kPublicKeyHexLength);
    EXPECT_EQ(spki.substr(0, 58), "30819D300D06092A864886F70D010101050003818B0030818702818100");

    std::array<uint8_t, 16> key{}, iv{};
    bool answered = false;
    std::string reply(kCipherBlobSize, '\x7F');
    size_t got = 0;
    WithPeer([&](SocketIPv4& server) { answered = AnswerSecureChannel(server, &key, &iv); },
             [&](SocketIPv4& console) {
                 std::string blob = spki + std::string(1, '\0');
                 console.SendBytes(blob.data(), blob.size());
                 got = console.ReceiveExact(reply.data(), reply.size(), kWaitMs);
             });
    ASSERT_TRUE(answered);
    ASSERT_EQ(got, kCipherBlobSize);
    EXPECT_EQ(reply[256], '\0');
    std::string cipherHex = reply.substr(0, 256);
    EXPECT_EQ(cipherHex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    std::string plain = pair.Decrypt(FromHex(cipherHex));
    EXPECT_EQ(plain, ToHex(std::string(key.begin(), key.end())) +
                         ToHex(std::string(iv.begin(), iv.end())));
}
