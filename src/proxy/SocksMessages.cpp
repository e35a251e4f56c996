#include "proxy/SocksMessages.h"

namespace ostiva {
namespace {

constexpr uint8_t kCommandConnect = 1;
constexpr uint8_t kSocks4Granted = 90;
constexpr uint8_t kAddressIPv4 = 1;
constexpr uint8_t kAddressName = 3;
constexpr uint8_t kAddressIPv6 = 4;

// The name as it goes on the wire, when the target has no address.
CodecError CheckName(const SocksTarget& target) {
    if (target.address) return CodecError::None;
    if (target.name.empty()) return CodecError::SocksNameEmpty;
    if (target.name.size() > kSocksMaxNameBytes) return CodecError::SocksNameTooLong;
    if (target.name.find('\0') != std::string::npos) return CodecError::SocksNameHasNul;
    return CodecError::None;
}

void PutPort(std::vector<uint8_t>& out, uint16_t port) {
    out.push_back(static_cast<uint8_t>(port >> 8));
    out.push_back(static_cast<uint8_t>(port));
}

SocksReplyCheck Verdict(SocksVerdict verdict, size_t length, uint8_t code = 0) {
    return SocksReplyCheck{verdict, length, code};
}

}  // namespace

CodecResult<std::vector<uint8_t>> MakeSocks4Request(const SocksTarget& target) {
    using Result = CodecResult<std::vector<uint8_t>>;
    if (CodecError error = CheckName(target); error != CodecError::None) return Result::Fail(error);
    std::vector<uint8_t> out = {4, kCommandConnect};
    PutPort(out, target.port);
    if (target.address) {
        out.insert(out.end(), target.address->begin(), target.address->end());
        out.push_back(0);
    } else {
        // SOCKS4a: an address of 0.0.0.x tells the proxy to resolve the name.
        out.insert(out.end(), {0, 0, 0, 1, 0});
        out.insert(out.end(), target.name.begin(), target.name.end());
        out.push_back(0);
    }
    return Result::Ok(std::move(out));
}

SocksReplyCheck CheckSocks4Reply(std::span<const uint8_t> received) {
    constexpr size_t kLength = 8;
    if (received.size() >= 1 && received[0] != 0) return Verdict(SocksVerdict::Malformed, kLength);
    if (received.size() >= 2 && received[1] != kSocks4Granted) {
        return Verdict(SocksVerdict::Refused, kLength, received[1]);
    }
    if (received.size() < kLength) return Verdict(SocksVerdict::Incomplete, kLength);
    return Verdict(SocksVerdict::Granted, kLength, received[1]);
}

std::vector<uint8_t> MakeSocks5Greeting(bool offerUserPassword) {
    if (offerUserPassword) return {5, 2, kSocks5MethodUserPassword, kSocks5MethodNone};
    return {5, 1, kSocks5MethodNone};
}

SocksReplyCheck CheckSocks5MethodReply(std::span<const uint8_t> received,
                                       bool offeredUserPassword) {
    constexpr size_t kLength = 2;
    if (received.size() >= 1 && received[0] != 5) return Verdict(SocksVerdict::Malformed, kLength);
    if (received.size() < kLength) return Verdict(SocksVerdict::Incomplete, kLength);
    uint8_t method = received[1];
    if (method == kSocks5MethodNone ||
        (method == kSocks5MethodUserPassword && offeredUserPassword)) {
        return Verdict(SocksVerdict::Granted, kLength, method);
    }
    if (method == kSocks5NoAcceptableMethod) return Verdict(SocksVerdict::Refused, kLength, method);
    return Verdict(SocksVerdict::Malformed, kLength, method);
}

CodecResult<std::vector<uint8_t>> MakeSocks5UserPassRequest(std::string_view userId,
                                                            std::string_view password) {
    using Result = CodecResult<std::vector<uint8_t>>;
    if (userId.size() > kSocksMaxCredential) return Result::Fail(CodecError::SocksUserTooLong);
    if (password.size() > kSocksMaxCredential) {
        return Result::Fail(CodecError::SocksPasswordTooLong);
    }
    std::vector<uint8_t> out = {1, static_cast<uint8_t>(userId.size())};
    out.insert(out.end(), userId.begin(), userId.end());
    out.push_back(static_cast<uint8_t>(password.size()));
    out.insert(out.end(), password.begin(), password.end());
    return Result::Ok(std::move(out));
}

SocksReplyCheck CheckSocks5UserPassReply(std::span<const uint8_t> received) {
    constexpr size_t kLength = 2;
    if (received.size() < kLength) return Verdict(SocksVerdict::Incomplete, kLength);
    if (received[1] != 0) return Verdict(SocksVerdict::Refused, kLength, received[1]);
    return Verdict(SocksVerdict::Granted, kLength, 0);
}

CodecResult<std::vector<uint8_t>> MakeSocks5ConnectRequest(const SocksTarget& target) {
    using Result = CodecResult<std::vector<uint8_t>>;
    if (CodecError error = CheckName(target); error != CodecError::None) return Result::Fail(error);
    std::vector<uint8_t> out = {5, kCommandConnect, 0};
    if (target.address) {
        out.push_back(kAddressIPv4);
        out.insert(out.end(), target.address->begin(), target.address->end());
    } else {
        out.push_back(kAddressName);
        out.push_back(static_cast<uint8_t>(target.name.size()));
        out.insert(out.end(), target.name.begin(), target.name.end());
    }
    PutPort(out, target.port);
    return Result::Ok(std::move(out));
}

SocksReplyCheck CheckSocks5ConnectReply(std::span<const uint8_t> received) {
    // Enough to see the address type, and for a name its length byte.
    constexpr size_t kTypeKnown = 4;
    constexpr size_t kNameLengthKnown = 5;
    if (received.size() >= 1 && received[0] != 5) {
        return Verdict(SocksVerdict::Malformed, kTypeKnown);
    }
    if (received.size() >= 2 && received[1] != 0) {
        return Verdict(SocksVerdict::Refused, kTypeKnown, received[1]);
    }
    if (received.size() < kTypeKnown) return Verdict(SocksVerdict::Incomplete, kTypeKnown);

    size_t length;
    switch (received[3]) {
        case kAddressIPv4:
            length = 4 + 4 + 2;
            break;
        case kAddressIPv6:
            length = 4 + 16 + 2;
            break;
        case kAddressName:
            if (received.size() < kNameLengthKnown) {
                return Verdict(SocksVerdict::Incomplete, kNameLengthKnown);
            }
            length = 4 + 1 + received[4] + 2;
            break;
        default:
            return Verdict(SocksVerdict::Malformed, kTypeKnown);
    }
    if (received.size() < length) return Verdict(SocksVerdict::Incomplete, length);
    return Verdict(SocksVerdict::Granted, length, 0);
}

}  // namespace ostiva
