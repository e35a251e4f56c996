#include "ui/controls/UiText.h"

#include <QCoreApplication>
#include <QList>
#include <iterator>

#include "util/Format.h"

namespace ostiva {

namespace {

struct Entry {
    StringId id;
    const char* source;
};

// The English texts once more, in a form lupdate can see, so that updating
// the .ts files from the sources keeps these entries. A test checks that they
// match util/StringTable.
const Entry kEntries[] = {
    {StringId::AboutMenuItem, QT_TRANSLATE_NOOP("StringTable", "&About helper...")},
    {StringId::LoginBannerTitle, QT_TRANSLATE_NOOP("StringTable", "Ostiva Login")},
    {StringId::LoginBannerSubtitle,
     QT_TRANSLATE_NOOP("StringTable", "Please enter your ID/Password.")},
    {StringId::EnterId, QT_TRANSLATE_NOOP("StringTable", "Please enter ID.")},
    {StringId::EnterPassword, QT_TRANSLATE_NOOP("StringTable", "Please enter PW.")},
    {StringId::LoginAlreadyActive,
     QT_TRANSLATE_NOOP("StringTable", "Login already. Do you login forcely?")},
    {StringId::AccountExpired,
     QT_TRANSLATE_NOOP("StringTable",
                       "Your account was expired.(expired date : %s) Please contact "
                       "administrator.")},
    {StringId::WrongCredentials, QT_TRANSLATE_NOOP("StringTable", "Wrong ID/PW")},
    {StringId::SignedInElsewhere,
     QT_TRANSLATE_NOOP("StringTable", "Signed in elsewhere. Sign out.")},
    {StringId::MainBannerTitle, QT_TRANSLATE_NOOP("StringTable", "Ostiva")},
    {StringId::MainBannerSubtitle,
     QT_TRANSLATE_NOOP("StringTable", "Fast & Easy Remote Assistance Software")},
    {StringId::StateWaiting, QT_TRANSLATE_NOOP("StringTable", "Waiting")},
    {StringId::StateReady, QT_TRANSLATE_NOOP("StringTable", "Ready")},
    {StringId::StateConnected, QT_TRANSLATE_NOOP("StringTable", "Connected")},
    {StringId::StateEnded, QT_TRANSLATE_NOOP("StringTable", "Ended")},
    {StringId::ConfirmExit, QT_TRANSLATE_NOOP("StringTable", "Do you want to exit?")},
    {StringId::CodeLimit, QT_TRANSLATE_NOOP("StringTable", "You can create code limit 12.")},
    {StringId::SettingBannerTitle, QT_TRANSLATE_NOOP("StringTable", "Ostiva Setting")},
    {StringId::SettingBannerSubtitle,
     QT_TRANSLATE_NOOP("StringTable", "You can change serveral settings for the helper.")},
    {StringId::ReportBannerTitle, QT_TRANSLATE_NOOP("StringTable", "Ostiva Report")},
    {StringId::ReportBannerSubtitle,
     QT_TRANSLATE_NOOP("StringTable", "You can search your remote assistance histories.")},
    {StringId::ConnectionLost,
     QT_TRANSLATE_NOOP("StringTable", "The connection has been lost. Please relogin.")},
    {StringId::ConfirmReconnect,
     QT_TRANSLATE_NOOP("StringTable", "There is a viewer already connected. Would you reconnect?")},
    {StringId::ConfirmDeleteConnected,
     QT_TRANSLATE_NOOP("StringTable",
                       "It is connected session. If you delete it, the session is "
                       "disconnected. Do you want to delete?")},
    {StringId::ConnectionFailed,
     QT_TRANSLATE_NOOP("StringTable", "Cannot connect to the server. (%s)")},
    {StringId::IdTooLong,
     QT_TRANSLATE_NOOP("StringTable", "The ID is too long. Please enter at most 47 characters.")},
    {StringId::PasswordTooLong,
     QT_TRANSLATE_NOOP("StringTable",
                       "The password is too long. Please enter at most 47 characters.")},
    {StringId::ViewerStartFailed,
     QT_TRANSLATE_NOOP("StringTable", "The viewer could not be started. (%s)")},
    {StringId::PageOpenFailed,
     QT_TRANSLATE_NOOP("StringTable", "The page could not be opened. (%s)")},
    {StringId::LoginCancelled, QT_TRANSLATE_NOOP("StringTable", "The login was cancelled.")},
    {StringId::FailureRouteDirect, QT_TRANSLATE_NOOP("StringTable", "direct connection to %s")},
    {StringId::FailureRouteHttpConnect, QT_TRANSLATE_NOOP("StringTable", "HTTP proxy %s")},
    {StringId::FailureRouteSocks4, QT_TRANSLATE_NOOP("StringTable", "SOCKS4 proxy %s")},
    {StringId::FailureRouteSocks5, QT_TRANSLATE_NOOP("StringTable", "SOCKS5 proxy %s")},
    {StringId::FailureCauseFailed, QT_TRANSLATE_NOOP("StringTable", "failed")},
    {StringId::FailureCauseCancelled, QT_TRANSLATE_NOOP("StringTable", "cancelled")},
    {StringId::FailureCauseRefused, QT_TRANSLATE_NOOP("StringTable", "the connection was refused")},
    {StringId::FailureCauseTimedOut,
     QT_TRANSLATE_NOOP("StringTable", "no answer within the time limit")},
    {StringId::FailureCauseUnreachable,
     QT_TRANSLATE_NOOP("StringTable", "the network or host cannot be reached")},
    {StringId::FailureCauseNameNotResolved,
     QT_TRANSLATE_NOOP("StringTable", "the host name cannot be resolved")},
    {StringId::FailureCauseNoProxyHost, QT_TRANSLATE_NOOP("StringTable", "no proxy host is set")},
    {StringId::FailureCauseProxyRefused,
     QT_TRANSLATE_NOOP("StringTable", "the proxy refused the tunnel (status %s)")},
    {StringId::FailureCauseCredentialsRefused,
     QT_TRANSLATE_NOOP("StringTable", "the proxy refused the user name or password")},
    {StringId::FailureCauseCredentialsMissing,
     QT_TRANSLATE_NOOP("StringTable",
                       "the proxy asks for a user name and password, and none is set")},
    {StringId::FailureCauseSchemeNotOffered,
     QT_TRANSLATE_NOOP("StringTable",
                       "the proxy asks for an authentication method that is not supported")},
    {StringId::FailureCauseRequestNotSendable,
     QT_TRANSLATE_NOOP("StringTable", "a name or credential is too long for the proxy request")},
    {StringId::FailureCauseReplyMalformed,
     QT_TRANSLATE_NOOP("StringTable", "the answer of the proxy cannot be read")},
    {StringId::FailureCauseReplyTooLarge,
     QT_TRANSLATE_NOOP("StringTable", "the answer of the proxy is too large")},
    {StringId::FailureCauseConnectionClosed,
     QT_TRANSLATE_NOOP("StringTable", "the connection was closed")},
    {StringId::FailureCauseSendFailed, QT_TRANSLATE_NOOP("StringTable", "sending failed")},
    {StringId::FailureCauseSystemError,
     QT_TRANSLATE_NOOP("StringTable", "the system could not open a connection")},
    {StringId::SettingsNotSaved,
     QT_TRANSLATE_NOOP("StringTable", "The settings could not be saved to %s.")},
};

}  // namespace

const char* UiSourceText(StringId id) {
    for (const Entry& entry : kEntries) {
        if (entry.id == id) return entry.source;
    }
    return nullptr;
}

QList<StringId> UiTextIds() {
    QList<StringId> ids;
    for (const Entry& entry : kEntries) ids.append(entry.id);
    return ids;
}

QString UiText(StringId id, const QString& argument) {
    if (id == StringId::PlainText) return argument;
    const char* source = UiSourceText(id);
    if (source == nullptr) return QString();
    const QString text = QCoreApplication::translate("StringTable", source);
    // The argument goes in by the run-time checked formatter: a translation
    // with a stray conversion cannot read what is not there.
    return QString::fromStdU16String(
        FormatWide(text.toStdU16String(), {argument.toStdU16String()}));
}

}  // namespace ostiva
