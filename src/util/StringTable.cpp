#include "util/StringTable.h"

#include "util/Format.h"

namespace ostiva {

std::u16string_view EnglishText(StringId id) {
    switch (id) {
        case StringId::PlainText: return u"%s";
        case StringId::AboutMenuItem: return u"&About helper...";
        case StringId::LoginBannerTitle: return u"Ostiva Login";
        case StringId::LoginBannerSubtitle: return u"Please enter your ID/Password.";
        case StringId::EnterId: return u"Please enter ID.";
        case StringId::EnterPassword: return u"Please enter PW.";
        case StringId::LoginAlreadyActive: return u"Login already. Do you login forcely?";
        case StringId::AccountExpired:
            return u"Your account was expired.(expired date : %s) Please contact administrator.";
        case StringId::WrongCredentials: return u"Wrong ID/PW";
        case StringId::SignedInElsewhere: return u"Signed in elsewhere. Sign out.";
        case StringId::MainBannerTitle: return u"Ostiva";
        case StringId::MainBannerSubtitle: return u"Fast & Easy Remote Assistance Software";
        case StringId::StateWaiting: return u"Waiting";
        case StringId::StateReady: return u"Ready";
        case StringId::StateConnected: return u"Connected";
        case StringId::StateEnded: return u"Ended";
        case StringId::ConfirmExit: return u"Do you want to exit?";
        case StringId::CodeLimit: return u"You can create code limit 12.";
        case StringId::SettingBannerTitle: return u"Ostiva Setting";
        case StringId::SettingBannerSubtitle:
            return u"You can change serveral settings for the helper.";
        case StringId::ReportBannerTitle: return u"Ostiva Report";
        case StringId::ReportBannerSubtitle:
            return u"You can search your remote assistance histories.";
        case StringId::ConnectionLost: return u"The connection has been lost. Please relogin.";
        case StringId::ConfirmReconnect:
            return u"There is a viewer already connected. Would you reconnect?";
        case StringId::ConfirmDeleteConnected:
            return u"It is connected session. If you delete it, the session is disconnected. Do "
                   u"you want to delete?";
        case StringId::ConnectionFailed: return u"Cannot connect to the server. (%s)";
        case StringId::IdTooLong: return u"The ID is too long. Please enter at most 47 characters.";
        case StringId::PasswordTooLong:
            return u"The password is too long. Please enter at most 47 characters.";
        case StringId::ViewerStartFailed: return u"The viewer could not be started. (%s)";
        case StringId::PageOpenFailed: return u"The page could not be opened. (%s)";
        case StringId::LoginCancelled: return u"The login was cancelled.";
        case StringId::SettingsNotSaved: return u"The settings could not be saved to %s.";
    }
    return u"";
}

std::u16string FormatMessageText(StringId id, std::u16string_view argument) {
    return FormatWide(EnglishText(id), {argument});
}

}  // namespace ostiva
