#include "OpenSslOracle.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <cstdio>

namespace ostiva::test {

namespace {

EVP_PKEY* ParsePublicKey(const std::string& spkiHex) {
    std::string der = FromHex(spkiHex);
    if (der.empty()) return nullptr;
    const auto* p = reinterpret_cast<const unsigned char*>(der.data());
    EVP_PKEY* key = d2i_PUBKEY(nullptr, &p, long(der.size()));
    // Trailing bytes would mean the console sent more than one structure.
    if (key && p != reinterpret_cast<const unsigned char*>(der.data()) + der.size()) {
        EVP_PKEY_free(key);
        return nullptr;
    }
    return key;
}

bool SetOaepSha1(EVP_PKEY_CTX* ctx) {
    return EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_PKCS1_OAEP_PADDING) > 0 &&
           EVP_PKEY_CTX_set_rsa_oaep_md(ctx, EVP_sha1()) > 0 &&
           EVP_PKEY_CTX_set_rsa_mgf1_md(ctx, EVP_sha1()) > 0;
}

}  // namespace

std::string ToHex(const std::string& bytes) {
    std::string hex;
    char pair[3];
    for (unsigned char c : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", c);
        hex += pair;
    }
    return hex;
}

std::string FromHex(const std::string& hex) {
    auto value = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    if (hex.size() % 2) return {};
    std::string bytes;
    for (size_t i = 0; i < hex.size(); i += 2) {
        int hi = value(hex[i]), lo = value(hex[i + 1]);
        if (hi < 0 || lo < 0) return {};
        bytes += char(hi * 16 + lo);
    }
    return bytes;
}

OracleKeyInfo InspectPublicKey(const std::string& spkiHex) {
    OracleKeyInfo info;
    EVP_PKEY* key = ParsePublicKey(spkiHex);
    if (!key) return info;
    BIGNUM* e = nullptr;
    if (EVP_PKEY_get_base_id(key) == EVP_PKEY_RSA &&
        EVP_PKEY_get_bn_param(key, OSSL_PKEY_PARAM_RSA_E, &e) > 0) {
        info.parsed = true;
        info.modulusBits = EVP_PKEY_get_bits(key);
        info.exponent = BN_get_word(e);
    }
    BN_free(e);
    EVP_PKEY_free(key);
    return info;
}

std::string EncryptForKey(const std::string& spkiHex, const std::string& plain) {
    EVP_PKEY* key = ParsePublicKey(spkiHex);
    if (!key) return {};
    std::string result;
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new(key, nullptr);
    size_t length = 0;
    if (ctx && EVP_PKEY_encrypt_init(ctx) > 0 && SetOaepSha1(ctx) &&
        EVP_PKEY_encrypt(ctx, nullptr, &length,
                         reinterpret_cast<const unsigned char*>(plain.data()), plain.size()) > 0) {
        std::string cipher(length, '\0');
        if (EVP_PKEY_encrypt(ctx, reinterpret_cast<unsigned char*>(cipher.data()), &length,
                             reinterpret_cast<const unsigned char*>(plain.data()),
                             plain.size()) > 0) {
            cipher.resize(length);
            result = ToHex(cipher);
        }
    }
    EVP_PKEY_CTX_free(ctx);
    EVP_PKEY_free(key);
    return result;
}

OracleKeyPair::OracleKeyPair(int bits, unsigned long exponent) {
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr);
    BIGNUM* e = BN_new();
    EVP_PKEY* key = nullptr;
    if (ctx && e && BN_set_word(e, exponent) && EVP_PKEY_keygen_init(ctx) > 0 &&
        EVP_PKEY_CTX_set_rsa_keygen_bits(ctx, bits) > 0 &&
        EVP_PKEY_CTX_set1_rsa_keygen_pubexp(ctx, e) > 0 && EVP_PKEY_keygen(ctx, &key) > 0) {
        key_ = key;
    }
    BN_free(e);
    EVP_PKEY_CTX_free(ctx);
}

OracleKeyPair::~OracleKeyPair() {
    EVP_PKEY_free(static_cast<EVP_PKEY*>(key_));
}

std::string OracleKeyPair::PublicKeyHex() const {
    unsigned char* der = nullptr;
    int length = i2d_PUBKEY(static_cast<EVP_PKEY*>(key_), &der);
    if (length <= 0) return {};
    std::string bytes(reinterpret_cast<char*>(der), size_t(length));
    OPENSSL_free(der);
    return ToHex(bytes);
}

std::string OracleKeyPair::Decrypt(const std::string& cipher) const {
    std::string result;
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new(static_cast<EVP_PKEY*>(key_), nullptr);
    size_t length = 0;
    const auto* in = reinterpret_cast<const unsigned char*>(cipher.data());
    if (ctx && EVP_PKEY_decrypt_init(ctx) > 0 && SetOaepSha1(ctx) &&
        EVP_PKEY_decrypt(ctx, nullptr, &length, in, cipher.size()) > 0) {
        std::string plain(length, '\0');
        if (EVP_PKEY_decrypt(ctx, reinterpret_cast<unsigned char*>(plain.data()), &length, in,
                             cipher.size()) > 0) {
            plain.resize(length);
            result = plain;
        }
    }
    EVP_PKEY_CTX_free(ctx);
    return result;
}

}  // namespace ostiva::test
