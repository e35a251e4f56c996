#include "util/StringTable.h"

#include "util/Format.h"

namespace ostiva {

std::u16string_view EnglishText(StringId id) {
    switch (id) {
        case StringId::PlainText:
            return u"%s";
        case StringId::AboutMenuItem:
            return u"&About helper...";
        case StringId::LoginBannerTitle:
            return u"Ostiva Login";
        case StringId::LoginBannerSubtitle:
            return u"Please enter your ID/Password.";
        case StringId::EnterId:
            return u"Please enter ID.";
        case StringId::EnterPassword:
            return u"Please enter PW.";
        case StringId::LoginAlreadyActive:
            return u"Login already. Do you login forcely?";
        case StringId::AccountExpired:
            return u"Your account was expired.(expired date : %s) Please contact administrator.";
        case StringId::WrongCredentials:
            return u"Wrong ID/PW";
        case StringId::SignedInElsewhere:
            return u"Signed in elsewhere. Sign out.";
        case StringId::MainBannerTitle:
            return u"Ostiva";
        case StringId::MainBannerSubtitle:
            return u"Fast & Easy Remote Assistance Software";
        case StringId::StateWaiting:
            return u"Waiting";
        case StringId::StateReady:
            return u"Ready";
        case StringId::StateConnected:
            return u"Connected";
        case StringId::StateEnded:
            return u"Ended";
        case StringId::ConfirmExit:
            return u"Do you want to exit?";
        case StringId::CodeLimit:
            return u"You can create code limit 12.";
        case StringId::SettingBannerTitle:
            return u"Ostiva Setting";
        case StringId::SettingBannerSubtitle:
            return u"You can change serveral settings for the helper.";
        case StringId::ReportBannerTitle:
            return u"Ostiva Report";
        case StringId::ReportBannerSubtitle:
            return u"You can search your remote assistance histories.";
        case StringId::ConnectionLost:
            return u"The connection has been lost. Please relogin.";
        case StringId::ConfirmReconnect:
            return u"There is a viewer already connected. Would you reconnect?";
        case StringId::ConfirmDeleteConnected:
            return u"It is connected session. If you delete it, the session is disconnected. Do "
                   u"you want to delete?";
        case StringId::ConnectionFailed:
            return u"Cannot connect to the server. (%s)";
        case StringId::IdTooLong:
            return u"The ID is too long. Please enter at most 47 characters.";
        case StringId::PasswordTooLong:
            return u"The password is too long. Please enter at most 47 characters.";
        case StringId::ViewerStartFailed:
            return u"The viewer could not be started. (%s)";
        case StringId::PageOpenFailed:
            return u"The page could not be opened. (%s)";
        case StringId::LoginCancelled:
            return u"The login was cancelled.";
        case StringId::FailureRouteDirect:
            return u"direct connection to %s";
        case StringId::FailureRouteHttpConnect:
            return u"HTTP proxy %s";
        case StringId::FailureRouteSocks4:
            return u"SOCKS4 proxy %s";
        case StringId::FailureRouteSocks5:
            return u"SOCKS5 proxy %s";
        case StringId::FailureCauseFailed:
            return u"failed";
        case StringId::FailureCauseCancelled:
            return u"cancelled";
        case StringId::FailureCauseRefused:
            return u"the connection was refused";
        case StringId::FailureCauseTimedOut:
            return u"no answer within the time limit";
        case StringId::FailureCauseUnreachable:
            return u"the network or host cannot be reached";
        case StringId::FailureCauseNameNotResolved:
            return u"the host name cannot be resolved";
        case StringId::FailureCauseNoProxyHost:
            return u"no proxy host is set";
        case StringId::FailureCauseProxyRefused:
            return u"the proxy refused the tunnel (status %s)";
        case StringId::FailureCauseCredentialsRefused:
            return u"the proxy refused the user name or password";
        case StringId::FailureCauseCredentialsMissing:
            return u"the proxy asks for a user name and password, and none is set";
        case StringId::FailureCauseSchemeNotOffered:
            return u"the proxy asks for an authentication method that is not supported";
        case StringId::FailureCauseRequestNotSendable:
            return u"a name or credential is too long for the proxy request";
        case StringId::FailureCauseReplyMalformed:
            return u"the answer of the proxy cannot be read";
        case StringId::FailureCauseReplyTooLarge:
            return u"the answer of the proxy is too large";
        case StringId::FailureCauseConnectionClosed:
            return u"the connection was closed";
        case StringId::FailureCauseSendFailed:
            return u"sending failed";
        case StringId::FailureCauseSystemError:
            return u"the system could not open a connection";
        case StringId::SettingsNotSaved:
            return u"The settings could not be saved to %s.";
    }
    return u"";
}

std::u16string FormatMessageText(StringId id, std::u16string_view argument) {
    return FormatWide(EnglishText(id), {argument});
}

}  // namespace ostiva
