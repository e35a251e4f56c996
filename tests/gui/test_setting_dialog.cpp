#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <memory>

#include "ui/controls/Translations.h"
#include "ui/windows/CSettingDlg.h"

using namespace ostiva;

namespace {

template <typename T>
T* Find(QWidget* dialog, const char* name) {
    T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
    if (widget == nullptr) qFatal("no control %s", name);
    return widget;
}

struct ProxyState {
    bool use, manual, automatic, radiosEnabled, editsEnabled;
};

}  // namespace

class SettingDialogTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void cleanup();

    void noFileShowsTheDefaults();
    void opensWithTheFilesValues();
    void clicksMoveTheProxyControls();
    void saveWritesWhatTheWidgetsShow();
    void unknownScaleIsLeftAlone();
    void defaultThenCancelWritesNothing();
    void japaneseTexts();

  private:
    Settings MakeSettings() const { return Settings(Profile(File())); }
    std::string File() const { return (dir_->path() + QStringLiteral("/info.dat")).toStdString(); }
    void WriteFile(const std::string& text) const {
        std::ofstream(File(), std::ios::binary | std::ios::trunc) << text;
    }
    std::string ReadFile() const {
        std::ifstream in(File(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void VerifyProxy(QWidget* dialog, const ProxyState& expected) {
        QCOMPARE(Find<QCheckBox>(dialog, CSettingDlg::kUseProxy)->isChecked(), expected.use);
        auto* manual = Find<QRadioButton>(dialog, CSettingDlg::kManual);
        auto* automatic = Find<QRadioButton>(dialog, CSettingDlg::kAutomatic);
        QCOMPARE(manual->isChecked(), expected.manual);
        QCOMPARE(automatic->isChecked(), expected.automatic);
        QCOMPARE(manual->isEnabled(), expected.radiosEnabled);
        QCOMPARE(automatic->isEnabled(), expected.radiosEnabled);
        for (const char* edit : {CSettingDlg::kProxyAddress, CSettingDlg::kProxyPort,
                                 CSettingDlg::kProxyId, CSettingDlg::kProxyPassword}) {
            QCOMPARE(Find<QLineEdit>(dialog, edit)->isEnabled(), expected.editsEnabled);
        }
    }

    std::unique_ptr<QTemporaryDir> dir_;
};

void SettingDialogTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
}

void SettingDialogTest::cleanup() {
    dir_.reset();
}

void SettingDialogTest::noFileShowsTheDefaults() {
    CSettingDlg dialog(nullptr, MakeSettings());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Ostiva - Setting"));
    QVERIFY(!Find<QCheckBox>(&dialog, CSettingDlg::kSavePassword)->isChecked());
    QVERIFY(!Find<QCheckBox>(&dialog, CSettingDlg::kAutoLogin)->isChecked());
    VerifyProxy(&dialog, {false, false, false, false, false});
    QCOMPARE(Find<QLineEdit>(&dialog, CSettingDlg::kProxyPort)->text(), QStringLiteral("0"));
    QVERIFY(Find<QCheckBox>(&dialog, CSettingDlg::kControlAtStart)->isChecked());
    QVERIFY(!Find<QCheckBox>(&dialog, CSettingDlg::kAutoRecording)->isChecked());
    QCOMPARE(Find<QComboBox>(&dialog, CSettingDlg::kScale)->currentText(), QStringLiteral("Auto"));
    QCOMPARE(Find<QComboBox>(&dialog, CSettingDlg::kQuality)->currentText(),
             QStringLiteral("Auto"));
    QCOMPARE(Find<QLineEdit>(&dialog, CSettingDlg::kProxyPassword)->echoMode(),
             QLineEdit::Password);

    // The combo boxes in their fixed order.
    auto* scale = Find<QComboBox>(&dialog, CSettingDlg::kScale);
    QStringList items;
    for (int i = 0; i < scale->count(); ++i) items << scale->itemText(i);
    QCOMPARE(items, QStringList({QStringLiteral("Auto"), QStringLiteral("25"), QStringLiteral("50"),
                                 QStringLiteral("75"), QStringLiteral("100"), QStringLiteral("125"),
                                 QStringLiteral("150")}));
    auto* quality = Find<QComboBox>(&dialog, CSettingDlg::kQuality);
    QCOMPARE(quality->count(), 3);
    QCOMPARE(quality->itemText(1), QStringLiteral("Speed First"));
    QCOMPARE(quality->itemText(2), QStringLiteral("Quality First"));
    QCOMPARE(dialog.Banner().Title(), QStringLiteral("Ostiva Setting"));
    QVERIFY(!dialog.Banner().BannerIcon().isNull());
}

void SettingDialogTest::opensWithTheFilesValues() {
    WriteFile(
        "[helper]\nsavepw=1\nautologin=1\n"
        "[proxy]\nuse=2\naddr=proxy.lan\nport=3128\nid=me\npw=secret\n"
        "[options]\nviewonly=1\nautorec=1\nfitwindow=0\nscale_num=5\nscale_den=4\n"
        "8bit=0\nquality=6\ncompresslevel=6\n");
    CSettingDlg dialog(nullptr, MakeSettings());
    QVERIFY(Find<QCheckBox>(&dialog, CSettingDlg::kSavePassword)->isChecked());
    QVERIFY(Find<QCheckBox>(&dialog, CSettingDlg::kAutoLogin)->isChecked());
    VerifyProxy(&dialog, {true, false, true, true, false});
    QCOMPARE(Find<QLineEdit>(&dialog, CSettingDlg::kProxyAddress)->text(),
             QStringLiteral("proxy.lan"));
    QCOMPARE(Find<QLineEdit>(&dialog, CSettingDlg::kProxyPort)->text(), QStringLiteral("3128"));
    QCOMPARE(Find<QLineEdit>(&dialog, CSettingDlg::kProxyId)->text(), QStringLiteral("me"));
    QCOMPARE(Find<QLineEdit>(&dialog, CSettingDlg::kProxyPassword)->text(),
             QStringLiteral("secret"));
    QVERIFY(!Find<QCheckBox>(&dialog, CSettingDlg::kControlAtStart)->isChecked());
    QVERIFY(Find<QCheckBox>(&dialog, CSettingDlg::kAutoRecording)->isChecked());
    QCOMPARE(Find<QComboBox>(&dialog, CSettingDlg::kScale)->currentText(), QStringLiteral("125"));
    QCOMPARE(Find<QComboBox>(&dialog, CSettingDlg::kQuality)->currentText(),
             QStringLiteral("Quality First"));
}

void SettingDialogTest::clicksMoveTheProxyControls() {
    CSettingDlg dialog(nullptr, MakeSettings());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* use = Find<QCheckBox>(&dialog, CSettingDlg::kUseProxy);
    auto* manual = Find<QRadioButton>(&dialog, CSettingDlg::kManual);
    auto* automatic = Find<QRadioButton>(&dialog, CSettingDlg::kAutomatic);

    QTest::mouseClick(use, Qt::LeftButton);  // checking starts in manual mode
    VerifyProxy(&dialog, {true, true, false, true, true});
    automatic->click();
    VerifyProxy(&dialog, {true, false, true, true, false});
    automatic->click();  // cleared again: back to manual
    VerifyProxy(&dialog, {true, true, false, true, true});
    manual->click();  // cleared: automatic
    VerifyProxy(&dialog, {true, false, true, true, false});
    manual->click();
    VerifyProxy(&dialog, {true, true, false, true, true});

    Find<QLineEdit>(&dialog, CSettingDlg::kProxyAddress)->setText(QStringLiteral("kept"));
    use->click();
    VerifyProxy(&dialog, {false, false, false, false, false});
    QCOMPARE(Find<QLineEdit>(&dialog, CSettingDlg::kProxyAddress)->text(), QStringLiteral("kept"));

    dialog.SetProxyMode(2);
    VerifyProxy(&dialog, {true, false, true, true, false});
    dialog.SetProxyMode(5);
    VerifyProxy(&dialog, {true, false, true, true, false});
}

void SettingDialogTest::saveWritesWhatTheWidgetsShow() {
    CSettingDlg dialog(nullptr, MakeSettings());
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    dialog.show();
    Find<QCheckBox>(&dialog, CSettingDlg::kSavePassword)->click();
    Find<QCheckBox>(&dialog, CSettingDlg::kUseProxy)->click();
    Find<QLineEdit>(&dialog, CSettingDlg::kProxyAddress)->setText(QStringLiteral(" 10.0.0.1 "));
    Find<QLineEdit>(&dialog, CSettingDlg::kProxyPort)->setText(QStringLiteral("8080x"));
    Find<QLineEdit>(&dialog, CSettingDlg::kProxyId)->setText(QStringLiteral("user"));
    Find<QLineEdit>(&dialog, CSettingDlg::kProxyPassword)->setText(QStringLiteral("p w"));
    Find<QCheckBox>(&dialog, CSettingDlg::kControlAtStart)->click();
    Find<QCheckBox>(&dialog, CSettingDlg::kAutoRecording)->click();
    Find<QComboBox>(&dialog, CSettingDlg::kScale)->setCurrentIndex(2);
    Find<QComboBox>(&dialog, CSettingDlg::kQuality)->setCurrentIndex(1);
    Find<QAbstractButton>(&dialog, CSettingDlg::kSaveButton)->click();
    QCOMPARE(accepted.count(), 1);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(ReadFile(),
             std::string("[helper]\nsavepw=1\nautologin=0\n"
                         "[proxy]\nuse=1\naddr= 10.0.0.1 \nport=8080x\nid=user\npw=p w\n"
                         "[options]\nviewonly=1\nautorec=1\nfitwindow=0\nscale_num=1\n"
                         "scale_den=2\n8bit=1\nquality=3\ncompresslevel=3\n"));
}

void SettingDialogTest::unknownScaleIsLeftAlone() {
    WriteFile("[options]\nfitwindow=0\nscale_num=2\nscale_den=3\n");
    CSettingDlg dialog(nullptr, MakeSettings());
    auto* scale = Find<QComboBox>(&dialog, CSettingDlg::kScale);
    QCOMPARE(scale->currentIndex(), -1);
    QCOMPARE(scale->currentText(), QString());
    Find<QAbstractButton>(&dialog, CSettingDlg::kSaveButton)->click();
    const Settings settings = MakeSettings();
    QCOMPARE(settings.FitWindow(), 0);
    QCOMPARE(settings.ScaleNumerator(), 2);
    QCOMPARE(settings.ScaleDenominator(), 3);
}

void SettingDialogTest::defaultThenCancelWritesNothing() {
    const std::string file =
        "[helper]\nsavepw=0\nautologin=1\n[proxy]\nuse=1\naddr=a\n"
        "[options]\nviewonly=1\nfitwindow=0\nscale_num=3\nscale_den=2\n";
    WriteFile(file);
    for (int way = 0; way < 3; ++way) {
        CSettingDlg dialog(nullptr, MakeSettings());
        QSignalSpy rejected(&dialog, &QDialog::rejected);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        Find<QAbstractButton>(&dialog, CSettingDlg::kDefaultButton)->click();
        QVERIFY(Find<QCheckBox>(&dialog, CSettingDlg::kSavePassword)->isChecked());
        QCOMPARE(Find<QComboBox>(&dialog, CSettingDlg::kScale)->currentIndex(), 0);
        VerifyProxy(&dialog, {false, false, false, false, false});
        if (way == 0) Find<QAbstractButton>(&dialog, CSettingDlg::kCancelButton)->click();
        if (way == 1) QTest::keyClick(&dialog, Qt::Key_Escape);
        if (way == 2) dialog.close();
        QCOMPARE(rejected.count(), 1);
        QCOMPARE(ReadFile(), file);
    }
}

void SettingDialogTest::japaneseTexts() {
    auto& app = *static_cast<QApplication*>(QCoreApplication::instance());
    Translations::Install(app, QLocale(QStringLiteral("ja_JP")));
    {
        CSettingDlg dialog(nullptr, MakeSettings());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Ostiva - Setting"));
        QCOMPARE(Find<QCheckBox>(&dialog, CSettingDlg::kUseProxy)->text(),
                 QStringLiteral("プロキシサーバー使用"));
        QCOMPARE(Find<QRadioButton>(&dialog, CSettingDlg::kManual)->text(), QStringLiteral("手動"));
        QCOMPARE(Find<QRadioButton>(&dialog, CSettingDlg::kAutomatic)->text(),
                 QStringLiteral("自動"));
        QCOMPARE(Find<QCheckBox>(&dialog, CSettingDlg::kControlAtStart)->text(),
                 QStringLiteral("制御開始設定"));
        QCOMPARE(Find<QAbstractButton>(&dialog, CSettingDlg::kDefaultButton)->text(),
                 QStringLiteral("既定設定"));
        QCOMPARE(Find<QAbstractButton>(&dialog, CSettingDlg::kSaveButton)->text(),
                 QStringLiteral("保存"));
        QCOMPARE(Find<QAbstractButton>(&dialog, CSettingDlg::kCancelButton)->text(),
                 QStringLiteral("取消"));
        QStringList texts;
        for (QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
        for (QGroupBox* group : dialog.findChildren<QGroupBox*>()) texts << group->title();
        for (const char* text : {"ログイン", "プロキシサーバー", "ビュアー",
                                 "サーバー : ", "ポート : ", "パスワード: ", "表示設定:",
                                 "画質/速度:", "* ビュアー設定は次回の接続に適用されます。"}) {
            QVERIFY2(texts.contains(QString::fromUtf8(text)), text);
        }
        QCOMPARE(dialog.Banner().Title(), QStringLiteral("Ostiva 設定"));
        QCOMPARE(dialog.Banner().Subtitle(), QStringLiteral("詳細設定を行います。"));
        // The item texts are the same in both languages.
        QCOMPARE(Find<QComboBox>(&dialog, CSettingDlg::kQuality)->itemText(1),
                 QStringLiteral("Speed First"));
    }
    Translations::Install(app, QLocale(QStringLiteral("en_US")));
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Translations::Install(app, QLocale(QStringLiteral("en_US")));
    SettingDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_setting_dialog.moc"
