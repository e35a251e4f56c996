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

namespace ostiva {

class SocketIPv4;

inline constexpr size_t kPublicKeyBlobSize = 321;  // 320 hex + zero
inline constexpr size_t kPublicKeyHexLength = 320;
inline constexpr size_t kCipherBlobSize = 257;  // 256 hex + zero
inline constexpr size_t kCipherHexLength = 256;
inline constexpr size_t kSessionPlaintextLength = 64;
// How long either side waits for the other's whole message.
inline constexpr int kSecureChannelTimeoutMs = 30000;

// The answering (server's) side on a connected socket: reads the 321-byte
// public key, draws a random key and IV, sends them encrypted for that key
// and stores them in `key` and `iv` (either may be null). Sets secureRole
// to kSecureRoleAnswering. False, with nothing sent, when the key does not
// arrive in time or cannot be read; false when the send fails. Never throws.
bool AnswerSecureChannel(SocketIPv4& socket, std::array<uint8_t, 16>* key,
                         std::array<uint8_t, 16>* iv);

}  // namespace ostiva
