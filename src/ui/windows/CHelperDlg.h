#pragma once
// The console's main window: My Information and the customer report on the
// left, the access-code list on the right, the banner on top and the menu
// bar above it. Everything the window decides lives in ConsoleLogic; this
// class lays the controls out from the window's template (dialog units, in
// the user's language), shows what the logic asks through ConsoleView and
// forwards clicks, menu commands, the code-list timer and the session's
// events to it.
//
// Usage (the application does this):
//     CHelperDlg window({session, launcher, settings, programDir, &prompt, &services});
//     events.Attach(&window);        // the session's events, queued to it
//     window.Open(session.Account());
//     window.exec();

#include <QDialog>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "console/ConsoleLogic.h"
#include "console/ConsoleView.h"
#include "session/Prompt.h"
#include "settings/SettingsKeys.h"
#include "ui/controls/Translations.h"
#include "ui/controls/UiLanguage.h"
#include "ui/windows/CodePictureCache.h"
#include "util/StringTable.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QTimer;
class QUrl;

namespace ostiva {

class CodeListWidget;
class CSideBannerWnd;
class CThemedPictureButton;

// What the main window opens besides itself. The application gives the real
// windows and the desktop; tests record the calls.
class MainWindowServices {
  public:
    virtual ~MainWindowServices() = default;
    // The settings dialog, modal over `parent`.
    virtual void RunSettings(QWidget* parent) = 0;
    // The history window for the helper ID, created hidden and owned by
    // `owner` (deleted with it).
    virtual QWidget* CreateHistoryWindow(QWidget* owner, const QString& helperId) = 0;
    // Loads the history page again and shows the window.
    virtual void ShowHistory(QWidget* historyWindow) = 0;
    // Opens an address with the desktop's browser; false with a reason when
    // it could not be handed over.
    virtual bool OpenAddress(const QUrl& address, QString* reason) = 0;
    // The about box, modal over `parent`.
    virtual void RunAbout(QWidget* parent) = 0;
};

class CHelperDlg : public QDialog, public ConsoleView {
    Q_OBJECT
  public:
    // Control ids of the window's template.
    enum ControlId {
        IdList = 1012,
        IdCopyUrl = 1013,
        IdConnect = 1014,
        IdDelete = 1015,
        IdCreate = 1016,
        IdHelperLabel = 1017,
        IdExpiryLabel = 1018,
        IdUrlLabel = 1019,
        IdExit = 1020,
        IdReportCompany = 1021,
        IdHelperValue = 1022,
        IdExpiryValue = 1023,
        IdUrlValue = 1024,
        IdReportName = 1025,
        IdCompanyLabel = 1026,
        IdCompanyValue = 1027,
        IdReportCompanyLabel = 1028,
        IdReportNameLabel = 1029,
        IdReportEmailLabel = 1030,
        IdReportPhoneLabel = 1031,
        IdBeginLabel = 1032,
        IdEndLabel = 1033,
        IdAddressLabel = 1034,
        IdOsLabel = 1035,
        IdMemoLabel = 1036,
        IdBeginValue = 1037,
        IdEndValue = 1038,
        IdAddressValue = 1039,
        IdOsValue = 1040,
        IdReportEmail = 1041,
        IdReportPhone = 1042,
        IdReportMemo = 1043,
        IdSetting = 1044,
        IdSave = 1045,
        IdTodayLabel = 1046,
        IdTodayValue = 1047,
    };
    // Menu command ids; 16 is the about item.
    enum CommandId {
        CmdAbout = 16,
        CmdSetting = 32771,
        CmdExit = 32772,
        CmdCreateCode = 32773,
        CmdDeleteCode = 32774,
        CmdConnect = 32775,
        CmdConnectionHistory = 32777,
        CmdSave = 32778,
        CmdVisitHomepage = 32779,
        CmdLinkSecond = 32781,
        CmdLinkFirst = 32782,
    };
    // The result the window ends with (closed, Exit, or the session ended).
    static constexpr int kResultClosed = 2;
    // The longest texts the report's fields carry to the server.
    static constexpr int kCompanyLength = 30;
    static constexpr int kNameLength = 31;
    static constexpr int kEmailLength = 30;
    static constexpr int kPhoneLength = 30;
    static constexpr int kMemoLength = 1024;

    struct Environment {
        CodeCommands& commands;
        ViewerLauncher& launcher;
        Settings settings;  // "server"/"version" for the caption
        std::u16string programDir;
        // Messages and questions; null: message boxes over this window.
        Prompt* prompt = nullptr;
        // Not owned; null: the menu's windows and links do nothing.
        MainWindowServices* services = nullptr;
        // Layout and texts; the installed translation's language by default.
        UiLanguage language = Translations::Current();
    };

    explicit CHelperDlg(Environment environment, QWidget* parent = nullptr);
    ~CHelperDlg() override;

    // The window's opening: shows the account and today's count, sets the
    // caption from "server"/"version", prepares the work directories,
    // disables what needs a selection, requests the first code, creates the
    // history window (hidden) and starts the code-list timer.
    void Open(const ConsoleAccount& account);

    // The session's events, on this window's thread.
    void OnCodeCreated(int32_t code);
    void OnCodeStatus(const wire::CodeStatus& status);
    // Signed in elsewhere (109) or connection lost (124): shows the message,
    // closes whatever modal window is open over this one and ends the window.
    void OnSessionEnd(StringId reason);
    bool SessionEnded() const { return sessionEnded_; }

    ConsoleLogic& Logic() { return *logic_; }
    const ConsoleLogic& Logic() const { return *logic_; }
    UiLanguage Language() const { return language_; }

    // The control with a template id, the menu item with a command id.
    QWidget* Control(int id) const;
    QAction* MenuCommand(int id) const;
    QMenuBar* MenuBar() const { return menuBar_; }
    QWidget* HistoryWindow() const { return historyWindow_; }
    CodeListWidget* CodeList() const { return list_; }
    const CodePictureCache& PictureCache() const { return pictures_; }
    CodePictureCache& PictureCache() { return pictures_; }
    CSideBannerWnd* Banner() const { return banner_; }

    // The menu bar's greying and link items as they must be before a popup
    // opens; runs on every popup's aboutToShow.
    void UpdateMenus();

    // ---- ConsoleView ----
    void ShowCodeList(const std::vector<CodeListItem>& items) override;
    void SetSelectionMark(int32_t index) override;
    void EnableControl(ConsoleControl control, bool enabled) override;
    void SetControlText(ConsoleControl control, std::u16string_view text) override;
    std::u16string GetControlText(ConsoleControl control) override;
    void Invalidate() override;
    bool AskYesNo(const PromptMessage& question) override;
    void ShowMessage(const PromptMessage& message) override;
    void CopyToClipboard(std::u16string_view text) override;

  public Q_SLOTS:
    // Escape never ends the window; only the commands below do.
    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The close box and File > Exit: asks ConfirmExit ("Do you want to exit?"), drops the codes.
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void BuildMenus();
    void Connect();
    QWidget* ControlFor(ConsoleControl control) const;

    // Commands.
    void OnExit();
    void OnSetting();
    void OnVisitHomepage();
    void OnConnectionHistory();
    void OpenLink(const std::u16string& address);
    void OnAbout();
    void OnListItemChanged();
    void OnListClick(int row);
    // Keeps the memo within its slot.
    void LimitMemo();

    UiLanguage language_;
    Settings settings_;
    Prompt* prompt_;
    std::unique_ptr<Prompt> ownPrompt_;
    MainWindowServices* services_;
    std::unique_ptr<ConsoleLogic> logic_;

    QMenuBar* menuBar_ = nullptr;
    QWidget* client_ = nullptr;  // everything below the menu bar
    CSideBannerWnd* banner_ = nullptr;
    CodeListWidget* list_ = nullptr;
    QLineEdit* reportCompany_ = nullptr;
    QLineEdit* reportName_ = nullptr;
    QLineEdit* reportEmail_ = nullptr;
    QLineEdit* reportPhone_ = nullptr;
    QPlainTextEdit* reportMemo_ = nullptr;
    std::map<int, QWidget*> controls_;
    std::map<int, QAction*> commands_;
    QTimer* codeTimer_ = nullptr;
    QPointer<QWidget> historyWindow_;

    CodePictureCache pictures_;
    // The image list: one picture per list position, kept when a file
    // cannot be loaded.
    std::vector<QPixmap> images_;
    // Set while the list is refilled or marked by the window itself, so that
    // the list's own notifications do not reach the logic.
    bool quietList_ = false;
    bool limitingMemo_ = false;
    bool sessionEnded_ = false;
};

}  // namespace ostiva
