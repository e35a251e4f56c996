#include "ui/windows/CLoginDlg.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QTimer>

#include "session/SessionClient.h"
#include "ui/controls/CThemedPictureButton.h"
#include "ui/controls/DialogUnits.h"
#include "ui/controls/GradientBackground.h"
#include "ui/controls/Pictures.h"
#include "ui/controls/Translations.h"
#include "ui/controls/UiText.h"
#include "ui/windows/CSettingDlg.h"
#include "ui/windows/MessageBoxPrompt.h"

namespace ostiva {

namespace {

QString Text(const char* source) {
    return QCoreApplication::translate("CLoginDlg", source);
}

[[maybe_unused]] const char* const kTexts[] = {
    QT_TRANSLATE_NOOP("CLoginDlg", "ID : "),
    QT_TRANSLATE_NOOP("CLoginDlg", "Password : "),
    QT_TRANSLATE_NOOP("CLoginDlg", "Save Password"),
    QT_TRANSLATE_NOOP("CLoginDlg", "Auto Login"),
    QT_TRANSLATE_NOOP("CLoginDlg", "Setting"),
    QT_TRANSLATE_NOOP("CLoginDlg", "Login"),
    QT_TRANSLATE_NOOP("CLoginDlg", "Cancel"),
    QT_TRANSLATE_NOOP("CLoginDlg", "Signing in..."),
    QT_TRANSLATE_NOOP("CLoginDlg", "Cancelling..."),
};

// How often a Cancel is repeated until the login has ended: a Cancel that
// arrives while the worker is only starting the login would otherwise be
// lost.
constexpr int kCancelRetryMs = 100;

struct Rect {
    int x, y, w, h;
};

// Template 103 in dialog units, English and Japanese.
struct Template {
    int width, height;
    Rect id, password, idLabel, passwordLabel;
    Rect savePassword, savePasswordLabel, autoLogin, autoLoginLabel;
    Rect setting, login, cancel;
    Rect status;  // the signing-in text, between the check boxes and the buttons
};

constexpr Template kEnglish{
    176,
    92,
    {56, 6, 112, 17},
    {56, 30, 112, 17},
    {34, 10, 15, 8},
    {11, 36, 38, 8},
    {56, 53, 8, 8},
    {65, 53, 55, 8},
    {122, 53, 8, 8},
    {132, 53, 36, 8},
    {6, 72, 40, 14},
    {86, 72, 40, 14},
    {129, 72, 40, 14},
    {56, 63, 112, 8},
};
constexpr Template kJapanese{
    186,
    92,
    {56, 6, 120, 17},
    {56, 30, 120, 17},
    {34, 10, 15, 8},
    {11, 36, 38, 8},
    {56, 53, 8, 8},
    {65, 53, 55, 8},
    {122, 53, 8, 8},
    {132, 53, 44, 8},
    {6, 72, 40, 14},
    {93, 72, 40, 14},
    {136, 72, 40, 14},
    {56, 63, 120, 8},
};

QRect Place(const DialogUnits& units, const Rect& r) {
    return units.Rect(r.x, r.y, r.w, r.h);
}

}  // namespace

CLoginDlg::CLoginDlg(SessionClient* session, Prompt* prompt, Settings settings, QWidget* parent,
                     LoginMemory* memory)
    : QDialog(parent),
      session_(session),
      prompt_(prompt),
      settings_(settings),
      form_(std::move(settings), memory) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(Pictures::Icon(Pictures::ApplicationIcon));
    if (prompt_ == nullptr) {
        ownPrompt_ = std::make_unique<MessageBoxPrompt>(this);
        prompt_ = ownPrompt_.get();
    }
    BuildControls();

    banner_.AttachToDialog(this);
    banner_.SetBannerIcon(Pictures::IconPixmap(Pictures::LoginIcon, 32));
    banner_.SetTitle(UiText(StringId::LoginBannerTitle));
    banner_.SetSubtitle(UiText(StringId::LoginBannerSubtitle));

    const LoginForm::Opening opening = form_.Open();
    idEdit_->setText(QString::fromStdU16String(opening.id));
    passwordEdit_->setText(QString::fromStdU16String(opening.password));
    savePassword_->setChecked(opening.savePassword);
    autoLogin_->setChecked(opening.autoLogin);
    setWindowTitle(QString::fromStdU16String(opening.title));
    loginAtOnce_ = opening.loginAtOnce;

    cancelRetry_ = new QTimer(this);
    cancelRetry_->setInterval(kCancelRetryMs);
    connect(cancelRetry_, &QTimer::timeout, this, [this] {
        if (session_ && !workerDone_.load()) session_->CancelLogin();
    });
}

CLoginDlg::~CLoginDlg() {
    StopWorker();
}

void CLoginDlg::BuildControls() {
    const UiLanguage language = Translations::Current();
    const Template& t = language == UiLanguage::Japanese ? kJapanese : kEnglish;
    const DialogUnits units(DialogUnits::TemplateFont(DialogTemplate::Login, language));
    setFont(units.Font());
    setFixedSize(units.Size(t.width, t.height));
    GradientBackground::Install(this);

    auto label = [&](const QString& text, const Rect& r) {
        auto* l = new QLabel(text, this);
        l->setGeometry(Place(units, r));
        GradientBackground::ShowThrough(l);
        return l;
    };
    auto edit = [&](const char* name, const Rect& r) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(Place(units, r));
        return e;
    };
    auto check = [&](const char* name, const Rect& r) {
        auto* box = new QCheckBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(Place(units, r));
        GradientBackground::ShowThrough(box);
        return box;
    };
    auto button = [&](const char* text, const char* name, const Rect& r, int picture) {
        auto* b = new CThemedPictureButton(Text(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(Place(units, r));
        b->SetFlatLook(false);
        const QImage image = Pictures::Button(picture);
        b->SetPictures(image, image);
        return b;
    };

    // Creation order is the tab order: the two edits, the boxes, the buttons.
    idEdit_ = edit(kIdEdit, t.id);
    passwordEdit_ = edit(kPasswordEdit, t.password);
    passwordEdit_->setEchoMode(QLineEdit::Password);
    label(Text("ID : "), t.idLabel)->setBuddy(idEdit_);
    label(Text("Password : "), t.passwordLabel)->setBuddy(passwordEdit_);
    savePassword_ = check(kSavePasswordBox, t.savePassword);
    label(Text("Save Password"), t.savePasswordLabel)->setBuddy(savePassword_);
    autoLogin_ = check(kAutoLoginBox, t.autoLogin);
    label(Text("Auto Login"), t.autoLoginLabel)->setBuddy(autoLogin_);
    status_ = label(QString(), t.status);
    status_->setObjectName(QString::fromLatin1(kStatusLabel));
    status_->hide();

    settingButton_ = button("Setting", kSettingButton, t.setting, Pictures::Sheet);
    loginButton_ = button("Login", kLoginButton, t.login, Pictures::CheckMark);
    cancelButton_ = button("Cancel", kCancelButton, t.cancel, Pictures::Cross);
    loginButton_->setDefault(true);
    setTabOrder(settingButton_, loginButton_);
    setTabOrder(loginButton_, cancelButton_);

    connect(loginButton_, &QPushButton::clicked, this, &CLoginDlg::OnLogin);
    connect(cancelButton_, &QPushButton::clicked, this, &CLoginDlg::reject);
    connect(settingButton_, &QPushButton::clicked, this, &CLoginDlg::OnSetting);
}

int CLoginDlg::exec() {
    if (loginAtOnce_) {
        loginAtOnce_ = false;
        OnLogin();
        if (signingIn_) {
            // No window yet: wait for the outcome, or until it is slow enough
            // that the technician should see what is going on.
            QEventLoop wait;
            connect(this, &QDialog::finished, &wait, &QEventLoop::quit);
            QTimer::singleShot(revealDelayMs_, &wait, &QEventLoop::quit);
            wait.exec();
        }
        if (ended_) return result();
    }
    return QDialog::exec();
}

void CLoginDlg::OnLogin() {
    if (signingIn_) return;
    const LoginForm::Submission submission =
        form_.Submit(idEdit_->text().toStdU16String(), passwordEdit_->text().toStdU16String(),
                     savePassword_->isChecked(), autoLogin_->isChecked());
    if (submission.refusal) {
        ShowRefusal(*submission.refusal);
        return;
    }
    StartLogin(submission.id, submission.password);
}

void CLoginDlg::ShowRefusal(StringId id) {
    PromptMessage message;
    message.id = id;
    prompt_->ShowMessage(message);
}

void CLoginDlg::StartLogin(std::u16string id, std::u16string password) {
    SetSigningIn(true);
    workerDone_ = false;
    worker_ = std::thread([this, id = std::move(id), password = std::move(password)] {
        bool loggedIn = false;
        try {
            loggedIn = session_ != nullptr && session_->Login(id, password);
        } catch (...) {
            // Login reports its failures itself; nothing may end the worker
            // without telling the dialog.
            loggedIn = false;
        }
        workerDone_ = true;
        // The dialog outlives the worker (its destructor joins), so the
        // call is delivered or dropped with the dialog, never left dangling.
        QMetaObject::invokeMethod(
            this, [this, loggedIn] { OnLoginFinished(loggedIn); }, Qt::QueuedConnection);
    });
    Q_EMIT LoginStarted();
}

void CLoginDlg::OnLoginFinished(bool loggedIn) {
    if (worker_.joinable()) worker_.join();
    cancelRetry_->stop();
    signingIn_ = false;
    cancelling_ = false;
    // A login that completed just as Cancel was pressed has still logged in.
    const LoginDialogResult result = form_.Finish(loggedIn);
    // Said once per run: the next dialog does not sign in by itself anyway.
    if (std::optional<PromptMessage> failure = form_.TakeWriteFailure())
        prompt_->ShowMessage(*failure);
    done(result);
}

void CLoginDlg::SetSigningIn(bool signingIn) {
    signingIn_ = signingIn;
    for (QWidget* input : std::initializer_list<QWidget*>{
             idEdit_, passwordEdit_, savePassword_, autoLogin_, loginButton_, settingButton_}) {
        input->setEnabled(!signingIn);
    }
    status_->setText(signingIn ? Text("Signing in...") : QString());
    status_->setVisible(signingIn);
    if (signingIn) cancelButton_->setFocus();
}

void CLoginDlg::reject() {
    if (!signingIn_) {
        done(kLoginCancelled);
        return;
    }
    if (cancelling_) return;
    cancelling_ = true;
    status_->setText(Text("Cancelling..."));
    cancelButton_->setEnabled(false);
    if (session_) session_->CancelLogin();
    cancelRetry_->start();
}

void CLoginDlg::done(int result) {
    ended_ = true;
    QDialog::done(result);
}

void CLoginDlg::OnSetting() {
    CSettingDlg::OnSetting(this, settings_);
}

void CLoginDlg::keyPressEvent(QKeyEvent* event) {
    // Escape never closes the login dialog; only Cancel and the close box do.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CLoginDlg::StopWorker() {
    if (!worker_.joinable()) return;
    // Only when the dialog goes away while its login runs (the application
    // quitting): stop it, and keep the window thread answering the
    // prompt's queued calls meanwhile so the worker can finish.
    while (!workerDone_.load()) {
        if (session_) session_->CancelLogin();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    }
    if (worker_.joinable()) worker_.join();
}

}  // namespace ostiva
