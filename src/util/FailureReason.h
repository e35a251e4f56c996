#pragma once
// Why one way to the server failed, as data: which route, which step of it,
// what went wrong, and the peer it was talking to. The windows and the
// command-line console turn it into words or fields (session/FailureText.h);
// nothing here is prose, so the user's language decides the wording.
//
// A reason never holds a secret: no password, hash, token or challenge.
//
// Adding a cause: a value at the end of FailureCause, its id in
// FailureCauseId, its text in the string table (util/StringTable.*) and in
// FailureCauseText. The renderers take it from there.

#include <cstdint>
#include <string>
#include <string_view>

namespace ostiva {

enum class RouteKind : uint8_t { Direct, HttpConnect, Socks4, Socks5 };

enum class FailureStep : uint8_t {
    Resolve,       // finding the address of the server or the proxy
    Connect,       // the TCP connection to it
    Request,       // building or sending a request
    Authenticate,  // a proxy's challenge and the credentials that answer it
    Reply,         // the proxy's answer to the tunnel request
};

enum class FailureCause : uint8_t {
    Failed,              // nothing more specific is known
    Cancelled,           // the technician cancelled the login
    Refused,             // the peer refused the TCP connection
    TimedOut,            // the peer did not answer within the time limit
    Unreachable,         // no route to the peer's network or host
    NameNotResolved,     // the host name does not resolve
    NoProxyHost,         // a proxy route without a proxy host set
    ProxyRefused,        // the proxy refused the tunnel; `status` is its code
    CredentialsRefused,  // the proxy refused the user name or password
    CredentialsMissing,  // the proxy asks for credentials and none are set
    SchemeNotOffered,    // no authentication both sides speak; `detail` names the proxy's
    RequestNotSendable,  // a name or credential does not fit the request
    ReplyMalformed,      // the proxy's answer is not of its protocol
    ReplyTooLarge,       // the proxy's answer exceeds its limit
    ConnectionClosed,    // the peer closed the connection mid-step
    SendFailed,          // sending failed
    SystemError,         // the system refused a socket or the like
};

struct FailureReason {
    RouteKind route = RouteKind::Direct;
    FailureStep step = FailureStep::Connect;
    FailureCause cause = FailureCause::Failed;
    // The peer of the failing step as configured (a name or an address) and
    // its port: the server for the direct route, the proxy otherwise.
    std::string host;
    uint16_t port = 0;
    // The proxy's status (HTTP) or reply code (SOCKS) when it gave one, else 0.
    int status = 0;
    // A protocol word the cause refers to (the scheme a proxy asks for), or
    // empty. Never a secret.
    std::string detail;

    bool operator==(const FailureReason&) const = default;
};

// Stable ids for machine-readable output ("direct", "connect", "refused").
const char* RouteKindId(RouteKind route);
const char* FailureStepId(FailureStep step);
const char* FailureCauseId(FailureCause cause);

// The cause of a failed connect(2) from its errno value (ETIMEDOUT for a
// time limit that passed, ECANCELED for a shut-down socket).
FailureCause FailureCauseFromErrno(int error);

}  // namespace ostiva
