#include "proxy/NtlmMessages.h"

#include <unistd.h>

#include <climits>
#include <cstring>

#include "proxy/Base64.h"
#include "proxy/Des.h"
#include "proxy/Md4.h"
#include "util/Utf.h"

namespace ostiva {
namespace {

constexpr uint8_t kSignature[8] = {'N', 'T', 'L', 'M', 'S', 'S', 'P', 0};
constexpr uint32_t kType1Flags = 0xB203;  // UNICODE OEM NTLM OEM_DOMAIN OEM_WORKSTATION ALWAYS_SIGN
constexpr uint32_t kType3Flags = 0x8201;  // UNICODE NTLM ALWAYS_SIGN
constexpr size_t kType2MinBytes = 32;
constexpr size_t kLmPasswordBytes = 14;
constexpr size_t kNtPasswordUnits = 128;

void Put16(std::vector<uint8_t>& message, size_t at, size_t value) {
    message[at] = static_cast<uint8_t>(value);
    message[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& message, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) message[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A security buffer: length, maximum length (the same) and offset.
void PutField(std::vector<uint8_t>& message, size_t at, size_t length, size_t offset) {
    Put16(message, at, length);
    Put16(message, at + 2, length);
    Put32(message, at + 4, static_cast<uint32_t>(offset));
}

std::vector<uint8_t> Utf16Le(std::u16string_view text) {
    std::vector<uint8_t> out;
    out.reserve(text.size() * 2);
    for (char16_t unit : text) {
        out.push_back(static_cast<uint8_t>(unit));
        out.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return out;
}

std::string UpperAsciiLetters(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

CodecError CheckIdentity(const NtlmIdentity& identity) {
    for (const std::string* name : {&identity.domain, &identity.user, &identity.workstation}) {
        if (FromUtf8(*name).size() > kNtlmMaxNameUnits) return CodecError::NtlmNameTooLong;
    }
    if (identity.password.size() > kNtlmMaxPasswordBytes) return CodecError::NtlmPasswordTooLong;
    return CodecError::None;
}

}  // namespace

CodecResult<NtlmIdentity> MakeNtlmIdentity(std::string_view userId, std::string_view password,
                                           std::string_view hostName) {
    NtlmIdentity identity;
    if (userId.find('\\') == std::string_view::npos) {
        identity.domain = "DOMAIN";
        identity.user = userId;
    } else {
        std::vector<std::string_view> parts;
        bool lastPartBeforeSeparator = false;
        size_t i = 0;
        while (i < userId.size() && parts.size() < 2) {
            if (userId[i] == '\\') {
                ++i;
                continue;
            }
            size_t end = userId.find('\\', i);
            if (end == std::string_view::npos) end = userId.size();
            parts.push_back(userId.substr(i, end - i));
            lastPartBeforeSeparator = end < userId.size();
            i = end;
        }
        if (parts.size() == 2) {
            identity.domain = parts[0];
            identity.user = parts[1];
        } else if (parts.size() == 1 && lastPartBeforeSeparator) {
            identity.domain = parts[0];
        } else {
            identity.domain = "DOMAIN";
            if (!parts.empty()) identity.user = parts[0];
        }
    }
    identity.password = password;
    identity.workstation = UpperAsciiLetters(hostName);
    if (CodecError error = CheckIdentity(identity); error != CodecError::None) {
        return CodecResult<NtlmIdentity>::Fail(error);
    }
    return CodecResult<NtlmIdentity>::Ok(std::move(identity));
}

std::string LocalHostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

CodecResult<std::vector<uint8_t>> MakeNtlmType1(const NtlmIdentity& identity) {
    using Result = CodecResult<std::vector<uint8_t>>;
    if (CodecError error = CheckIdentity(identity); error != CodecError::None) {
        return Result::Fail(error);
    }
    const std::string& workstation = identity.workstation;
    const std::string& domain = identity.domain;
    std::vector<uint8_t> message(32 + workstation.size() + domain.size(), 0);
    std::memcpy(message.data(), kSignature, 8);
    Put32(message, 8, 1);
    Put32(message, 12, kType1Flags);
    PutField(message, 16, domain.size(), 32 + workstation.size());
    PutField(message, 24, workstation.size(), 32);
    std::memcpy(message.data() + 32, workstation.data(), workstation.size());
    std::memcpy(message.data() + 32 + workstation.size(), domain.data(), domain.size());
    return Result::Ok(std::move(message));
}

CodecResult<NtlmChallenge> ReadNtlmType2(std::string_view base64) {
    using Result = CodecResult<NtlmChallenge>;
    if (base64.size() > kNtlmMaxTokenChars) return Result::Fail(CodecError::NtlmWordTooLong);
    std::vector<uint8_t> message = Base64Decode(base64);
    if (message.size() > kNtlmMaxType2Bytes) return Result::Fail(CodecError::NtlmType2TooLong);
    if (message.size() < kType2MinBytes) return Result::Fail(CodecError::NtlmType2TooShort);
    if (std::memcmp(message.data(), kSignature, 8) != 0) {
        return Result::Fail(CodecError::NtlmType2BadSignature);
    }
    uint32_t type = uint32_t(message[8]) | (uint32_t(message[9]) << 8) |
                    (uint32_t(message[10]) << 16) | (uint32_t(message[11]) << 24);
    if (type != 2) return Result::Fail(CodecError::NtlmType2WrongType);
    NtlmChallenge challenge;
    std::memcpy(challenge.data(), message.data() + 24, challenge.size());
    return Result::Ok(challenge);
}

NtlmHash NtlmLmHash(std::string_view password) {
    uint8_t key[kLmPasswordBytes] = {};
    for (size_t i = 0; i < kLmPasswordBytes && i < password.size(); ++i) {
        char c = password[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        key[i] = static_cast<uint8_t>(c);
    }
    static const uint8_t kMagic[8] = {'K', 'G', 'S', '!', '@', '#', '$', '%'};
    NtlmHash hash;
    DesEncrypt7(kMagic, key, hash.data());
    DesEncrypt7(kMagic, key + 7, hash.data() + 8);
    return hash;
}

NtlmHash NtlmNtHash(std::string_view password) {
    std::u16string wide = FromUtf8(password);
    std::vector<uint8_t> bytes = Utf16Le(CutUtf16(wide, kNtPasswordUnits));
    NtlmHash hash;
    Md4Digest(bytes.data(), bytes.size(), hash.data());
    return hash;
}

NtlmResponse MakeNtlmResponse(const NtlmHash& hash, const NtlmChallenge& challenge) {
    uint8_t keys[21] = {};
    std::memcpy(keys, hash.data(), hash.size());
    NtlmResponse response;
    for (int i = 0; i < 3; ++i) {
        DesEncrypt7(challenge.data(), keys + 7 * i, response.data() + 8 * i);
    }
    return response;
}

CodecResult<std::vector<uint8_t>> MakeNtlmType3(const NtlmIdentity& identity,
                                                const NtlmChallenge& challenge) {
    using Result = CodecResult<std::vector<uint8_t>>;
    if (CodecError error = CheckIdentity(identity); error != CodecError::None) {
        return Result::Fail(error);
    }
    std::vector<uint8_t> domain = Utf16Le(FromUtf8(identity.domain));
    std::vector<uint8_t> user = Utf16Le(FromUtf8(identity.user));
    std::vector<uint8_t> workstation = Utf16Le(FromUtf8(identity.workstation));
    NtlmResponse lm = MakeNtlmResponse(NtlmLmHash(identity.password), challenge);
    NtlmResponse nt = MakeNtlmResponse(NtlmNtHash(identity.password), challenge);

    const size_t names = domain.size() + user.size() + workstation.size();
    std::vector<uint8_t> message(112 + names, 0);
    std::memcpy(message.data(), kSignature, 8);
    Put32(message, 8, 3);
    PutField(message, 12, lm.size(), 64 + names);
    PutField(message, 20, nt.size(), 88 + names);
    PutField(message, 28, domain.size(), 64);
    PutField(message, 36, user.size(), 64 + domain.size());
    PutField(message, 44, workstation.size(), 64 + domain.size() + user.size());
    PutField(message, 52, 0, 112 + names);
    Put32(message, 60, kType3Flags);

    size_t at = 64;
    for (const auto* part : {&domain, &user, &workstation}) {
        // An empty name has no storage to copy from.
        if (!part->empty()) std::memcpy(message.data() + at, part->data(), part->size());
        at += part->size();
    }
    std::memcpy(message.data() + at, lm.data(), lm.size());
    std::memcpy(message.data() + at + lm.size(), nt.data(), nt.size());
    return Result::Ok(std::move(message));
}

}  // namespace ostiva
