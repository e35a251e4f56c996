#include "PasswordHash.h"

#include <cryptopp/misc.h>
#include <cryptopp/osrng.h>
#include <cryptopp/pwdbased.h>
#include <cryptopp/sha.h>

#include <charconv>
#include <optional>
#include <vector>

#include "util/HexText.h"

namespace ostiva::server {

namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";
constexpr size_t kSaltBytes = 16;
constexpr size_t kHashBytes = 32;
// Bounds on what a stored text may ask for, so a damaged or hostile
// database cannot make a login spin for minutes.
constexpr unsigned kMaxIterations = 10'000'000;
constexpr size_t kMaxSaltBytes = 64;

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
    return std::string(kScheme) + "$" + std::to_string(iterations) + "$" + HexEncode(salt) + "$" +
           HexEncode(Derive(password, salt, iterations));
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
    auto salt = HexDecode(*saltHex);
    auto expected = HexDecode(rest);
    if (!salt || salt->empty() || salt->size() > kMaxSaltBytes || !expected ||
        expected->size() != kHashBytes) {
        return false;
    }
    std::vector<uint8_t> actual = Derive(password, *salt, iterations);
    return CryptoPP::VerifyBufsEqual(actual.data(), expected->data(), kHashBytes);
}

}  // namespace ostiva::server
