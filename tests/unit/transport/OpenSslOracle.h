#pragma once
// RSA-OAEP-SHA1 through OpenSSL, an implementation independent of the one
// the console uses, to check both sides of the key exchange against.

#include <memory>
#include <string>

namespace ostiva::test {

std::string ToHex(const std::string& bytes);  // uppercase
std::string FromHex(const std::string& hex);  // empty on bad input

struct OracleKeyInfo {
    bool parsed = false;
    int modulusBits = 0;
    unsigned long exponent = 0;
};

// Parses hex X.509 SubjectPublicKeyInfo DER.
OracleKeyInfo InspectPublicKey(const std::string& spkiHex);

// Encrypts `plain` for the hex SubjectPublicKeyInfo with OAEP (SHA-1, MGF1
// SHA-1, empty label); the ciphertext as uppercase hex, empty on failure.
std::string EncryptForKey(const std::string& spkiHex, const std::string& plain);

// An RSA key pair made by OpenSSL.
class OracleKeyPair {
  public:
    OracleKeyPair(int bits, unsigned long exponent);
    ~OracleKeyPair();
    OracleKeyPair(const OracleKeyPair&) = delete;
    OracleKeyPair& operator=(const OracleKeyPair&) = delete;

    bool ok() const { return key_ != nullptr; }
    std::string PublicKeyHex() const;  // X.509 SubjectPublicKeyInfo DER, hex
    // OAEP-SHA1 decryption of a binary ciphertext; empty on failure.
    std::string Decrypt(const std::string& cipher) const;

  private:
    void* key_ = nullptr;  // EVP_PKEY
};

}  // namespace ostiva::test
