// The two halves of the key exchange without a connection: the reply a
// server makes for a public key, and the console's reading of it, each
// checked against OpenSSL.

#include <gtest/gtest.h>

#include <string>

#include "OpenSslOracle.h"
#include "transport/SecureChannel.h"

using namespace ostiva;
using namespace ostiva::test;

namespace {

const std::string kSecretHex =
    "00112233445566778899AABBCCDDEEFF"
    "0f1e2d3c4b5a69788796a5b4c3d2e1f0";

TEST(KeyExchangeReply, ReadsTheSecretOnlyWithTheKeyItWasMadeFor) {
    KeyExchangeKey console;
    KeyExchangeKey other;
    ASSERT_EQ(console.PublicKeyHex().size(), kPublicKeyHexLength);

    // Made by an independent implementation, with trailing bytes the
    // console ignores.
    std::string reply = EncryptForKey(console.PublicKeyHex(), kSecretHex + "tail");
    ASSERT_EQ(reply.size(), kCipherHexLength);
    auto secret = console.ReadReply(reply);
    ASSERT_TRUE(secret.has_value());
    EXPECT_EQ(secret->key[0], 0x00);
    EXPECT_EQ(secret->key[15], 0xFF);
    EXPECT_EQ(secret->iv[0], 0x0F);
    EXPECT_EQ(secret->iv[15], 0xF0);
    EXPECT_FALSE(other.ReadReply(reply).has_value());

    // Too short a plaintext, or one that is not hex, carries no secret.
    EXPECT_FALSE(console.ReadReply(EncryptForKey(console.PublicKeyHex(), kSecretHex.substr(0, 63)))
                     .has_value());
    std::string notHex = kSecretHex;
    notHex[40] = 'g';
    EXPECT_FALSE(console.ReadReply(EncryptForKey(console.PublicKeyHex(), notHex)).has_value());
    // One character short, or one that is not hex, is not a reply at all.
    EXPECT_FALSE(console.ReadReply(reply.substr(1)).has_value());
    std::string spoiled = reply;
    spoiled[100] = 'x';
    EXPECT_FALSE(console.ReadReply(spoiled).has_value());
}

TEST(KeyExchangeReply, MadeOnlyForAReadable1024BitKey) {
    OracleKeyPair server1024(1024, 65537);
    ASSERT_TRUE(server1024.ok());
    auto reply = EncryptKeyExchangeReply(server1024.PublicKeyHex(), kSecretHex);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(server1024.Decrypt(FromHex(*reply)), kSecretHex);

    // One OAEP-SHA1 block of a 1024-bit key holds 86 bytes.
    EXPECT_TRUE(EncryptKeyExchangeReply(server1024.PublicKeyHex(), std::string(86, 'A')));
    EXPECT_FALSE(EncryptKeyExchangeReply(server1024.PublicKeyHex(), std::string(87, 'A')));

    OracleKeyPair larger(2048, 17);
    ASSERT_TRUE(larger.ok());
    EXPECT_FALSE(EncryptKeyExchangeReply(larger.PublicKeyHex(), kSecretHex));
    std::string key = server1024.PublicKeyHex();
    EXPECT_FALSE(EncryptKeyExchangeReply(key.substr(0, key.size() - 2), kSecretHex));
    EXPECT_FALSE(EncryptKeyExchangeReply(key.substr(1), kSecretHex));
    EXPECT_FALSE(EncryptKeyExchangeReply("", kSecretHex));
}

}  // namespace
