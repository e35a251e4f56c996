// Base64 both ways. Arbitrary text through both decoders: they agree, never
// write past the capacity they are given, and decode exactly the run of
// alphabet characters after leading blanks and tabs. Arbitrary bytes
// through the encoder come back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "proxy/Base64.h"

using namespace ostiva;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool InAlphabet(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/';
}

// Bytes a run of `n` alphabet characters decodes to.
size_t DecodedLength(size_t n) {
    return n / 4 * 3 + (n % 4 == 3 ? 2 : n % 4 == 2 ? 1 : 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);

    // The text as the zero-terminated decoder sees it: up to its first zero.
    std::string text(input.substr(0, input.find('\0')));
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) start = text.size();
    size_t end = start;
    while (end < text.size() && InAlphabet(text[end])) ++end;
    size_t expectedLength = DecodedLength(end - start);

    std::vector<uint8_t> whole = Base64Decode(std::string_view(text));
    Check(whole.size() == expectedLength);
    // Whatever follows the run does not change what the run decodes to.
    Check(Base64Decode(std::string_view(text).substr(0, end)) == whole);

    for (size_t capacity :
         {size_t(0), size_t(1), expectedLength, expectedLength + 1, expectedLength + 9}) {
        std::vector<uint8_t> out(capacity + 16, 0xA5);
        size_t n = Base64Decode(text.c_str(), out.data(), capacity);
        for (size_t i = capacity; i < out.size(); ++i) Check(out[i] == 0xA5);
        if (capacity > expectedLength) {
            Check(n == expectedLength && out[n] == 0);
            Check(std::vector<uint8_t>(out.begin(), out.begin() + n) == whole);
        } else {
            Check(n == kBase64Overflow);
            // Nothing is written when the bytes do not fit.
            for (size_t i = 0; i < out.size(); ++i) Check(out[i] == 0xA5);
        }
    }

    // The raw bytes round trip through the encoder.
    std::string encoded = Base64Encode(std::span<const uint8_t>(data, size));
    Check(encoded.size() == Base64EncodedLength(size));
    std::vector<char> buffer(Base64EncodedLength(size) + 1, '\0');
    Check(Base64Encode(data, size, buffer.data()) == encoded.size());
    Check(std::string_view(buffer.data(), encoded.size()) == encoded && buffer.back() == '\0');
    std::vector<uint8_t> back = Base64Decode(std::string_view(encoded));
    Check(back == std::vector<uint8_t>(data, data + size));
    return 0;
}
