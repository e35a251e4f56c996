// The NTLM and Digest members of SocketIPv4: they keep the state of one
// negotiation on the socket object and leave the message work to the codecs.

#include <cstring>

#include "proxy/Base64.h"
#include "proxy/CodecError.h"
#include "proxy/DigestChallenge.h"
#include "proxy/NtlmMessages.h"
#include "transport/SocketIPv4.h"

namespace ostiva {
namespace {

void Report(CodecError* out, CodecError error) {
    if (out) *out = error;
}

}  // namespace

bool SocketIPv4::MakeNtlmType1(std::vector<uint8_t>* message, CodecError* error) {
    Report(error, CodecError::None);
    message->clear();
    ntlmDomain.clear();
    ntlmUser.clear();
    ntlmPassword.clear();
    ntlmWorkstation.clear();
    auto identity = MakeNtlmIdentity(proxyIdAnsi.view(), proxyPasswordAnsi.view(), LocalHostName());
    if (!identity.ok()) {
        Report(error, identity.error);
        return false;
    }
    ntlmDomain = identity.value.domain;
    ntlmUser = identity.value.user;
    ntlmPassword = identity.value.password;
    ntlmWorkstation = identity.value.workstation;
    auto type1 = ostiva::MakeNtlmType1(identity.value);
    if (!type1.ok()) {
        Report(error, type1.error);
        return false;
    }
    *message = std::move(type1.value);
    return true;
}

size_t SocketIPv4::MakeNtlmType3(char* output, size_t capacity, CodecError* error) {
    Report(error, CodecError::None);
    if (capacity > 0) std::memset(output, 0, capacity);
    NtlmIdentity identity{ntlmDomain, ntlmUser, ntlmWorkstation, ntlmPassword};
    auto type3 = ostiva::MakeNtlmType3(identity, ntlmChallenge);
    if (!type3.ok()) {
        Report(error, type3.error);
        return 0;
    }
    size_t length = Base64EncodedLength(type3.value.size());
    // The text and its terminating zero.
    if (length + 1 > capacity) {
        Report(error, CodecError::RequestTooLarge);
        return 0;
    }
    return Base64Encode(type3.value.data(), type3.value.size(), output);
}

bool SocketIPv4::MakeDigestResponse(std::string_view replyHeader, std::string_view host,
                                    uint16_t port, CodecError* error) {
    Report(error, CodecError::None);
    digestRealm.clear();
    digestNonce.clear();
    digestCnonce.clear();
    digestResponse.clear();
    digestQop.clear();
    digestOpaque.clear();
    auto digest = ostiva::MakeDigestResponse(replyHeader, proxyIdAnsi.view(),
                                             proxyPasswordAnsi.view(), host, port);
    if (!digest.ok()) {
        Report(error, digest.error);
        return false;
    }
    digestRealm = digest.value.realm;
    digestNonce = digest.value.nonce;
    digestCnonce = digest.value.cnonce;
    digestNonceCount = digest.value.nonceCount;
    digestResponse = digest.value.response;
    digestQop = digest.value.qop;
    digestOpaque = digest.value.opaque;
    return true;
}

}  // namespace ostiva
