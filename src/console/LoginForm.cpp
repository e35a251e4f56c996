#include "console/LoginForm.h"

#include "util/Format.h"
#include "util/Utf.h"

namespace ostiva {

namespace {

// The title is built in a buffer of 256 characters.
constexpr size_t kTitleCapacity = 256;

}  // namespace

bool LoginForm::IsWideSpace(char16_t c) {
    switch (c) {
        case 0x0009:  // tab
        case 0x000A:  // line feed
        case 0x000B:  // vertical tab
        case 0x000C:  // form feed
        case 0x000D:  // carriage return
        case 0x0020:  // space
        case 0x0085:  // next line
        case 0x00A0:  // no-break space
        case 0x1680:  // Ogham space mark
        case 0x2028:  // line separator
        case 0x2029:  // paragraph separator
        case 0x202F:  // narrow no-break space
        case 0x205F:  // medium mathematical space
        case 0x3000:  // ideographic space
            return true;
        default:
            return c >= 0x2000 && c <= 0x200A;  // en quad ... hair space
    }
}

std::u16string LoginForm::Trim(std::u16string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsWideSpace(text[begin])) ++begin;
    while (end > begin && IsWideSpace(text[end - 1])) --end;
    return std::u16string(text.substr(begin, end - begin));
}

std::u16string LoginForm::Title(std::u16string_view version) {
    const std::u16string title = FormatWide(u"Ostiva Manager (Ver:%s)", {version});
    return std::u16string(CutUtf16(title, kTitleCapacity - 1));
}

LoginForm::Opening LoginForm::Open() const {
    Opening opening;
    opening.id = settings_.HelperId();
    const int savePassword = settings_.SavePassword();
    if (savePassword == 1) opening.password = settings_.HelperPassword();
    const int autoLogin = settings_.AutoLogin();
    // A flag other than 0 or 1 shows as a clear box: only 1 fills in the
    // password or logs in by itself.
    opening.savePassword = savePassword == 1;
    // A failed login of this run turned it off, whatever the file kept.
    opening.autoLogin = autoLogin == 1 && !memory_->autoLoginOff;
    opening.loginAtOnce = savePassword == 1 && opening.autoLogin;
    opening.title = Title(settings_.ServerVersionForLogin());
    return opening;
}

LoginForm::Submission LoginForm::Submit(std::u16string_view typedId,
                                        std::u16string_view typedPassword, bool savePassword,
                                        bool autoLogin) {
    Submission submission;
    id_ = Trim(typedId);
    if (id_.empty()) {
        submission.refusal = StringId::EnterId;
        return submission;
    }
    password_ = Trim(typedPassword);
    if (password_.empty()) {
        submission.refusal = StringId::EnterPassword;
        return submission;
    }

    // One write: each would wait its own turn at a lock held elsewhere.
    NoteWrite(settings_.SetHelperLogin(
        id_, savePassword ? std::optional<std::u16string_view>(password_) : std::nullopt,
        autoLogin));

    submission.id = id_;
    submission.password = password_;
    return submission;
}

LoginDialogResult LoginForm::Finish(bool loggedIn) {
    if (loggedIn) return kLoginSucceeded;
    memory_->autoLoginOff = true;
    if (settings_.AutoLogin() != 0) NoteWrite(settings_.SetAutoLogin(false));
    return kLoginFailed;
}

void LoginForm::NoteWrite(bool written) {
    if (!written) writeFailed_ = true;
}

std::optional<PromptMessage> LoginForm::TakeWriteFailure() {
    if (!writeFailed_ || memory_->writeFailureReported) return std::nullopt;
    memory_->writeFailureReported = true;
    return PromptMessage{StringId::SettingsNotSaved, FromUtf8(settings_.profile().path())};
}

}  // namespace ostiva
