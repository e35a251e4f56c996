#pragma once
// Why a proxy message could not be built or read. The codecs of the proxy
// traversal (CONNECT requests and replies, Digest, NTLM, SOCKS) share this
// one list so that the handshake code can trace a failure with a readable
// text and turn it into one technician message at its boundary.

#include <utility>

#include "util/FailureReason.h"

namespace ostiva {

enum class CodecError {
    None = 0,

    // Outgoing texts and fields
    RequestTooLarge,     // a CONNECT request would not fit its 4095 bytes
    TextHasLineBreak,    // CR, LF or NUL inside a value that goes into a header
    CredentialsTooLong,  // "user:password" of Basic over 511 bytes

    // CONNECT replies
    ReplyTooLarge,        // no blank line within the reply-header limit
    ReplyHasNul,          // a zero byte inside the reply header
    StatusLineMalformed,  // no status code where the status line should carry one
    ContentLengthMalformed,
    ChallengeMissing,       // none of the challenge header names occurs
    ChallengeUnterminated,  // no "\r\n" after the challenge value
    ChallengeTooLong,       // challenge value over 1023 bytes
    SchemeTooLong,          // scheme word over 15 bytes
    SchemeUnknown,          // a scheme this console does not speak
    NtlmWordMissing,        // second-round challenge lacks "NTLM" or its token
    NtlmWordTooLong,        // a second-round word over 511 bytes

    // NTLM
    NtlmNameTooLong,        // domain, user or workstation over 32 UTF-16 units
    NtlmPasswordTooLong,    // password over 255 bytes
    NtlmType2TooShort,      // decodes to fewer than 32 bytes
    NtlmType2TooLong,       // decodes to more than 512 bytes
    NtlmType2BadSignature,  // no "NTLMSSP\0" at its start
    NtlmType2WrongType,     // message type other than 2

    // Digest
    DigestLineTooLong,   // challenge header line over 1023 bytes
    DigestNotDigest,     // the line names neither "Digest" nor "DIGEST"
    DigestBadAlgorithm,  // an algorithm other than MD5
    DigestNoRealm,
    DigestNoNonce,
    DigestWordTooLong,        // a directive name or value over 255 bytes
    DigestUnterminatedQuote,  // a quoted value without its closing quote
    DigestValueTooLong,       // realm, qop or opaque over 49, nonce over 149
    DigestHashTextTooLong,    // a text to hash over 511 bytes

    // SOCKS
    SocksNameEmpty,        // nothing to send as the target name
    SocksNameTooLong,      // target name of 64 bytes or more
    SocksNameHasNul,       // a zero byte would cut the name short
    SocksUserTooLong,      // user ID over 255 bytes
    SocksPasswordTooLong,  // password over 255 bytes
};

// An English text for traces and error messages; never null.
const char* DescribeCodecError(CodecError error);

// The cause a handshake reports for the error: RequestNotSendable for what
// could not be built, ReplyTooLarge or ReplyMalformed for what could not be
// read.
FailureCause FailureCauseOf(CodecError error);

// A value together with the reason it could not be made. `value` holds its
// default when `error` is not None.
template <class T>
struct CodecResult {
    CodecError error = CodecError::None;
    T value{};

    bool ok() const { return error == CodecError::None; }

    static CodecResult Ok(T v) { return CodecResult{CodecError::None, std::move(v)}; }
    static CodecResult Fail(CodecError e) { return CodecResult{e, T{}}; }
};

}  // namespace ostiva
