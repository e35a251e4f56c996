// Every SOCKS reply check over arbitrary bytes: a Granted reply is complete,
// and feeding a reply byte by byte never decides differently at the end.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "proxy/SocksMessages.h"

using namespace ostiva;

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

template <class Check>
void Exercise(std::span<const uint8_t> bytes, Check check) {
    SocksReplyCheck whole = check(bytes);
    if (whole.verdict == SocksVerdict::Granted) Require(whole.length <= bytes.size());
    // Grow the buffer the way a receive loop would, up to the length asked.
    size_t have = 0;
    SocksReplyCheck step;
    do {
        step = check(bytes.first(have));
        if (step.verdict != SocksVerdict::Incomplete) break;
        Require(step.length > have);
        have = step.length;
    } while (have <= bytes.size());
    if (have <= bytes.size()) {
        Require(step.verdict == whole.verdict);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);
    Exercise(bytes, [](std::span<const uint8_t> b) { return CheckSocks4Reply(b); });
    Exercise(bytes, [](std::span<const uint8_t> b) { return CheckSocks5MethodReply(b, true); });
    Exercise(bytes, [](std::span<const uint8_t> b) { return CheckSocks5MethodReply(b, false); });
    Exercise(bytes, [](std::span<const uint8_t> b) { return CheckSocks5UserPassReply(b); });
    Exercise(bytes, [](std::span<const uint8_t> b) { return CheckSocks5ConnectReply(b); });
    return 0;
}
