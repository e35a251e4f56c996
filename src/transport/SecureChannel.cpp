// Both sides of the key exchange. Crypto++ is used here and nowhere else in
// the core.

#include "transport/SecureChannel.h"

// Crypto++'s headers use std::atomic_thread_fence, which GCC flags in
// ThreadSanitizer builds; the library itself is not instrumented anyway.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wtsan"
#endif

#include <cryptopp/algparam.h>
#include <cryptopp/filters.h>
#include <cryptopp/hex.h>
#include <cryptopp/integer.h>
#include <cryptopp/osrng.h>
#include <cryptopp/rsa.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "transport/Deadline.h"
#include "transport/SocketIPv4.h"

namespace ostiva {

namespace {

constexpr unsigned kModulusBits = 1024;
constexpr long kPublicExponent = 17;
constexpr size_t kCipherBytes = kCipherHexLength / 2;  // 128

bool IsHexText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    });
}

std::string HexEncode(const uint8_t* data, size_t size) {
    std::string hex;
    CryptoPP::StringSource source(data, size, true,
                                  new CryptoPP::HexEncoder(new CryptoPP::StringSink(hex), true));
    return hex;
}

// Callers check IsHexText and the even length first, so every character is
// decoded.
std::string HexDecode(std::string_view hex) {
    std::string bytes;
    CryptoPP::StringSource source(reinterpret_cast<const CryptoPP::byte*>(hex.data()), hex.size(),
                                  true, new CryptoPP::HexDecoder(new CryptoPP::StringSink(bytes)));
    return bytes;
}

// Collects one zero-terminated message of at most `size` bytes: stops when
// the buffer is full or a zero byte has arrived, so a message sent in
// several pieces is assembled but nothing that follows it is taken off the
// connection. Returns the text before the zero byte (or all of it when the
// peer stopped early without one), or nothing when no byte arrived.
// `cutShort` (optional) tells whether bytes arrived but the message ended
// neither with its zero byte nor at its full size.
std::optional<std::string> ReceiveMessage(SocketIPv4& socket, size_t size, int timeoutMs,
                                          bool* cutShort = nullptr) {
    std::vector<uint8_t> buffer(size, 0);
    size_t got = 0;
    Deadline deadline(timeoutMs);
    while (got < size) {
        if (std::find(buffer.begin(), buffer.begin() + got, 0) != buffer.begin() + got) break;
        int left = deadline.RemainingMs();
        if (left == 0 || !socket.WaitReadable(left)) break;
        ssize_t n = socket.ReceiveBytes(buffer.data() + got, size - got);
        if (n <= 0) break;
        got += size_t(n);
    }
    if (got == 0) return std::nullopt;
    auto end = std::find(buffer.begin(), buffer.begin() + got, 0);
    if (cutShort) *cutShort = end == buffer.begin() + got && got < size;
    return std::string(buffer.begin(), end);
}

// The public key as the 320 hex characters of its X.509 DER form.
std::string EncodePublicKeyHex(const CryptoPP::RSA::PrivateKey& key) {
    CryptoPP::RSA::PublicKey publicKey(key);
    std::string der;
    CryptoPP::StringSink sink(der);
    publicKey.DEREncode(sink);
    return HexEncode(reinterpret_cast<const uint8_t*>(der.data()), der.size());
}

}  // namespace

struct KeyExchangeKey::Impl {
    CryptoPP::RSA::PrivateKey privateKey;
    std::string publicHex;
};

KeyExchangeKey::KeyExchangeKey() : impl_(std::make_unique<Impl>()) {
    CryptoPP::AutoSeededRandomPool random;
    // A 1024-bit modulus with exponent 17 always encodes to 160 bytes; the
    // check guards the fixed wire size should the library ever produce a
    // shorter modulus.
    for (int attempt = 0; attempt < 3 && impl_->publicHex.size() != kPublicKeyHexLength;
         ++attempt) {
        impl_->privateKey.GenerateRandom(random,
                                         CryptoPP::MakeParameters("ModulusSize", int(kModulusBits))(
                                             "PublicExponent", CryptoPP::Integer(kPublicExponent)));
        impl_->publicHex = EncodePublicKeyHex(impl_->privateKey);
    }
    if (impl_->publicHex.size() != kPublicKeyHexLength) impl_->publicHex.clear();
}

KeyExchangeKey::~KeyExchangeKey() = default;

const std::string& KeyExchangeKey::PublicKeyHex() const {
    return impl_->publicHex;
}

std::optional<SessionSecret> KeyExchangeKey::ReadReply(std::string_view replyText) const {
    if (replyText.size() != kCipherHexLength || !IsHexText(replyText)) return std::nullopt;
    try {
        std::string cipher = HexDecode(replyText);
        if (cipher.size() != kCipherBytes) return std::nullopt;

        CryptoPP::AutoSeededRandomPool random;
        CryptoPP::RSAES_OAEP_SHA_Decryptor decryptor(impl_->privateKey);
        if (decryptor.FixedCiphertextLength() != kCipherBytes) return std::nullopt;
        std::vector<CryptoPP::byte> plain(decryptor.MaxPlaintextLength(kCipherBytes), 0);
        CryptoPP::DecodingResult result =
            decryptor.Decrypt(random, reinterpret_cast<const CryptoPP::byte*>(cipher.data()),
                              kCipherBytes, plain.data());
        if (!result.isValidCoding || result.messageLength < kSessionPlaintextLength) {
            return std::nullopt;
        }

        std::string_view text(reinterpret_cast<const char*>(plain.data()), kSessionPlaintextLength);
        if (!IsHexText(text)) return std::nullopt;
        std::string key = HexDecode(text.substr(0, 32));
        std::string iv = HexDecode(text.substr(32, 32));
        SessionSecret secret;
        if (key.size() != secret.key.size() || iv.size() != secret.iv.size()) return std::nullopt;
        std::copy(key.begin(), key.end(), secret.key.begin());
        std::copy(iv.begin(), iv.end(), secret.iv.begin());
        return secret;
    } catch (...) {
        // A ciphertext the library refuses is a reply that cannot be read.
        return std::nullopt;
    }
}

std::optional<std::string> EncryptKeyExchangeReply(std::string_view publicKeyHex,
                                                   std::string_view plaintext) {
    if (publicKeyHex.empty() || publicKeyHex.size() % 2 != 0 || !IsHexText(publicKeyHex)) {
        return std::nullopt;
    }
    try {
        std::string der = HexDecode(publicKeyHex);

        CryptoPP::AutoSeededRandomPool random;
        CryptoPP::RSA::PublicKey publicKey;
        CryptoPP::StringSource source(der, true);
        publicKey.Load(source);
        if (!publicKey.Validate(random, 1)) return std::nullopt;

        CryptoPP::RSAES_OAEP_SHA_Encryptor encryptor(publicKey);
        // Only a 1024-bit key gives the 128-byte ciphertext the reply has
        // room for.
        if (encryptor.FixedCiphertextLength() != kCipherBytes) return std::nullopt;
        if (plaintext.size() > encryptor.FixedMaxPlaintextLength()) return std::nullopt;

        std::vector<CryptoPP::byte> cipher(kCipherBytes, 0);
        encryptor.Encrypt(random, reinterpret_cast<const CryptoPP::byte*>(plaintext.data()),
                          plaintext.size(), cipher.data());
        return HexEncode(cipher.data(), cipher.size());
    } catch (...) {
        // An unreadable key.
        return std::nullopt;
    }
}

bool SocketIPv4::StartSecureChannel(int timeoutMs) {
    secureRole = kSecureRoleInitiating;
    sessionKey.fill(0);
    sessionIv.fill(0);
    try {
        KeyExchangeKey keyPair;
        const std::string& publicHex = keyPair.PublicKeyHex();
        if (publicHex.size() != kPublicKeyHexLength) return false;

        std::array<char, kPublicKeyBlobSize> blob{};
        std::copy(publicHex.begin(), publicHex.end(), blob.begin());
        if (SendBytes(blob.data(), blob.size()) != ssize_t(blob.size())) return false;

        bool cutShort = false;
        std::optional<std::string> reply =
            ReceiveMessage(*this, kCipherBlobSize, timeoutMs, &cutShort);
        if (cutShort) {
            // The rest of the reply may still come and would be read as
            // the answers that follow: the connection is out of step and
            // is shut, so whatever is sent next fails instead.
            Shutdown();
            return false;
        }
        if (!reply) return false;
        std::optional<SessionSecret> secret = keyPair.ReadReply(*reply);
        if (!secret) return false;
        sessionKey = secret->key;
        sessionIv = secret->iv;
        return true;
    } catch (...) {
        // A library or transfer error is a failed exchange, not a crash of
        // the login that runs it.
        sessionKey.fill(0);
        sessionIv.fill(0);
        return false;
    }
}

bool AnswerSecureChannel(SocketIPv4& socket, std::array<uint8_t, 16>* key,
                         std::array<uint8_t, 16>* iv) {
    socket.secureRole = SocketIPv4::kSecureRoleAnswering;
    try {
        std::optional<std::string> text =
            ReceiveMessage(socket, kPublicKeyBlobSize, kSecureChannelTimeoutMs);
        if (!text) return false;

        CryptoPP::AutoSeededRandomPool random;
        std::array<uint8_t, 32> secret{};
        random.GenerateBlock(secret.data(), secret.size());
        std::string plain = HexEncode(secret.data(), secret.size());  // key hex, then IV hex

        std::optional<std::string> cipherHex = EncryptKeyExchangeReply(*text, plain);
        if (!cipherHex || cipherHex->size() != kCipherHexLength) return false;
        std::array<char, kCipherBlobSize> blob{};
        std::copy(cipherHex->begin(), cipherHex->end(), blob.begin());

        if (socket.SendBytes(blob.data(), blob.size()) != ssize_t(blob.size())) return false;
        if (key) std::copy(secret.begin(), secret.begin() + 16, key->begin());
        if (iv) std::copy(secret.begin() + 16, secret.end(), iv->begin());
        return true;
    } catch (...) {
        // An unreadable key: nothing is sent, the console times out or goes
        // on with its hello.
        return false;
    }
}

}  // namespace ostiva
