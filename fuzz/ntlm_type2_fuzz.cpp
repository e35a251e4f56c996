// An NTLM Type 2 token from the proxy, then the Type 3 that answers it;
// also the zero-terminated Base64 decoder against small capacities.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "proxy/Base64.h"
#include "proxy/NtlmMessages.h"

using namespace ostiva;

namespace {
void Require(bool condition) {
    if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);

    // The decoder writes at most its capacity: guard bytes stay untouched.
    for (size_t capacity : {0u, 1u, 7u, 64u, 512u}) {
        std::vector<uint8_t> out(capacity + 8, 0xA5);
        size_t n = Base64Decode(text.c_str(), out.data(), capacity);
        for (size_t i = capacity; i < out.size(); ++i) Require(out[i] == 0xA5);
        if (n != kBase64Overflow) Require(n < capacity && out[n] == 0);
    }

    auto challenge = ReadNtlmType2(text);
    if (!challenge.ok()) return 0;
    Require(text.size() <= kNtlmMaxTokenChars);
    // Identity from the input too, so odd names reach the Type 3 builder.
    std::string_view id(text.data(), std::min<size_t>(text.size(), 40));
    auto identity = MakeNtlmIdentity(id, text.substr(0, 20), "fuzz-host");
    if (!identity.ok()) return 0;
    auto type3 = MakeNtlmType3(identity.value, challenge.value);
    Require(type3.ok() && type3.value.size() >= 112 && type3.value.size() <= 112 + 3 * 64);
    return 0;
}
