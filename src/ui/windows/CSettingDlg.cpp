#include "ui/windows/CSettingDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "ui/controls/CThemedPictureButton.h"
#include "ui/controls/DialogUnits.h"
#include "ui/controls/Pictures.h"
#include "ui/controls/Translations.h"
#include "ui/controls/UiText.h"

namespace ostiva {

namespace {

// Texts of this window; lupdate reads the literal context.
QString Text(const char* source) {
    return QCoreApplication::translate("CSettingDlg", source);
}

[[maybe_unused]] const char* const kTexts[] = {
    QT_TRANSLATE_NOOP("CSettingDlg", "Ostiva - Setting"),
    QT_TRANSLATE_NOOP("CSettingDlg", "Login"),
    QT_TRANSLATE_NOOP("CSettingDlg", "Save Password"),
    QT_TRANSLATE_NOOP("CSettingDlg", "Auto Login"),
    QT_TRANSLATE_NOOP("CSettingDlg", "Proxy Server"),
    QT_TRANSLATE_NOOP("CSettingDlg", "Use Proxy Server"),
    QT_TRANSLATE_NOOP("CSettingDlg", "Manual"),
    QT_TRANSLATE_NOOP("CSettingDlg", "Automatic"),
    QT_TRANSLATE_NOOP("CSettingDlg", "Server  : "),
    QT_TRANSLATE_NOOP("CSettingDlg", "Port : "),
    QT_TRANSLATE_NOOP("CSettingDlg", "ID : "),
    QT_TRANSLATE_NOOP("CSettingDlg", "Password : "),
    QT_TRANSLATE_NOOP("CSettingDlg", "Viewer"),
    QT_TRANSLATE_NOOP("CSettingDlg", "Control at the start"),
    QT_TRANSLATE_NOOP("CSettingDlg", "Auto Recording"),
    QT_TRANSLATE_NOOP("CSettingDlg", "Screen Scale :"),
    QT_TRANSLATE_NOOP("CSettingDlg", "Quality/Speed :"),
    QT_TRANSLATE_NOOP("CSettingDlg", "* Viewer settings are applied from the next connection."),
    QT_TRANSLATE_NOOP("CSettingDlg", "Default"),
    QT_TRANSLATE_NOOP("CSettingDlg", "Save"),
    QT_TRANSLATE_NOOP("CSettingDlg", "Cancel"),
};

// Template 146, 201 x 288 dialog units, before the banner: three groups one
// under another, the note, then Default at the bottom left and Save and
// Cancel at the bottom right.
constexpr int kWidth = 201;
constexpr int kHeight = 288;

struct Rect {
    int x, y, w, h;
};
constexpr Rect kLoginGroup{7, 4, 187, 32};
constexpr Rect kSavePasswordBox{16, 18, 80, 10};
constexpr Rect kAutoLoginBox{104, 18, 80, 10};
constexpr Rect kProxyGroup{7, 41, 187, 114};
constexpr Rect kUseProxyBox{16, 54, 120, 10};
constexpr Rect kManualRadio{28, 68, 64, 10};
constexpr Rect kAutomaticRadio{100, 68, 70, 10};
constexpr int kProxyRowTop = 84;  // the four edit boxes, 17 units apart
constexpr int kProxyRowStep = 17;
constexpr Rect kProxyLabel{16, 3, 48, 8};  // y relative to its row
constexpr Rect kProxyEdit{66, 0, 118, 14};
constexpr Rect kViewerGroup{7, 160, 187, 82};
constexpr Rect kControlAtStartBox{16, 173, 160, 10};
constexpr Rect kAutoRecordingBox{16, 187, 160, 10};
constexpr Rect kScaleLabel{16, 205, 62, 8};
constexpr Rect kScaleCombo{80, 203, 50, 14};
constexpr Rect kPercentLabel{133, 205, 10, 8};
constexpr Rect kQualityLabel{16, 223, 62, 8};
constexpr Rect kQualityCombo{80, 221, 84, 14};
constexpr Rect kNote{7, 248, 190, 10};
constexpr Rect kDefaultRect{7, 266, 50, 14};
constexpr Rect kSaveRect{90, 266, 50, 14};
constexpr Rect kCancelRect{144, 266, 50, 14};

QRect Place(const DialogUnits& units, const Rect& r, int dy = 0) {
    return units.Rect(r.x, r.y + dy, r.w, r.h);
}

void PrepareButton(CThemedPictureButton* button, int picture) {
    button->SetFlatLook(false);
    const QImage image = Pictures::Button(picture);
    button->SetPictures(image, image);
}

}  // namespace

CSettingDlg::CSettingDlg(QWidget* parent, Settings settings)
    : QDialog(parent), settings_(std::move(settings)) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(Text("Ostiva - Setting"));
    setWindowIcon(Pictures::Icon(Pictures::ApplicationIcon));
    BuildControls();

    banner_.AttachToDialog(this);
    banner_.SetBannerIcon(Pictures::IconPixmap(Pictures::SettingIcon, 32));
    banner_.SetTitle(UiText(StringId::SettingBannerTitle));
    banner_.SetSubtitle(UiText(StringId::SettingBannerSubtitle));

    form_.Load(settings_);
    ShowForm();
}

CSettingDlg::~CSettingDlg() = default;

void CSettingDlg::OnSetting(QWidget* parent, Settings settings) {
    CSettingDlg dialog(parent, std::move(settings));
    dialog.exec();
}

void CSettingDlg::BuildControls() {
    const DialogUnits units(
        DialogUnits::TemplateFont(DialogTemplate::Setting, Translations::Current()));
    setFont(units.Font());
    setFixedSize(units.Size(kWidth, kHeight));

    auto group = [&](const char* title, const Rect& r) {
        auto* box = new QGroupBox(Text(title), this);
        box->setGeometry(Place(units, r));
        return box;
    };
    auto check = [&](const char* text, const char* name, const Rect& r) {
        auto* box = new QCheckBox(Text(text), this);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(Place(units, r));
        return box;
    };
    auto label = [&](const char* text, const Rect& r, int dy = 0) {
        auto* l = new QLabel(Text(text), this);
        l->setGeometry(Place(units, r, dy));
        return l;
    };

    group("Login", kLoginGroup);
    savePassword_ = check("Save Password", kSavePassword, kSavePasswordBox);
    autoLogin_ = check("Auto Login", kAutoLogin, kAutoLoginBox);

    group("Proxy Server", kProxyGroup);
    useProxy_ = check("Use Proxy Server", kUseProxy, kUseProxyBox);
    // The three states are set by hand (SetProxyMode): Qt's automatic
    // exclusivity would refuse to clear both radios.
    auto radio = [&](const char* text, const char* name, const Rect& r) {
        auto* button = new QRadioButton(Text(text), this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoExclusive(false);
        button->setGeometry(Place(units, r));
        return button;
    };
    manual_ = radio("Manual", kManual, kManualRadio);
    automatic_ = radio("Automatic", kAutomatic, kAutomaticRadio);

    const char* const rowLabels[] = {"Server  : ", "Port : ", "ID : ", "Password : "};
    const char* const rowNames[] = {kProxyAddress, kProxyPort, kProxyId, kProxyPassword};
    QLineEdit* edits[4] = {};
    for (int row = 0; row < 4; ++row) {
        const int top = kProxyRowTop + row * kProxyRowStep;
        QLabel* rowLabel = label(rowLabels[row], kProxyLabel, top);
        rowLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        edits[row] = new QLineEdit(this);
        edits[row]->setObjectName(QString::fromLatin1(rowNames[row]));
        edits[row]->setGeometry(Place(units, kProxyEdit, top));
        rowLabel->setBuddy(edits[row]);
    }
    proxyAddress_ = edits[0];
    proxyPort_ = edits[1];
    proxyId_ = edits[2];
    proxyPassword_ = edits[3];
    proxyPassword_->setEchoMode(QLineEdit::Password);

    group("Viewer", kViewerGroup);
    controlAtStart_ = check("Control at the start", kControlAtStart, kControlAtStartBox);
    autoRecording_ = check("Auto Recording", kAutoRecording, kAutoRecordingBox);
    label("Screen Scale :", kScaleLabel);
    scale_ = new QComboBox(this);
    scale_->setObjectName(QString::fromLatin1(kScale));
    scale_->setGeometry(Place(units, kScaleCombo));
    for (const SettingsForm::ScaleEntry& entry : SettingsForm::kScaleTable)
        scale_->addItem(QString::fromStdU16String(entry.text));
    auto* percent = new QLabel(QStringLiteral("%"), this);
    percent->setGeometry(Place(units, kPercentLabel));
    label("Quality/Speed :", kQualityLabel);
    quality_ = new QComboBox(this);
    quality_->setObjectName(QString::fromLatin1(kQuality));
    quality_->setGeometry(Place(units, kQualityCombo));
    for (const SettingsForm::QualityEntry& entry : SettingsForm::kQualityTable)
        quality_->addItem(QString::fromStdU16String(entry.text));

    label("* Viewer settings are applied from the next connection.", kNote);

    auto button = [&](const char* text, const char* name, const Rect& r, int picture) {
        auto* b = new CThemedPictureButton(Text(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(Place(units, r));
        b->setAutoDefault(false);
        PrepareButton(b, picture);
        return b;
    };
    defaultButton_ = button("Default", kDefaultButton, kDefaultRect, Pictures::Sheet);
    saveButton_ = button("Save", kSaveButton, kSaveRect, Pictures::CheckMark);
    cancelButton_ = button("Cancel", kCancelButton, kCancelRect, Pictures::Cross);

    connect(useProxy_, &QCheckBox::clicked, this, &CSettingDlg::OnUseProxy);
    connect(manual_, &QRadioButton::clicked, this, &CSettingDlg::OnManual);
    connect(automatic_, &QRadioButton::clicked, this, &CSettingDlg::OnAutomatic);
    connect(defaultButton_, &QPushButton::clicked, this, &CSettingDlg::OnDefault);
    connect(saveButton_, &QPushButton::clicked, this, &CSettingDlg::OnSave);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
}

void CSettingDlg::ReadControls() {
    form_.savePassword = savePassword_->isChecked();
    form_.autoLogin = autoLogin_->isChecked();
    form_.proxy.useProxy = useProxy_->isChecked();
    form_.proxy.manual = manual_->isChecked();
    form_.proxy.automatic = automatic_->isChecked();
    form_.proxyAddress = proxyAddress_->text().toStdU16String();
    form_.proxyPort = proxyPort_->text().toStdU16String();
    form_.proxyId = proxyId_->text().toStdU16String();
    form_.proxyPassword = proxyPassword_->text().toStdU16String();
    form_.controlAtStart = controlAtStart_->isChecked();
    form_.autoRecording = autoRecording_->isChecked();
    const int scale = scale_->currentIndex();
    form_.scaleItem = scale >= 0 ? std::optional<int>(scale) : std::nullopt;
    const int quality = quality_->currentIndex();
    form_.qualityItem = quality >= 0 ? std::optional<int>(quality) : std::nullopt;
}

void CSettingDlg::ShowForm() {
    savePassword_->setChecked(form_.savePassword);
    autoLogin_->setChecked(form_.autoLogin);
    proxyAddress_->setText(QString::fromStdU16String(form_.proxyAddress));
    proxyPort_->setText(QString::fromStdU16String(form_.proxyPort));
    proxyId_->setText(QString::fromStdU16String(form_.proxyId));
    proxyPassword_->setText(QString::fromStdU16String(form_.proxyPassword));
    ShowProxy();
    controlAtStart_->setChecked(form_.controlAtStart);
    autoRecording_->setChecked(form_.autoRecording);
    scale_->setCurrentIndex(form_.scaleItem.value_or(-1));
    quality_->setCurrentIndex(form_.qualityItem.value_or(-1));
}

void CSettingDlg::ShowProxy() {
    const SettingsForm::ProxyControls& proxy = form_.proxy;
    useProxy_->setChecked(proxy.useProxy);
    manual_->setChecked(proxy.manual);
    automatic_->setChecked(proxy.automatic);
    manual_->setEnabled(proxy.radiosEnabled);
    automatic_->setEnabled(proxy.radiosEnabled);
    for (QLineEdit* edit : {proxyAddress_, proxyPort_, proxyId_, proxyPassword_})
        edit->setEnabled(proxy.editsEnabled);
}

void CSettingDlg::SetProxyMode(int mode) {
    ReadControls();
    form_.SetProxyMode(mode);
    ShowProxy();
}

void CSettingDlg::OnUseProxy() {
    ReadControls();
    form_.OnUseProxy(useProxy_->isChecked());
    ShowProxy();
}

void CSettingDlg::OnManual() {
    ReadControls();
    form_.OnManual(manual_->isChecked());
    ShowProxy();
}

void CSettingDlg::OnAutomatic() {
    ReadControls();
    form_.OnAutomatic(automatic_->isChecked());
    ShowProxy();
}

void CSettingDlg::OnDefault() {
    ReadControls();
    form_.Default();
    ShowForm();
}

void CSettingDlg::OnSave() {
    ReadControls();
    form_.Save(settings_);
    accept();
}

}  // namespace ostiva
