#include "PasswordHash.h"

#include <cryptopp/misc.h>
#include <cryptopp/osrng.h>
#include <cryptopp/pwdbased.h>
#include <cryptopp/sha.h>

#include <charconv>
#include <optional>
#include <vector>

namespace ostiva::server {

namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";
constexpr size_t kSaltBytes = 16;
constexpr size_t kHashBytes = 32;
// Bounds on what a stored text may ask for, so a damaged or hostile
// database cannot make a login spin for minutes.
constexpr unsigned kMaxIterations = 10'000'000;
constexpr size_t kMaxSaltBytes = 64;

std::string ToHex(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::vector<uint8_t>> FromHex(std::string_view text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        int hi = HexValue(text[i]);
        int lo = HexValue(text[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes.push_back(uint8_t(hi << 4 | lo));
    }
    return bytes;
}

std::vector<uint8_t> Derive(std::string_view password, const std::vector<uint8_t>& salt,
                            unsigned iterations) {
    std::vector<uint8_t> out(kHashBytes);
    CryptoPP::PKCS5_PBKDF2_HMAC<CryptoPP::SHA256> kdf;
    kdf.DeriveKey(out.data(), out.size(), 0,
                  reinterpret_cast<const CryptoPP::byte*>(password.data()), password.size(),
                  salt.data(), salt.size(), iterations, 0);
    return out;
}

// Splits off the text before the next '$'.
std::optional<std::string_view> Field(std::string_view* rest) {
    size_t end = rest->find('$');
    if (end == std::string_view::npos) return std::nullopt;
    std::string_view field = rest->substr(0, end);
    rest->remove_prefix(end + 1);
    return field;
}

}  // namespace

std::string HashPassword(std::string_view password, unsigned iterations) {
    std::vector<uint8_t> salt(kSaltBytes);
    CryptoPP::AutoSeededRandomPool random;
    random.GenerateBlock(salt.data(), salt.size());
    return std::string(kScheme) + "$" + std::to_string(iterations) + "$" + ToHex(salt) + "$" +
           ToHex(Derive(password, salt, iterations));
}

bool VerifyPassword(std::string_view password, std::string_view stored) {
    std::string_view rest = stored;
    auto scheme = Field(&rest);
    auto count = Field(&rest);
    auto saltHex = Field(&rest);
    if (!scheme || *scheme != kScheme || !count || !saltHex) return false;
    unsigned iterations = 0;
    auto [end, error] = std::from_chars(count->data(), count->data() + count->size(), iterations);
    if (error != std::errc() || end != count->data() + count->size() || iterations == 0 ||
        iterations > kMaxIterations) {
        return false;
    }
    auto salt = FromHex(*saltHex);
    auto expected = FromHex(rest);
    if (!salt || salt->empty() || salt->size() > kMaxSaltBytes || !expected ||
        expected->size() != kHashBytes) {
        return false;
    }
    std::vector<uint8_t> actual = Derive(password, *salt, iterations);
    return CryptoPP::VerifyBufsEqual(actual.data(), expected->data(), kHashBytes);
}

}  // namespace ostiva::server
