#pragma once
// The console's string table: ids and their English texts. The windows look
// the English text up in their translations (Japanese); the command-line
// console and the logs use it as it stands. A text with "%s" takes one
// argument.

#include <string>
#include <string_view>

namespace ostiva {

enum class StringId : int {
    // A text that comes from elsewhere (an exception's message); the message's
    // argument is the whole text.
    PlainText = 0,

    AboutMenuItem = 101,
    LoginBannerTitle = 102,
    LoginBannerSubtitle = 103,
    EnterId = 104,
    EnterPassword = 105,
    LoginAlreadyActive = 106,
    AccountExpired = 107,
    WrongCredentials = 108,
    SignedInElsewhere = 109,
    MainBannerTitle = 110,
    MainBannerSubtitle = 111,
    StateWaiting = 114,
    StateReady = 115,
    StateConnected = 116,
    StateEnded = 117,
    ConfirmExit = 118,
    CodeLimit = 119,
    SettingBannerTitle = 120,
    SettingBannerSubtitle = 121,
    ReportBannerTitle = 122,
    ReportBannerSubtitle = 123,
    ConnectionLost = 124,
    ConfirmReconnect = 125,
    ConfirmDeleteConnected = 126,

    // Messages of this port, beyond the original table.
    ConnectionFailed = 1001,  // "%s": the reason the server could not be reached
    IdTooLong = 1002,
    PasswordTooLong = 1003,
    ViewerStartFailed = 1004,  // "%s": the system's reason
    PageOpenFailed = 1005,     // "%s": the system's reason
    LoginCancelled = 1006,
    SettingsNotSaved = 1007,  // "%s": the settings file's path

    // Why one way to the server failed (util/FailureReason.h): a route's
    // name with the peer's "host:port" as "%s", and one text per cause.
    FailureRouteDirect = 1101,
    FailureRouteHttpConnect = 1102,
    FailureRouteSocks4 = 1103,
    FailureRouteSocks5 = 1104,
    FailureCauseFailed = 1201,
    FailureCauseCancelled = 1202,
    FailureCauseRefused = 1203,
    FailureCauseTimedOut = 1204,
    FailureCauseUnreachable = 1205,
    FailureCauseNameNotResolved = 1206,
    FailureCauseNoProxyHost = 1207,
    FailureCauseProxyRefused = 1208,  // %s: the status
    FailureCauseCredentialsRefused = 1209,
    FailureCauseCredentialsMissing = 1210,
    FailureCauseSchemeNotOffered = 1211,
    FailureCauseRequestNotSendable = 1212,
    FailureCauseReplyMalformed = 1213,
    FailureCauseReplyTooLarge = 1214,
    FailureCauseConnectionClosed = 1215,
    FailureCauseSendFailed = 1216,
    FailureCauseSystemError = 1217,
};

// The English text of an id; empty for an unknown id.
std::u16string_view EnglishText(StringId id);

// The English text with its "%s" replaced by the argument (PlainText gives
// the argument itself).
std::u16string FormatMessageText(StringId id, std::u16string_view argument);

}  // namespace ostiva
