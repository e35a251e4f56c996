#include "proxy/Base64.h"

namespace ostiva {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Value of an alphabet character, or -1.
int ValueOf(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// The alphabet run of a text after its leading blanks and tabs.
std::string_view AlphabetRun(std::string_view text) {
    size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
    size_t end = start;
    while (end < text.size() && ValueOf(text[end]) >= 0) ++end;
    return text.substr(start, end - start);
}

constexpr size_t DecodedLength(size_t characters) {
    size_t tail = characters % 4;
    return characters / 4 * 3 + (tail >= 2 ? tail - 1 : 0);
}

// Decodes an alphabet run into exactly DecodedLength(run.size()) bytes.
void DecodeRun(std::string_view run, uint8_t* out) {
    uint32_t bits = 0;
    int count = 0;
    for (char c : run) {
        bits = (bits << 6) | static_cast<uint32_t>(ValueOf(c));
        count += 6;
        if (count >= 8) {
            count -= 8;
            *out++ = static_cast<uint8_t>(bits >> count);
        }
    }
}

}  // namespace

size_t Base64Encode(const uint8_t* data, size_t length, char* out) {
    size_t written = 0;
    size_t i = 0;
    for (; i + 3 <= length; i += 3) {
        uint32_t group = (uint32_t(data[i]) << 16) | (uint32_t(data[i + 1]) << 8) | data[i + 2];
        out[written++] = kAlphabet[(group >> 18) & 0x3F];
        out[written++] = kAlphabet[(group >> 12) & 0x3F];
        out[written++] = kAlphabet[(group >> 6) & 0x3F];
        out[written++] = kAlphabet[group & 0x3F];
    }
    size_t rest = length - i;
    if (rest > 0) {
        uint32_t group = uint32_t(data[i]) << 16;
        if (rest == 2) group |= uint32_t(data[i + 1]) << 8;
        out[written++] = kAlphabet[(group >> 18) & 0x3F];
        out[written++] = kAlphabet[(group >> 12) & 0x3F];
        out[written++] = rest == 2 ? kAlphabet[(group >> 6) & 0x3F] : '=';
        out[written++] = '=';
    }
    return written;
}

std::string Base64Encode(std::span<const uint8_t> data) {
    std::string out(Base64EncodedLength(data.size()), '\0');
    Base64Encode(data.data(), data.size(), out.data());
    return out;
}

std::string Base64Encode(std::string_view text) {
    return Base64Encode(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

size_t Base64Decode(const char* text, uint8_t* out, size_t outCapacity) {
    if (text == nullptr) text = "";
    std::string_view run = AlphabetRun(std::string_view(text));
    size_t length = DecodedLength(run.size());
    if (length >= outCapacity) return kBase64Overflow;
    DecodeRun(run, out);
    out[length] = 0;
    return length;
}

std::vector<uint8_t> Base64Decode(std::string_view text) {
    std::string_view run = AlphabetRun(text);
    std::vector<uint8_t> out(DecodedLength(run.size()));
    DecodeRun(run, out.data());
    return out;
}

}  // namespace ostiva
