#pragma once
// The settings dialog (File > Setting): the login options, the proxy options
// and the viewer's options of the settings file. It reads the file when it
// opens and writes it only on Save; Cancel, Escape and the close box write
// nothing. The rules live in SettingsForm; this window copies its values to
// and from the widgets.
//
// Every window's Setting command runs OnSetting(window).

#include <QDialog>

#include "console/SettingsForm.h"
#include "settings/SettingsKeys.h"
#include "ui/controls/CSideBannerWnd.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace ostiva {

class CThemedPictureButton;

class CSettingDlg : public QDialog {
    Q_OBJECT
  public:
    // objectNames of the controls, for the GUI tests.
    static constexpr const char* kSavePassword = "savePasswordBox";      // 1048
    static constexpr const char* kAutoLogin = "autoLoginBox";            // 1004
    static constexpr const char* kUseProxy = "useProxyBox";              // 1050
    static constexpr const char* kManual = "manualRadio";                // 1051
    static constexpr const char* kAutomatic = "automaticRadio";          // 1049
    static constexpr const char* kProxyAddress = "proxyAddressEdit";     // 1021
    static constexpr const char* kProxyPort = "proxyPortEdit";           // 1022
    static constexpr const char* kProxyId = "proxyIdEdit";               // 1023
    static constexpr const char* kProxyPassword = "proxyPasswordEdit";   // 1024
    static constexpr const char* kControlAtStart = "controlAtStartBox";  // 1053
    static constexpr const char* kAutoRecording = "autoRecordingBox";    // 1055
    static constexpr const char* kScale = "scaleCombo";                  // 1052
    static constexpr const char* kQuality = "qualityCombo";              // 1054
    static constexpr const char* kDefaultButton = "defaultButton";       // 3
    static constexpr const char* kSaveButton = "saveButton";             // 1056
    static constexpr const char* kCancelButton = "cancelButton";         // 2

    explicit CSettingDlg(QWidget* parent = nullptr, Settings settings = Settings());
    ~CSettingDlg() override;

    // The Setting command of every window: the dialog, modal over `parent`;
    // its result does not matter to the caller.
    static void OnSetting(QWidget* parent, Settings settings = Settings());

    // Puts the proxy controls into mode 0, 1 or 2; other modes change nothing.
    void SetProxyMode(int mode);

    CSideBannerWnd& Banner() { return banner_; }

  public Q_SLOTS:
    void OnDefault();
    void OnSave();
    void OnUseProxy();
    void OnManual();
    void OnAutomatic();

  private:
    void BuildControls();
    // The widgets' values into the form, and the form's into the widgets.
    void ReadControls();
    void ShowForm();
    void ShowProxy();

    Settings settings_;
    SettingsForm form_;
    CSideBannerWnd banner_;

    QCheckBox* savePassword_ = nullptr;
    QCheckBox* autoLogin_ = nullptr;
    QCheckBox* useProxy_ = nullptr;
    QRadioButton* manual_ = nullptr;
    QRadioButton* automatic_ = nullptr;
    QLineEdit* proxyAddress_ = nullptr;
    QLineEdit* proxyPort_ = nullptr;
    QLineEdit* proxyId_ = nullptr;
    QLineEdit* proxyPassword_ = nullptr;
    QCheckBox* controlAtStart_ = nullptr;
    QCheckBox* autoRecording_ = nullptr;
    QComboBox* scale_ = nullptr;
    QComboBox* quality_ = nullptr;
    CThemedPictureButton* defaultButton_ = nullptr;
    CThemedPictureButton* saveButton_ = nullptr;
    CThemedPictureButton* cancelButton_ = nullptr;
};

}  // namespace ostiva
