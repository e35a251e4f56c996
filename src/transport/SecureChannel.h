#pragma once
// The key exchange that opens every connection to the session server.
//
//   console -> server  321 bytes  320 uppercase hex characters of the
//                                 console's RSA-1024 (e = 17) public key as
//                                 X.509 SubjectPublicKeyInfo DER (160 bytes),
//                                 then one zero byte
//   server -> console  257 bytes  256 uppercase hex characters of the
//                                 RSAES-OAEP-SHA1 ciphertext (128 bytes),
//                                 then one zero byte
//
// The plaintext is 64 hex characters: the 16-byte key, then the 16-byte IV.
// The initiating side is SocketIPv4::StartSecureChannel().

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ostiva {

class SocketIPv4;

inline constexpr size_t kPublicKeyBlobSize = 321;  // 320 hex + zero
inline constexpr size_t kPublicKeyHexLength = 320;
inline constexpr size_t kCipherBlobSize = 257;  // 256 hex + zero
inline constexpr size_t kCipherHexLength = 256;
inline constexpr size_t kSessionPlaintextLength = 64;
// How long either side waits for the other's whole message.
inline constexpr int kSecureChannelTimeoutMs = 30000;

// The key and IV a server's reply carries.
struct SessionSecret {
    std::array<uint8_t, 16> key{};
    std::array<uint8_t, 16> iv{};
};

// The initiating side's RSA key for one exchange, and the reading of the
// server's reply with it; no I/O, so the reply's handling can be checked on
// its own. Not shared between threads.
class KeyExchangeKey {
  public:
    // A fresh RSA-1024 (e = 17) key. Throws when the library fails.
    KeyExchangeKey();
    KeyExchangeKey(const KeyExchangeKey&) = delete;
    KeyExchangeKey& operator=(const KeyExchangeKey&) = delete;
    ~KeyExchangeKey();

    // The 320 uppercase hex characters that are sent; empty when the key
    // did not encode to that length.
    const std::string& PublicKeyHex() const;

    // The server's reply text (up to its zero byte): exactly 256 hex
    // characters of a ciphertext for this key whose plaintext starts with 64
    // hex characters, the key and then the IV. Nothing for any other text.
    // Never throws.
    std::optional<SessionSecret> ReadReply(std::string_view replyText) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The answering side's reply without the I/O: `plaintext` encrypted for the
// public key the console sent (its hex text up to the zero byte), as the 256
// uppercase hex characters of the reply. Nothing when the key cannot be
// read, is not valid or is not a 1024-bit key, or the plaintext does not fit
// one block. Never throws.
std::optional<std::string> EncryptKeyExchangeReply(std::string_view publicKeyHex,
                                                   std::string_view plaintext);

// The answering (server's) side on a connected socket: reads the 321-byte
// public key, draws a random key and IV, sends them encrypted for that key
// and stores them in `key` and `iv` (either may be null). Sets secureRole
// to kSecureRoleAnswering. False, with nothing sent, when the key does not
// arrive in time or cannot be read; false when the send fails. Never throws.
bool AnswerSecureChannel(SocketIPv4& socket, std::array<uint8_t, 16>* key,
                         std::array<uint8_t, 16>* iv);

}  // namespace ostiva
