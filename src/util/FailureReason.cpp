#include "util/FailureReason.h"

#include <cerrno>

namespace ostiva {

const char* RouteKindId(RouteKind route) {
    switch (route) {
        case RouteKind::Direct:
            return "direct";
        case RouteKind::HttpConnect:
            return "http_connect";
        case RouteKind::Socks4:
            return "socks4";
        case RouteKind::Socks5:
            return "socks5";
    }
    return "unknown";
}

const char* FailureStepId(FailureStep step) {
    switch (step) {
        case FailureStep::Resolve:
            return "resolve";
        case FailureStep::Connect:
            return "connect";
        case FailureStep::Request:
            return "request";
        case FailureStep::Authenticate:
            return "authenticate";
        case FailureStep::Reply:
            return "reply";
    }
    return "unknown";
}

const char* FailureCauseId(FailureCause cause) {
    switch (cause) {
        case FailureCause::Failed:
            return "failed";
        case FailureCause::Cancelled:
            return "cancelled";
        case FailureCause::Refused:
            return "refused";
        case FailureCause::TimedOut:
            return "timed_out";
        case FailureCause::Unreachable:
            return "unreachable";
        case FailureCause::NameNotResolved:
            return "name_not_resolved";
        case FailureCause::NoProxyHost:
            return "no_proxy_host";
        case FailureCause::ProxyRefused:
            return "proxy_refused";
        case FailureCause::CredentialsRefused:
            return "credentials_refused";
        case FailureCause::CredentialsMissing:
            return "credentials_missing";
        case FailureCause::SchemeNotOffered:
            return "scheme_not_offered";
        case FailureCause::RequestNotSendable:
            return "request_not_sendable";
        case FailureCause::ReplyMalformed:
            return "reply_malformed";
        case FailureCause::ReplyTooLarge:
            return "reply_too_large";
        case FailureCause::ConnectionClosed:
            return "connection_closed";
        case FailureCause::SendFailed:
            return "send_failed";
        case FailureCause::SystemError:
            return "system_error";
    }
    return "unknown";
}

FailureCause FailureCauseFromErrno(int error) {
    switch (error) {
        case ECONNREFUSED:
            return FailureCause::Refused;
        case ETIMEDOUT:
            return FailureCause::TimedOut;
        case ENETUNREACH:
        case EHOSTUNREACH:
        case ENETDOWN:
        case EHOSTDOWN:
            return FailureCause::Unreachable;
        case ECANCELED:
            return FailureCause::Cancelled;
        case ECONNRESET:
        case EPIPE:
            return FailureCause::ConnectionClosed;
        default:
            return FailureCause::Failed;
    }
}

}  // namespace ostiva
