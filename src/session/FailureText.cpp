#include "session/FailureText.h"

#include "session/Prompt.h"
#include "util/Format.h"
#include "util/Utf.h"

namespace ostiva {

StringId RouteTextId(RouteKind route) {
    switch (route) {
        case RouteKind::Direct:
            return StringId::FailureRouteDirect;
        case RouteKind::HttpConnect:
            return StringId::FailureRouteHttpConnect;
        case RouteKind::Socks4:
            return StringId::FailureRouteSocks4;
        case RouteKind::Socks5:
            return StringId::FailureRouteSocks5;
    }
    return StringId::FailureRouteDirect;
}

StringId FailureCauseTextId(FailureCause cause) {
    switch (cause) {
        case FailureCause::Failed:
            return StringId::FailureCauseFailed;
        case FailureCause::Cancelled:
            return StringId::FailureCauseCancelled;
        case FailureCause::Refused:
            return StringId::FailureCauseRefused;
        case FailureCause::TimedOut:
            return StringId::FailureCauseTimedOut;
        case FailureCause::Unreachable:
            return StringId::FailureCauseUnreachable;
        case FailureCause::NameNotResolved:
            return StringId::FailureCauseNameNotResolved;
        case FailureCause::NoProxyHost:
            return StringId::FailureCauseNoProxyHost;
        case FailureCause::ProxyRefused:
            return StringId::FailureCauseProxyRefused;
        case FailureCause::CredentialsRefused:
            return StringId::FailureCauseCredentialsRefused;
        case FailureCause::CredentialsMissing:
            return StringId::FailureCauseCredentialsMissing;
        case FailureCause::SchemeNotOffered:
            return StringId::FailureCauseSchemeNotOffered;
        case FailureCause::RequestNotSendable:
            return StringId::FailureCauseRequestNotSendable;
        case FailureCause::ReplyMalformed:
            return StringId::FailureCauseReplyMalformed;
        case FailureCause::ReplyTooLarge:
            return StringId::FailureCauseReplyTooLarge;
        case FailureCause::ConnectionClosed:
            return StringId::FailureCauseConnectionClosed;
        case FailureCause::SendFailed:
            return StringId::FailureCauseSendFailed;
        case FailureCause::SystemError:
            return StringId::FailureCauseSystemError;
    }
    return StringId::FailureCauseFailed;
}

std::u16string RouteFailureText(const FailureReason& reason, const TextLookup& text) {
    std::u16string peer = FromUtf8(reason.host);
    if (reason.port != 0 || !peer.empty()) peer += FormatWide(u":%u", {unsigned(reason.port)});
    std::u16string line = text(RouteTextId(reason.route), peer);
    line += u": ";
    line += text(FailureCauseTextId(reason.cause), FormatWide(u"%d", {reason.status}));
    if (!reason.detail.empty()) line += u" (" + FromUtf8(reason.detail) + u")";
    return line;
}

std::u16string RouteFailuresText(const std::vector<FailureReason>& reasons,
                                 const TextLookup& text) {
    std::u16string joined;
    for (const FailureReason& reason : reasons) {
        if (!joined.empty()) joined += u"; ";
        joined += RouteFailureText(reason, text);
    }
    return joined;
}

std::u16string RenderPromptMessage(const PromptMessage& message, const TextLookup& text) {
    if (message.routes.empty()) return text(message.id, message.argument);
    return text(message.id, RouteFailuresText(message.routes, text));
}

std::u16string EnglishLookup(StringId id, std::u16string_view argument) {
    return FormatMessageText(id, argument);
}

std::u16string PromptMessage::EnglishText() const {
    return RenderPromptMessage(*this, EnglishLookup);
}

}  // namespace ostiva
