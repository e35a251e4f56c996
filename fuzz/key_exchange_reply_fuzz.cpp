// The key exchange's reply and the answering side's reading of a public key.
// Byte 0 chooses what the rest is:
//   0  the server's reply text, read with the console's key: only 256 hex
//      characters can ever give a key and IV
//   1  a plaintext, encrypted for the console's key as a server would and
//      read back (byte 0 bit 2 lower-cases the hex): the key and IV come
//      back exactly when the plaintext starts with 64 hex characters, and
//      then they are those characters decoded
//   2  the console's public key text, as the answering side reads it: a
//      reply made for it is always 256 uppercase hex characters
//   3  as 1, with one reply character changed at a place the input picks:
//      read or refused, never more
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "transport/SecureChannel.h"

using namespace ostiva;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool IsHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool IsUpperHex(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
}

uint8_t Nibble(char c) {
    if (c >= '0' && c <= '9') return uint8_t(c - '0');
    return uint8_t((c | 0x20) - 'a' + 10);
}

const KeyExchangeKey& ConsoleKey() {
    static const KeyExchangeKey key;
    return key;
}

void ReadPlaintext(std::string_view plaintext, bool lowerCase, size_t flipAt, bool flip) {
    const KeyExchangeKey& key = ConsoleKey();
    std::optional<std::string> reply = EncryptKeyExchangeReply(key.PublicKeyHex(), plaintext);
    // One RSA-1024 OAEP-SHA1 block holds 86 bytes.
    Check(reply.has_value() == (plaintext.size() <= 86));
    if (!reply) return;
    Check(reply->size() == kCipherHexLength && IsUpperHex(*reply));
    if (lowerCase) {
        std::transform(reply->begin(), reply->end(), reply->begin(),
                       [](char c) { return char(std::tolower(static_cast<unsigned char>(c))); });
    }
    if (flip) {
        char& c = (*reply)[flipAt % reply->size()];
        c = c == '0' ? '1' : '0';
        key.ReadReply(*reply);
        return;
    }

    std::optional<SessionSecret> secret = key.ReadReply(*reply);
    bool readable =
        plaintext.size() >= kSessionPlaintextLength &&
        std::all_of(plaintext.begin(), plaintext.begin() + kSessionPlaintextLength, IsHex);
    Check(secret.has_value() == readable);
    if (!secret) return;
    for (size_t i = 0; i < 16; ++i) {
        Check(secret->key[i] == (Nibble(plaintext[2 * i]) << 4 | Nibble(plaintext[2 * i + 1])));
        Check(secret->iv[i] ==
              (Nibble(plaintext[32 + 2 * i]) << 4 | Nibble(plaintext[32 + 2 * i + 1])));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    uint8_t mode = data[0];
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const KeyExchangeKey& key = ConsoleKey();
    Check(key.PublicKeyHex().size() == kPublicKeyHexLength && IsUpperHex(key.PublicKeyHex()));

    switch (mode % 4) {
        case 0: {
            std::optional<SessionSecret> secret = key.ReadReply(rest);
            if (secret)
                Check(rest.size() == kCipherHexLength &&
                      std::all_of(rest.begin(), rest.end(), IsHex));
            break;
        }
        case 1:
            ReadPlaintext(rest, (mode & 4) != 0, 0, false);
            break;
        case 2: {
            std::optional<std::string> reply =
                EncryptKeyExchangeReply(rest, std::string(kSessionPlaintextLength, 'A'));
            if (reply) {
                Check(reply->size() == kCipherHexLength && IsUpperHex(*reply));
                Check(!rest.empty() && rest.size() % 2 == 0 &&
                      std::all_of(rest.begin(), rest.end(), IsHex));
            }
            break;
        }
        default: {
            size_t flipAt = rest.empty() ? 0 : uint8_t(rest[0]);
            ReadPlaintext(rest.substr(rest.empty() ? 0 : 1), (mode & 4) != 0, flipAt * 2, true);
            break;
        }
    }
    return 0;
}
