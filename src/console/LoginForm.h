#pragma once
// What the login dialog does with the settings file and the typed texts,
// apart from the window: what it fills in when it opens, whether it logs in
// by itself, the checks and the writes of a login attempt, and the write
// after a login that did not succeed.
//
// One form serves one dialog, that is one login attempt: the application
// shows a new dialog after every attempt that did not succeed. What must
// hold across those dialogs whatever the file managed to keep (a read-only
// folder, a settings lock held elsewhere) is in the run's LoginMemory.

#include <optional>
#include <string>
#include <string_view>

#include "session/Prompt.h"
#include "settings/SettingsKeys.h"
#include "util/StringTable.h"

namespace ostiva {

// How the login dialog ends.
enum LoginDialogResult : int {
    kLoginCancelled = 2,     // the technician cancelled: the program ends
    kLoginFailed = 6000,     // the login did not succeed: a fresh dialog follows
    kLoginSucceeded = 6003,  // logged in: the main window follows
};

// Shared by the login dialogs of one run.
struct LoginMemory {
    // A login failed: no later dialog of this run signs in by itself, even
    // when the file still says "autologin" 1 because writing it failed.
    bool autoLoginOff = false;
    // A failed write of the settings has been reported; later ones are not.
    bool writeFailureReported = false;
};

class LoginForm {
  public:
    // What the dialog shows when it opens.
    struct Opening {
        std::u16string id;
        std::u16string password;  // only when "savepw" is 1
        bool savePassword = false;
        bool autoLogin = false;
        // "savepw" and "autologin" both 1: log in at once, before showing.
        bool loginAtOnce = false;
        std::u16string title;  // "Ostiva Manager (Ver:<server version>)"
    };

    // A login attempt as the Login button makes it.
    struct Submission {
        // 104 (no ID) or 105 (no password): shown, nothing written, the
        // dialog stays open and no login is made.
        std::optional<StringId> refusal;
        std::u16string id;        // trimmed, as written and sent
        std::u16string password;  // trimmed, as written and sent
    };

    // `memory` (not owned) is the run's; without one each form stands alone.
    explicit LoginForm(Settings settings = Settings(), LoginMemory* memory = nullptr)
        : settings_(std::move(settings)), memory_(memory ? memory : &ownMemory_) {}
    LoginForm(const LoginForm&) = delete;
    LoginForm& operator=(const LoginForm&) = delete;

    Opening Open() const;

    // Trims the typed texts and, when both are left non-empty, writes
    // "helper"/"id", then "pw" and "savepw" 1 (Save Password ticked) or only
    // "savepw" 0 (the stored password stays), then "autologin", all in one
    // write of the file.
    Submission Submit(std::u16string_view typedId, std::u16string_view typedPassword,
                      bool savePassword, bool autoLogin);

    // After the session's Login: a login that did not succeed turns
    // automatic login off for the rest of the run, and in the file (written
    // only when the file says otherwise), so the next dialog waits for the
    // technician. Returns the dialog's end code.
    LoginDialogResult Finish(bool loggedIn);

    // The message for the first failed write of the settings in this run,
    // once; nothing afterwards and while every write succeeded.
    std::optional<PromptMessage> TakeWriteFailure();

    // The trimmed texts of the last submission.
    const std::u16string& id() const { return id_; }
    const std::u16string& password() const { return password_; }

    // White space as the wide-character space test knows it: space, tab,
    // line breaks (LF, VT, FF, CR, NEL, U+2028, U+2029) and the other Unicode
    // spaces (no-break, Ogham, the U+2000 block, narrow no-break, medium
    // mathematical, ideographic).
    static bool IsWideSpace(char16_t c);
    static std::u16string Trim(std::u16string_view text);

    // The window title for a server version text, at most 255 characters.
    static std::u16string Title(std::u16string_view version);

  private:
    void NoteWrite(bool written);

    Settings settings_;
    LoginMemory ownMemory_;
    LoginMemory* memory_;
    bool writeFailed_ = false;
    std::u16string id_;
    std::u16string password_;
};

}  // namespace ostiva
