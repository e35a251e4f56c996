#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <vector>

#include "session/SessionClient.h"
#include "support/ServerProcess.h"
#include "transport/ListenerIPv4.h"
#include "ui/controls/DialogUnits.h"
#include "ui/controls/Translations.h"
#include "ui/controls/UiText.h"
#include "ui/windows/CLoginDlg.h"
#include "ui/windows/CSettingDlg.h"
#include "ui/windows/MessageBoxPrompt.h"

using namespace ostiva;

namespace {

// Long enough for a key exchange on a loaded machine; a wait that runs out
// fails the test instead of hanging it.
constexpr int kLoginWaitMs = 60000;

// Answers for the technician and remembers what was shown, from any thread.
class ScriptedPrompt : public Prompt {
  public:
    void ShowMessage(const PromptMessage& message) override { Record(message); }
    bool AskYesNo(const PromptMessage& question) override {
        Record(question);
        return answer.load();
    }

    std::vector<StringId> Ids() const {
        std::lock_guard<std::mutex> guard(lock_);
        std::vector<StringId> ids;
        for (const PromptMessage& m : messages_) ids.push_back(m.id);
        return ids;
    }

    std::atomic<bool> answer{false};

  private:
    void Record(const PromptMessage& message) {
        std::lock_guard<std::mutex> guard(lock_);
        messages_.push_back(message);
    }
    mutable std::mutex lock_;
    std::vector<PromptMessage> messages_;
};

// Counts the times a window is shown.
class ShowCounter : public QObject {
  public:
    explicit ShowCounter(QWidget* window) { window->installEventFilter(this); }
    int count = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) ++count;
        return false;
    }
};

template <typename T>
T* Find(QWidget* dialog, const char* name) {
    T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
    if (widget == nullptr) qFatal("no control %s", name);
    return widget;
}

}  // namespace

class LoginDialogTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void cleanup();

    void prefillsFromTheFile();
    void refusesEmptyIdOrPassword();
    void escapeDoesNotCloseAndEnterPressesLogin();
    void settingButtonOpensTheSettingsOverTheDialog();
    void logsInAgainstTheServerAndWritesTheFile();
    void failedLoginTurnsAutoLoginOff();
    void autoLoginSucceedsWithoutShowingTheDialog();
    void failedAutoLoginShowsOnlyTheMessage();
    void failedAutoLoginStopsForTheRunWhenTheFileCannotBeWritten();
    void cancelStopsALoginToASilentServer();
    void slowAutoLoginShowsTheDialogToCancel();
    void forcedLoginQuestionIsAskedOnTheWindowThread();
    void japaneseTexts();
    void japaneseConnectionFailuresHaveNoEnglishWords();

  private:
    // Signs in through the dialog with the real message boxes and gives the
    // text of the message box the failure shows.
    QString FailureMessageOf(const std::string& settings);

    Settings MakeSettings() const { return Settings(Profile(File())); }
    std::string File() const { return (dir_->path() + QStringLiteral("/info.dat")).toStdString(); }
    void WriteFile(const std::string& text) const {
        std::ofstream(File(), std::ios::binary | std::ios::trunc) << text;
    }
    std::string ReadFile() const {
        std::ifstream in(File(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static std::string ServerSection(uint16_t port) {
        return "[server]\nsvr_addr=127.0.0.1\nsvr_port=" + std::to_string(port) + "\n";
    }
    std::unique_ptr<SessionClient> MakeSession(Prompt* prompt) const {
        auto session = std::make_unique<SessionClient>(MakeSettings(), prompt);
        SessionClient::Timeouts timeouts;
        timeouts.connectMs = kLoginWaitMs;
        timeouts.replyMs = kLoginWaitMs;
        session->SetTimeouts(timeouts);
        return session;
    }

    std::unique_ptr<QTemporaryDir> dir_;
};

void LoginDialogTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void LoginDialogTest::cleanup() {
    dir_.reset();
}

void LoginDialogTest::prefillsFromTheFile() {
    WriteFile("[helper]\nid=alice\npw=stored\nsavepw=1\nautologin=0\n");
    ScriptedPrompt prompt;
    {
        CLoginDlg dialog(nullptr, &prompt, MakeSettings());
        QCOMPARE(Find<QLineEdit>(&dialog, CLoginDlg::kIdEdit)->text(), QStringLiteral("alice"));
        QCOMPARE(Find<QLineEdit>(&dialog, CLoginDlg::kPasswordEdit)->text(),
                 QStringLiteral("stored"));
        QCOMPARE(Find<QLineEdit>(&dialog, CLoginDlg::kPasswordEdit)->echoMode(),
                 QLineEdit::Password);
        QVERIFY(Find<QCheckBox>(&dialog, CLoginDlg::kSavePasswordBox)->isChecked());
        QVERIFY(!Find<QCheckBox>(&dialog, CLoginDlg::kAutoLoginBox)->isChecked());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Ostiva Manager (Ver:unknown)"));
        QCOMPARE(dialog.Banner().Title(), QStringLiteral("Ostiva Login"));
        QVERIFY(!dialog.Banner().BannerIcon().isNull());
    }

    // A stored password is not filled in without "savepw" 1, and Auto Login
    // alone does not log in: exec() shows the dialog and waits.
    WriteFile(
        "[server]\nversion=1.2.3.4.5.6x\n[helper]\nid=alice\npw=stored\nsavepw=0\n"
        "autologin=1\n");
    CLoginDlg dialog(nullptr, &prompt, MakeSettings());
    QCOMPARE(Find<QLineEdit>(&dialog, CLoginDlg::kPasswordEdit)->text(), QString());
    QVERIFY(Find<QCheckBox>(&dialog, CLoginDlg::kAutoLoginBox)->isChecked());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Ostiva Manager (Ver:1.2.3.4.5.6x)"));
    bool shownWaiting = false;
    QTimer::singleShot(0, &dialog, [&] {
        shownWaiting = dialog.isVisible() && !dialog.IsSigningIn();
        Find<QAbstractButton>(&dialog, CLoginDlg::kCancelButton)->click();
    });
    QCOMPARE(dialog.exec(), int(kLoginCancelled));
    QVERIFY(shownWaiting);
    QVERIFY(prompt.Ids().empty());
}

void LoginDialogTest::refusesEmptyIdOrPassword() {
    ScriptedPrompt prompt;
    CLoginDlg dialog(nullptr, &prompt, MakeSettings());
    dialog.show();
    auto* id = Find<QLineEdit>(&dialog, CLoginDlg::kIdEdit);
    auto* password = Find<QLineEdit>(&dialog, CLoginDlg::kPasswordEdit);
    auto* login = Find<QAbstractButton>(&dialog, CLoginDlg::kLoginButton);

    id->setText(QStringLiteral("  \t"));  // the ID is checked before the empty password
    login->click();
    id->setText(QStringLiteral(" alice"));
    password->setText(QStringLiteral(" \u3000 "));
    login->click();
    QCOMPARE(prompt.Ids(), (std::vector<StringId>{StringId::EnterId, StringId::EnterPassword}));
    QVERIFY(dialog.isVisible());
    QVERIFY(!dialog.IsSigningIn());
    // The edits keep what was typed; nothing reached the file.
    QCOMPARE(id->text(), QStringLiteral(" alice"));
    QVERIFY(!std::filesystem::exists(File()));
}

void LoginDialogTest::escapeDoesNotCloseAndEnterPressesLogin() {
    ScriptedPrompt prompt;
    CLoginDlg dialog(nullptr, &prompt, MakeSettings());
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* id = Find<QLineEdit>(&dialog, CLoginDlg::kIdEdit);
    id->setFocus();
    QTest::keyClick(id, Qt::Key_Escape);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    QCOMPARE(finished.count(), 0);

    QTest::keyClick(id, Qt::Key_Return);  // Login with an empty ID
    QCOMPARE(prompt.Ids(), std::vector<StringId>{StringId::EnterId});

    // The close box is Cancel.
    dialog.close();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(dialog.result(), int(kLoginCancelled));
}

void LoginDialogTest::settingButtonOpensTheSettingsOverTheDialog() {
    ScriptedPrompt prompt;
    CLoginDlg dialog(nullptr, &prompt, MakeSettings());
    dialog.show();
    QPointer<QWidget> opened;
    QWidget* parent = nullptr;
    QTimer::singleShot(0, &dialog, [&] {
        opened = QApplication::activeModalWidget();
        if (opened) parent = opened->parentWidget();
        if (auto* settings = qobject_cast<CSettingDlg*>(opened.data())) settings->reject();
    });
    Find<QAbstractButton>(&dialog, CLoginDlg::kSettingButton)->click();
    QVERIFY(opened.isNull());  // run modally and gone when it closed
    QCOMPARE(parent, static_cast<QWidget*>(&dialog));
    QVERIFY(!std::filesystem::exists(File()));  // cancelled: nothing written
}

void LoginDialogTest::logsInAgainstTheServerAndWritesTheFile() {
    test::ServerProcess server;
    QVERIFY2(server.IsRunning(), server.Log().c_str());
    WriteFile(ServerSection(server.Port()));
    ScriptedPrompt prompt;
    auto session = MakeSession(&prompt);

    CLoginDlg dialog(session.get(), &prompt, MakeSettings());
    QSignalSpy started(&dialog, &CLoginDlg::LoginStarted);
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    Find<QLineEdit>(&dialog, CLoginDlg::kIdEdit)->setText(QStringLiteral(" alice "));
    Find<QLineEdit>(&dialog, CLoginDlg::kPasswordEdit)->setText(QStringLiteral("secret-a\t"));
    Find<QCheckBox>(&dialog, CLoginDlg::kSavePasswordBox)->setChecked(true);
    Find<QAbstractButton>(&dialog, CLoginDlg::kLoginButton)->click();

    QCOMPARE(started.count(), 1);
    // While signing in: the inputs are off, Cancel stays, the status says so.
    if (finished.isEmpty()) {
        QVERIFY(dialog.IsSigningIn());
        QVERIFY(!Find<QLineEdit>(&dialog, CLoginDlg::kIdEdit)->isEnabled());
        QVERIFY(!Find<QAbstractButton>(&dialog, CLoginDlg::kLoginButton)->isEnabled());
        QVERIFY(!Find<QAbstractButton>(&dialog, CLoginDlg::kSettingButton)->isEnabled());
        QVERIFY(Find<QAbstractButton>(&dialog, CLoginDlg::kCancelButton)->isEnabled());
        QVERIFY(Find<QLabel>(&dialog, CLoginDlg::kStatusLabel)->isVisible());
    }
    QVERIFY(finished.count() == 1 || finished.wait(kLoginWaitMs));
    QCOMPARE(dialog.result(), int(kLoginSucceeded));
    QVERIFY(session->IsConnected());
    QCOMPARE(session->helperId(), std::u16string(u"alice"));
    QCOMPARE(dialog.HelperId(), std::u16string(u"alice"));
    QVERIFY(prompt.Ids().empty());
    QCOMPARE(ReadFile(), ServerSection(server.Port()) +
                             "[helper]\nid=alice\npw=secret-a\nsavepw=1\nautologin=0\n");
    session->Stop();
}

void LoginDialogTest::failedLoginTurnsAutoLoginOff() {
    test::ServerProcess server;
    QVERIFY2(server.IsRunning(), server.Log().c_str());
    WriteFile(ServerSection(server.Port()) + "[helper]\npw=kept\n");
    ScriptedPrompt prompt;
    auto session = MakeSession(&prompt);

    CLoginDlg dialog(session.get(), &prompt, MakeSettings());
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    Find<QLineEdit>(&dialog, CLoginDlg::kIdEdit)->setText(QStringLiteral("alice"));
    Find<QLineEdit>(&dialog, CLoginDlg::kPasswordEdit)->setText(QStringLiteral("wrong"));
    Find<QCheckBox>(&dialog, CLoginDlg::kAutoLoginBox)->setChecked(true);
    Find<QAbstractButton>(&dialog, CLoginDlg::kLoginButton)->click();
    QVERIFY(finished.count() == 1 || finished.wait(kLoginWaitMs));
    QCOMPARE(dialog.result(), int(kLoginFailed));
    QCOMPARE(prompt.Ids(), std::vector<StringId>{StringId::WrongCredentials});
    // Save Password unticked: the stored password stays, "savepw" 0; Auto
    // Login was written as ticked, then turned off by the failure.
    QCOMPARE(ReadFile(),
             ServerSection(server.Port()) + "[helper]\npw=kept\nid=alice\nsavepw=0\nautologin=0\n");
}

void LoginDialogTest::autoLoginSucceedsWithoutShowingTheDialog() {
    test::ServerProcess server;
    QVERIFY2(server.IsRunning(), server.Log().c_str());
    WriteFile(ServerSection(server.Port()) +
              "[helper]\nid=alice\npw=secret-a\nsavepw=1\nautologin=1\n");
    ScriptedPrompt prompt;
    auto session = MakeSession(&prompt);

    CLoginDlg dialog(session.get(), &prompt, MakeSettings());
    // However slow the machine, this login must end before the dialog shows.
    dialog.SetRevealDelay(kLoginWaitMs * 2);
    ShowCounter shows(&dialog);
    const int result = dialog.exec();
    QCOMPARE(shows.count, 0);
    QCOMPARE(result, int(kLoginSucceeded));
    QVERIFY(session->IsConnected());
    session->Stop();
}

void LoginDialogTest::failedAutoLoginShowsOnlyTheMessage() {
    test::ServerProcess server;
    QVERIFY2(server.IsRunning(), server.Log().c_str());
    WriteFile(ServerSection(server.Port()) +
              "[helper]\nid=alice\npw=wrong\nsavepw=1\nautologin=1\n");
    ScriptedPrompt prompt;
    auto session = MakeSession(&prompt);

    auto dialog = std::make_unique<CLoginDlg>(session.get(), &prompt, MakeSettings());
    dialog->SetRevealDelay(kLoginWaitMs * 2);
    ShowCounter shows(dialog.get());
    QCOMPARE(dialog->exec(), int(kLoginFailed));
    QCOMPARE(prompt.Ids(), std::vector<StringId>{StringId::WrongCredentials});
    QCOMPARE(shows.count, 0);  // the message came with no dialog on screen
    dialog.reset();

    // The next dialog waits for the technician, Auto Login unticked.
    CLoginDlg next(session.get(), &prompt, MakeSettings());
    QVERIFY(!Find<QCheckBox>(&next, CLoginDlg::kAutoLoginBox)->isChecked());
    QTimer::singleShot(0, &next, [&] { next.reject(); });
    QCOMPARE(next.exec(), int(kLoginCancelled));
}

void LoginDialogTest::failedAutoLoginStopsForTheRunWhenTheFileCannotBeWritten() {
    test::ServerProcess server;
    QVERIFY2(server.IsRunning(), server.Log().c_str());
    const std::string text =
        ServerSection(server.Port()) + "[helper]\nid=alice\npw=wrong\nsavepw=1\nautologin=1\n";
    WriteFile(text);
    // Another writer holds the settings lock for the whole run: every write
    // fails (after its wait), so the file keeps saying "autologin" 1.
    const int directory = ::open(dir_->path().toLocal8Bit().constData(), O_RDONLY | O_DIRECTORY);
    QVERIFY(directory >= 0);
    QCOMPARE(::flock(directory, LOCK_EX), 0);
    ScriptedPrompt prompt;
    auto session = MakeSession(&prompt);
    LoginMemory memory;  // as the application keeps it across its dialogs
    int loginsStarted = 0;

    // The dialogs as the application runs them, a fresh one after each failure.
    auto first =
        std::make_unique<CLoginDlg>(session.get(), &prompt, MakeSettings(), nullptr, &memory);
    first->SetRevealDelay(kLoginWaitMs * 2);
    connect(first.get(), &CLoginDlg::LoginStarted, [&] { ++loginsStarted; });
    QCOMPARE(first->exec(), int(kLoginFailed));
    first.reset();
    QCOMPARE(prompt.Ids(),
             (std::vector<StringId>{StringId::WrongCredentials, StringId::SettingsNotSaved}));

    // The second dialog waits for the technician; a login typed there that
    // fails again is not reported as an unsaved file a second time.
    auto second =
        std::make_unique<CLoginDlg>(session.get(), &prompt, MakeSettings(), nullptr, &memory);
    connect(second.get(), &CLoginDlg::LoginStarted, [&] { ++loginsStarted; });
    QVERIFY(!Find<QCheckBox>(second.get(), CLoginDlg::kAutoLoginBox)->isChecked());
    QTimer::singleShot(0, second.get(), [&] {
        QCOMPARE(loginsStarted, 1);
        Find<QAbstractButton>(second.get(), CLoginDlg::kLoginButton)->click();
    });
    QCOMPARE(second->exec(), int(kLoginFailed));
    second.reset();
    QCOMPARE(loginsStarted, 2);
    QCOMPARE(prompt.Ids(),
             (std::vector<StringId>{StringId::WrongCredentials, StringId::SettingsNotSaved,
                                    StringId::WrongCredentials}));

    CLoginDlg third(session.get(), &prompt, MakeSettings(), nullptr, &memory);
    connect(&third, &CLoginDlg::LoginStarted, [&] { ++loginsStarted; });
    QTimer::singleShot(0, &third, [&] { third.reject(); });
    QCOMPARE(third.exec(), int(kLoginCancelled));
    QCOMPARE(loginsStarted, 2);
    QCOMPARE(ReadFile(), text);  // nothing could be written
    ::close(directory);
}

void LoginDialogTest::cancelStopsALoginToASilentServer() {
    ListenerIPv4 silent;  // listens, never accepts, never answers
    WriteFile(ServerSection(silent.Port()));
    ScriptedPrompt prompt;
    auto session = MakeSession(&prompt);

    CLoginDlg dialog(session.get(), &prompt, MakeSettings());
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    Find<QLineEdit>(&dialog, CLoginDlg::kIdEdit)->setText(QStringLiteral("alice"));
    Find<QLineEdit>(&dialog, CLoginDlg::kPasswordEdit)->setText(QStringLiteral("secret-a"));
    Find<QCheckBox>(&dialog, CLoginDlg::kAutoLoginBox)->setChecked(true);
    Find<QAbstractButton>(&dialog, CLoginDlg::kLoginButton)->click();
    QVERIFY(dialog.IsSigningIn());

    // The window keeps working while the server says nothing.
    QTest::qWait(200);
    QVERIFY(finished.isEmpty());
    QVERIFY(dialog.IsSigningIn());
    QTest::keyClick(&dialog, Qt::Key_Escape);  // still not a way out
    QVERIFY(dialog.IsSigningIn());

    Find<QAbstractButton>(&dialog, CLoginDlg::kCancelButton)->click();
    // The server's own time limit is a minute: ending before it means the
    // cancel stopped the attempt.
    QVERIFY(finished.count() == 1 || finished.wait(kLoginWaitMs / 2));
    QCOMPARE(dialog.result(), int(kLoginFailed));
    QCOMPARE(session->LastLoginFailure().reason, LoginFailureReason::Cancelled);
    QVERIFY(prompt.Ids().empty());
    QVERIFY(ReadFile().find("autologin=0") != std::string::npos);
    QVERIFY(!session->IsConnected());
}

void LoginDialogTest::slowAutoLoginShowsTheDialogToCancel() {
    ListenerIPv4 silent;
    WriteFile(ServerSection(silent.Port()) +
              "[helper]\nid=alice\npw=secret-a\nsavepw=1\nautologin=1\n");
    ScriptedPrompt prompt;
    auto session = MakeSession(&prompt);

    CLoginDlg dialog(session.get(), &prompt, MakeSettings());
    dialog.SetRevealDelay(100);
    bool shownSigningIn = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        if (!dialog.isVisible()) return;
        poll.stop();
        shownSigningIn = dialog.IsSigningIn();
        Find<QAbstractButton>(&dialog, CLoginDlg::kCancelButton)->click();
    });
    poll.start();
    QTimer giveUp;  // bounds the test if the dialog never shows
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &dialog, [&] { session->CancelLogin(); });
    giveUp.start(kLoginWaitMs / 2);

    QCOMPARE(dialog.exec(), int(kLoginFailed));
    QVERIFY(shownSigningIn);
    QCOMPARE(session->LastLoginFailure().reason, LoginFailureReason::Cancelled);
    QCOMPARE(MakeSettings().AutoLogin(), 0);
}

void LoginDialogTest::forcedLoginQuestionIsAskedOnTheWindowThread() {
    test::ServerProcess server;
    QVERIFY2(server.IsRunning(), server.Log().c_str());
    WriteFile(ServerSection(server.Port()));

    // alice is signed in elsewhere already.
    ScriptedPrompt quiet;
    auto first = MakeSession(&quiet);
    QVERIFY(first->Login(u"alice", u"secret-a"));

    // The real message boxes: the question comes from the login's worker.
    MessageBoxPrompt boxes;
    auto session = MakeSession(&boxes);
    CLoginDlg dialog(session.get(), &boxes, MakeSettings());
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    Find<QLineEdit>(&dialog, CLoginDlg::kIdEdit)->setText(QStringLiteral("alice"));
    Find<QLineEdit>(&dialog, CLoginDlg::kPasswordEdit)->setText(QStringLiteral("secret-a"));

    QString asked;
    bool onWindowThread = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        poll.stop();
        asked = box->text();
        onWindowThread = box->thread() == QThread::currentThread() &&
                         box->thread() == QCoreApplication::instance()->thread();
        box->button(QMessageBox::Yes)->click();
    });
    poll.start();
    Find<QAbstractButton>(&dialog, CLoginDlg::kLoginButton)->click();
    QVERIFY(finished.count() == 1 || finished.wait(kLoginWaitMs));
    QCOMPARE(asked, UiText(StringId::LoginAlreadyActive));
    QVERIFY(onWindowThread);
    QCOMPARE(dialog.result(), int(kLoginSucceeded));
    session->Stop();
    first->Stop();
}

void LoginDialogTest::japaneseTexts() {
    auto& app = *static_cast<QApplication*>(QCoreApplication::instance());
    Translations::Install(app, QLocale(QStringLiteral("ja_JP")));
    {
        ScriptedPrompt prompt;
        CLoginDlg dialog(nullptr, &prompt, MakeSettings());
        QStringList labels;
        for (QLabel* label : dialog.findChildren<QLabel*>()) labels << label->text();
        for (const char* text : {"ID : ", "パスワード : ", "パスワード保存", "自動ログイン"})
            QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
        QCOMPARE(Find<QAbstractButton>(&dialog, CLoginDlg::kLoginButton)->text(),
                 QStringLiteral("ログイン"));
        QCOMPARE(Find<QAbstractButton>(&dialog, CLoginDlg::kCancelButton)->text(),
                 QStringLiteral("取消"));
        QCOMPARE(Find<QAbstractButton>(&dialog, CLoginDlg::kSettingButton)->text(),
                 QStringLiteral("設定"));
        QCOMPARE(dialog.Banner().Title(), QStringLiteral("Ostiva ログイン"));
        QCOMPARE(dialog.Banner().Subtitle(), QStringLiteral("ID/Passwordを入力してください。"));

        // The Japanese template is wider, and its Login button sits further
        // right than the English one's.
        const DialogUnits units(
            DialogUnits::TemplateFont(DialogTemplate::Login, UiLanguage::Japanese));
        QCOMPARE(dialog.width(), units.X(186));
        QCOMPARE(Find<QAbstractButton>(&dialog, CLoginDlg::kLoginButton)->x(), units.X(93));
    }
    Translations::Install(app, QLocale(QStringLiteral("en_US")));
}

QString LoginDialogTest::FailureMessageOf(const std::string& settings) {
    WriteFile(settings);
    MessageBoxPrompt boxes;
    auto session = MakeSession(&boxes);
    CLoginDlg dialog(session.get(), &boxes, MakeSettings());
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    Find<QLineEdit>(&dialog, CLoginDlg::kIdEdit)->setText(QStringLiteral("alice"));
    Find<QLineEdit>(&dialog, CLoginDlg::kPasswordEdit)->setText(QStringLiteral("secret-a"));
    QString shown;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        poll.stop();
        shown = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    poll.start();
    Find<QAbstractButton>(&dialog, CLoginDlg::kLoginButton)->click();
    if (finished.isEmpty()) finished.wait(kLoginWaitMs);
    if (dialog.result() != int(kLoginFailed)) return QStringLiteral("(the login did not fail)");
    if (session->LastLoginFailure().routes.empty()) return QStringLiteral("(no route reasons)");
    return shown;
}

void LoginDialogTest::japaneseConnectionFailuresHaveNoEnglishWords() {
    uint16_t closed;
    {
        ListenerIPv4 listener;
        closed = listener.Port();
    }
    // Host names are the user's own words; the protocol names are not
    // English. Whatever else is written in Latin letters is an English
    // fragment in a Japanese message.
    const QRegularExpression hostName(QStringLiteral("\\blocalhost\\b"));
    const QRegularExpression protocol(QStringLiteral("\\b(HTTP|SOCKS4|SOCKS5)\\b"));
    const QRegularExpression latinWord(QStringLiteral("[A-Za-z]{2,}"));
    struct Case {
        const char* name;
        std::string settings;
        int routes;
    };
    const std::string server = "[server]\nsvr_addr=localhost\nsvr_port=" + std::to_string(closed);
    const Case cases[] = {
        {"refused direct connection", server + "\n", 1},
        {"refused proxy",
         server + "\n[proxy]\nuse=1\naddr=localhost\nport=" + std::to_string(closed) +
             "\nid=proxy-user\npw=proxy-secret\n",
         4},
    };
    auto& app = *static_cast<QApplication*>(QCoreApplication::instance());
    Translations::Install(app, QLocale(QStringLiteral("ja_JP")));
    for (const Case& c : cases) {
        QString text = FailureMessageOf(c.settings);
        qInfo("%s: %s", c.name, qPrintable(text));
        QVERIFY2(text.startsWith(QStringLiteral("サーバーに接続できません。")), qPrintable(text));
        QCOMPARE(int(text.count(QStringLiteral("接続が拒否されました"))), c.routes);
        QVERIFY2(!text.contains(QStringLiteral("proxy-secret")), qPrintable(text));
        QString rest = text;
        rest.remove(hostName).remove(protocol);
        QRegularExpressionMatch english = latinWord.match(rest);
        QVERIFY2(!english.hasMatch(),
                 qPrintable(QString::fromUtf8(c.name) + QStringLiteral(": \"") +
                            english.captured() + QStringLiteral("\" in ") + text));
    }
    Translations::Install(app, QLocale(QStringLiteral("en_US")));
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Translations::Install(app, QLocale(QStringLiteral("en_US")));
    LoginDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_login_dialog.moc"
