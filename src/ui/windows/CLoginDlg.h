#pragma once
// The login dialog, shown before the main window. It ends
// with kLoginSucceeded (6003), kLoginFailed (6000) or kLoginCancelled (2);
// the application shows a new dialog after 6000 (LoginForm.h).
//
// The login itself runs on a worker thread, so the window stays responsive
// while the server is slow or silent: the dialog disables its inputs, says
// that it is signing in and keeps Cancel available. Cancel (or the close
// box) during a login stops the attempt (SessionClient::CancelLogin); the
// attempt then counts as not succeeded and the dialog ends with 6000, and
// the fresh dialog that follows does not log in by itself. The questions
// and messages of the login come through the SessionClient's Prompt, which
// must be able to carry them to the window thread (console/MessageBoxPrompt
// does).
//
// With the password saved and Auto Login ticked, exec() starts the login
// before the dialog is shown: a success ends it unseen, a quick failure
// shows only the message. A login still running after the reveal delay shows
// the dialog in its signing-in state, so the technician can cancel it.
//
// Escape does not close the dialog; Enter presses Login.

#include <QDialog>
#include <atomic>
#include <memory>
#include <thread>

#include "console/LoginForm.h"
#include "settings/SettingsKeys.h"
#include "ui/controls/CSideBannerWnd.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QTimer;

namespace ostiva {

class CThemedPictureButton;
class Prompt;
class SessionClient;

class CLoginDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kRevealDelayMs = 2000;

    // objectNames of the controls, for the GUI tests.
    static constexpr const char* kIdEdit = "idEdit";                    // 1001
    static constexpr const char* kPasswordEdit = "passwordEdit";        // 1002
    static constexpr const char* kSavePasswordBox = "savePasswordBox";  // 1003
    static constexpr const char* kAutoLoginBox = "autoLoginBox";        // 1004
    static constexpr const char* kLoginButton = "loginButton";          // 1010
    static constexpr const char* kCancelButton = "cancelButton";        // 2
    static constexpr const char* kSettingButton = "settingButton";      // 1044
    static constexpr const char* kStatusLabel = "statusLabel";

    // `session` (not owned) logs in; `prompt` (not owned) shows the
    // dialog's own two messages (104, 105): the same prompt the session was
    // given, or null for message boxes. The settings file is read now.
    // `memory` (not owned, may be null) is what the run's dialogs share: a
    // failed login there keeps this dialog from signing in by itself.
    CLoginDlg(SessionClient* session, Prompt* prompt, Settings settings = Settings(),
              QWidget* parent = nullptr, LoginMemory* memory = nullptr);
    // Stops a login still running (it cannot outlive the dialog).
    ~CLoginDlg() override;

    // Runs the dialog modally; logs in by itself first when the file says so.
    int exec() override;

    // Cancel and the close box: ends with 2, or stops a running login.
    void reject() override;
    void done(int result) override;

    // How long a login started by itself may run before the dialog shows.
    void SetRevealDelay(int ms) { revealDelayMs_ = ms; }

    bool IsSigningIn() const { return signingIn_; }
    // The ID and password as last sent (trimmed).
    const std::u16string& HelperId() const { return form_.id(); }

    CSideBannerWnd& Banner() { return banner_; }

  public Q_SLOTS:
    void OnLogin();
    void OnSetting();

  Q_SIGNALS:
    // A login started on the worker (for tests and the status text).
    void LoginStarted();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void BuildControls();
    void StartLogin(std::u16string id, std::u16string password);
    void OnLoginFinished(bool loggedIn);
    void SetSigningIn(bool signingIn);
    void ShowRefusal(StringId id);
    void StopWorker();

    SessionClient* session_;
    Prompt* prompt_;
    std::unique_ptr<Prompt> ownPrompt_;
    Settings settings_;
    LoginForm form_;
    bool loginAtOnce_ = false;
    bool ended_ = false;
    int revealDelayMs_ = kRevealDelayMs;

    bool signingIn_ = false;
    bool cancelling_ = false;
    std::thread worker_;
    std::atomic<bool> workerDone_{true};
    QTimer* cancelRetry_ = nullptr;

    CSideBannerWnd banner_;
    QLineEdit* idEdit_ = nullptr;
    QLineEdit* passwordEdit_ = nullptr;
    QCheckBox* savePassword_ = nullptr;
    QCheckBox* autoLogin_ = nullptr;
    QLabel* status_ = nullptr;
    CThemedPictureButton* loginButton_ = nullptr;
    CThemedPictureButton* cancelButton_ = nullptr;
    CThemedPictureButton* settingButton_ = nullptr;
};

}  // namespace ostiva
