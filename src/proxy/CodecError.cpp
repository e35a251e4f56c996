#include "proxy/CodecError.h"

namespace ostiva {

const char* DescribeCodecError(CodecError error) {
    switch (error) {
        case CodecError::None:
            return "no error";
        case CodecError::RequestTooLarge:
            return "the proxy request would exceed 4095 bytes";
        case CodecError::TextHasLineBreak:
            return "a header value contains a line break or a zero byte";
        case CodecError::CredentialsTooLong:
            return "the proxy user ID and password are too long";
        case CodecError::ReplyTooLarge:
            return "the proxy reply header exceeds 4096 bytes";
        case CodecError::ReplyHasNul:
            return "the proxy reply header contains a zero byte";
        case CodecError::StatusLineMalformed:
            return "the proxy reply has no status code";
        case CodecError::ContentLengthMalformed:
            return "the proxy reply has a bad Content-Length";
        case CodecError::ChallengeMissing:
            return "the proxy reply carries no challenge header";
        case CodecError::ChallengeUnterminated:
            return "the proxy challenge header has no line end";
        case CodecError::ChallengeTooLong:
            return "the proxy challenge exceeds 1023 bytes";
        case CodecError::SchemeTooLong:
            return "the proxy authentication scheme name is too long";
        case CodecError::SchemeUnknown:
            return "the proxy asks for an unsupported authentication scheme";
        case CodecError::NtlmWordMissing:
            return "the proxy's NTLM challenge carries no token";
        case CodecError::NtlmWordTooLong:
            return "the proxy's NTLM challenge token is too long";
        case CodecError::NtlmNameTooLong:
            return "an NTLM domain, user or workstation name exceeds 32 characters";
        case CodecError::NtlmPasswordTooLong:
            return "the NTLM password exceeds 255 bytes";
        case CodecError::NtlmType2TooShort:
            return "the NTLM challenge message is too short";
        case CodecError::NtlmType2TooLong:
            return "the NTLM challenge message is too long";
        case CodecError::NtlmType2BadSignature:
            return "the NTLM challenge lacks the NTLMSSP signature";
        case CodecError::NtlmType2WrongType:
            return "the NTLM token is not a challenge message";
        case CodecError::DigestLineTooLong:
            return "the Digest challenge line exceeds 1023 bytes";
        case CodecError::DigestNotDigest:
            return "the challenge line is not a Digest challenge";
        case CodecError::DigestBadAlgorithm:
            return "the Digest challenge names an algorithm other than MD5";
        case CodecError::DigestNoRealm:
            return "the Digest challenge has no realm";
        case CodecError::DigestNoNonce:
            return "the Digest challenge has no nonce";
        case CodecError::DigestWordTooLong:
            return "a Digest directive exceeds 255 bytes";
        case CodecError::DigestUnterminatedQuote:
            return "a Digest directive value has no closing quote";
        case CodecError::DigestValueTooLong:
            return "a Digest directive value is too long";
        case CodecError::DigestHashTextTooLong:
            return "a Digest text to hash exceeds 511 bytes";
        case CodecError::SocksNameEmpty:
            return "the SOCKS target name is empty";
        case CodecError::SocksNameTooLong:
            return "the SOCKS target name has 64 bytes or more";
        case CodecError::SocksNameHasNul:
            return "the SOCKS target name contains a zero byte";
        case CodecError::SocksUserTooLong:
            return "the SOCKS user ID exceeds 255 bytes";
        case CodecError::SocksPasswordTooLong:
            return "the SOCKS password exceeds 255 bytes";
    }
    return "unknown error";
}

FailureCause FailureCauseOf(CodecError error) {
    switch (error) {
        case CodecError::None:
            return FailureCause::Failed;
        case CodecError::RequestTooLarge:
        case CodecError::TextHasLineBreak:
        case CodecError::CredentialsTooLong:
        case CodecError::NtlmNameTooLong:
        case CodecError::NtlmPasswordTooLong:
        case CodecError::DigestHashTextTooLong:
        case CodecError::SocksNameEmpty:
        case CodecError::SocksNameTooLong:
        case CodecError::SocksNameHasNul:
        case CodecError::SocksUserTooLong:
        case CodecError::SocksPasswordTooLong:
            return FailureCause::RequestNotSendable;
        case CodecError::ReplyTooLarge:
            return FailureCause::ReplyTooLarge;
        case CodecError::SchemeUnknown:
            return FailureCause::SchemeNotOffered;
        default:
            return FailureCause::ReplyMalformed;
    }
}

}  // namespace ostiva
