#include "console/CHelperDlg.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSet>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "console/CodeListWidget.h"
#include "console/MessageBoxPrompt.h"
#include "controls/CSideBannerWnd.h"
#include "controls/CThemedPictureButton.h"
#include "controls/DialogUnits.h"
#include "controls/GradientBackground.h"
#include "controls/Pictures.h"
#include "controls/UiText.h"
#include "dialogs/WebHosts.h"
#include "util/Format.h"
#include "util/Utf.h"

namespace ostiva {

namespace {

constexpr char kContext[] = "CHelperDlg";

enum class Kind { Group, Label, RightLabel, Value, Edit, Memo, Button, List };

struct Rect {
    int x, y, width, height;
};

// One control of the window's template: id (-1: none), kind, rectangles in
// dialog units for English and Japanese, and the English text (the key of its
// Japanese translation).
struct ControlSpec {
    int id;
    Kind kind;
    Rect english;
    Rect japanese;
    const char* text;
    int picture;  // button picture, 0 for none
};

// In creation order, which is the tab order and, for overlapping controls,
// the stacking order (group boxes first, beneath their contents).
const ControlSpec kTemplate[] = {
    {-1, Kind::Group, {5, 3, 214, 69}, {5, 3, 188, 56},
     QT_TRANSLATE_NOOP("CHelperDlg", "My Information"), 0},
    {1026, Kind::Label, {29, 17, 43, 8}, {29, 14, 38, 8},
     QT_TRANSLATE_NOOP("CHelperDlg", "Company : "), 0},
    {1027, Kind::Value, {72, 17, 108, 8}, {72, 14, 95, 8}, "DATA", 0},
    {1017, Kind::Label, {29, 31, 38, 8}, {33, 25, 34, 8},
     QT_TRANSLATE_NOOP("CHelperDlg", "Helper ID : "), 0},
    {1022, Kind::Value, {72, 31, 108, 8}, {72, 25, 95, 8}, "DATA", 0},
    {1018, Kind::Label, {10, 44, 57, 8}, {15, 36, 50, 8},
     QT_TRANSLATE_NOOP("CHelperDlg", "Expiration Date :"), 0},
    {1023, Kind::Value, {73, 44, 108, 8}, {73, 36, 95, 8}, "DATA", 0},
    {1019, Kind::Label, {14, 58, 54, 8}, {1, 47, 64, 8},
     QT_TRANSLATE_NOOP("CHelperDlg", "Customer URL :"), 0},
    {1024, Kind::Value, {73, 58, 108, 8}, {73, 47, 95, 8}, "DATA", 0},
    {1013, Kind::Button, {202, 54, 14, 14}, {177, 44, 13, 12}, "", Pictures::Copy},
    {-1, Kind::Group, {5, 79, 214, 204}, {5, 62, 188, 211},
     QT_TRANSLATE_NOOP("CHelperDlg", "Report"), 0},
    {1032, Kind::RightLabel, {23, 92, 43, 8}, {23, 75, 38, 8},
     QT_TRANSLATE_NOOP("CHelperDlg", "Begin Time : "), 0},
    {1037, Kind::Value, {73, 93, 142, 8}, {64, 76, 125, 8}, "", 0},
    {1033, Kind::RightLabel, {25, 106, 43, 8}, {23, 86, 38, 8},
     QT_TRANSLATE_NOOP("CHelperDlg", "End Time : "), 0},
    {1038, Kind::Value, {73, 106, 139, 8}, {64, 86, 122, 8}, "", 0},
    {1034, Kind::RightLabel, {33, 120, 35, 8}, {21, 98, 37, 8},
     QT_TRANSLATE_NOOP("CHelperDlg", "IP : "), 0},
    {1039, Kind::Value, {73, 120, 141, 8}, {64, 98, 122, 8}, "", 0},
    {1035, Kind::RightLabel, {38, 134, 30, 8}, {24, 110, 34, 8},
     QT_TRANSLATE_NOOP("CHelperDlg", "O/S : "), 0},
    {1040, Kind::Value, {73, 134, 138, 8}, {64, 109, 123, 8}, "", 0},
    {1028, Kind::Label, {10, 153, 37, 8}, {9, 125, 29, 8},
     QT_TRANSLATE_NOOP("CHelperDlg", "Company : "), 0},
    {1021, Kind::Edit, {50, 151, 61, 14}, {38, 123, 54, 12}, "", 0},
    {1029, Kind::Label, {117, 154, 25, 8}, {103, 125, 27, 8},
     QT_TRANSLATE_NOOP("CHelperDlg", "Name : "), 0},
    {1025, Kind::Edit, {144, 151, 68, 14}, {131, 123, 60, 12}, "", 0},
    {1030, Kind::Label, {21, 174, 27, 8}, {11, 141, 24, 8},
     QT_TRANSLATE_NOOP("CHelperDlg", "E-mail : "), 0},
    {1041, Kind::Edit, {50, 171, 60, 14}, {38, 139, 53, 12}, "", 0},
    {1031, Kind::Label, {116, 174, 26, 8}, {95, 141, 35, 8},
     QT_TRANSLATE_NOOP("CHelperDlg", "Phone : "), 0},
    {1042, Kind::Edit, {144, 171, 68, 14}, {131, 139, 60, 12}, "", 0},
    {1036, Kind::Label, {21, 194, 27, 8}, {17, 157, 24, 8},
     QT_TRANSLATE_NOOP("CHelperDlg", "Memo : "), 0},
    {1043, Kind::Memo, {51, 193, 162, 68}, {38, 157, 153, 95}, "", 0},
    {1045, Kind::Button, {163, 264, 50, 14}, {148, 258, 44, 12},
     QT_TRANSLATE_NOOP("CHelperDlg", "Save"), Pictures::Save},
    {-1, Kind::Group, {224, 3, 332, 280}, {198, 3, 347, 270},
     QT_TRANSLATE_NOOP("CHelperDlg", "Access Code"), 0},
    {1016, Kind::Button, {230, 17, 50, 14}, {202, 14, 44, 12},
     QT_TRANSLATE_NOOP("CHelperDlg", "Create"), Pictures::Create},
    {1015, Kind::Button, {284, 17, 50, 14}, {249, 14, 44, 12},
     QT_TRANSLATE_NOOP("CHelperDlg", "Delete"), Pictures::Delete},
    {1014, Kind::Button, {501, 17, 50, 14}, {498, 14, 44, 12},
     QT_TRANSLATE_NOOP("CHelperDlg", "Connect"), Pictures::Connect},
    {1012, Kind::List, {230, 34, 321, 245}, {203, 28, 339, 240}, "", 0},
    {1046, Kind::Label, {233, 287, 120, 8}, {199, 282, 86, 8},
     QT_TRANSLATE_NOOP("CHelperDlg", "The number of today's connection : "), 0},
    {1047, Kind::Value, {355, 287, 8, 8}, {290, 282, 8, 8}, "0", 0},
    {1044, Kind::Button, {8, 285, 50, 14}, {7, 281, 44, 12},
     QT_TRANSLATE_NOOP("CHelperDlg", "Setting"), Pictures::Sheet},
    {1020, Kind::Button, {501, 285, 50, 14}, {498, 280, 44, 12},
     QT_TRANSLATE_NOOP("CHelperDlg", "Exit"), Pictures::Exit},
};

struct MenuItemSpec {
    int command;  // 0: a separator
    const char* text;
};
struct MenuSpec {
    const char* title;
    std::vector<MenuItemSpec> items;
};

// The menu bar, popups in their fixed positions 0 to 3, then the about item.
const MenuSpec kMenus[] = {
    {QT_TRANSLATE_NOOP("CHelperDlg", "File"),
     {{CHelperDlg::CmdSetting, QT_TRANSLATE_NOOP("CHelperDlg", "Setting")},
      {0, nullptr},
      {CHelperDlg::CmdVisitHomepage, QT_TRANSLATE_NOOP("CHelperDlg", "Visit Homepage")},
      {0, nullptr},
      {CHelperDlg::CmdExit, QT_TRANSLATE_NOOP("CHelperDlg", "Exit")}}},
    {QT_TRANSLATE_NOOP("CHelperDlg", "Access Code"),
     {{CHelperDlg::CmdCreateCode, QT_TRANSLATE_NOOP("CHelperDlg", "Create Code")},
      {CHelperDlg::CmdDeleteCode, QT_TRANSLATE_NOOP("CHelperDlg", "Delete Code")},
      {0, nullptr},
      {CHelperDlg::CmdConnect, QT_TRANSLATE_NOOP("CHelperDlg", "Connect")}}},
    {QT_TRANSLATE_NOOP("CHelperDlg", "Report"),
     {{CHelperDlg::CmdSave, QT_TRANSLATE_NOOP("CHelperDlg", "Save")},
      {0, nullptr},
      {CHelperDlg::CmdConnectionHistory, QT_TRANSLATE_NOOP("CHelperDlg", "Connection History")}}},
    {QT_TRANSLATE_NOOP("CHelperDlg", "Link"),
     {{CHelperDlg::CmdLinkFirst, QT_TRANSLATE_NOOP("CHelperDlg", "Dravik")},
      {CHelperDlg::CmdLinkSecond, QT_TRANSLATE_NOOP("CHelperDlg", "Solvene")}}},
    {QT_TRANSLATE_NOOP("CHelperDlg", "&Help"), {{CHelperDlg::CmdAbout, nullptr}}},
};

QString Translate(const char* source) {
    return QCoreApplication::translate(kContext, source);
}

QString ToQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

std::u16string FromQString(const QString& text) {
    return text.toStdU16String();
}

// Labels show what the server sent as it is: never as rich text.
QLabel* MakeLabel(const QString& text, Qt::Alignment alignment, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment | Qt::AlignTop);
    GradientBackground::ShowThrough(label);
    return label;
}

}  // namespace

CHelperDlg::CHelperDlg(Environment environment, QWidget* parent)
    : QDialog(parent),
      language_(environment.language),
      settings_(std::move(environment.settings)),
      prompt_(environment.prompt),
      services_(environment.services) {
    if (prompt_ == nullptr) {
        ownPrompt_ = std::make_unique<MessageBoxPrompt>(this);
        prompt_ = ownPrompt_.get();
    }
    logic_ = std::make_unique<ConsoleLogic>(*this, environment.commands, environment.launcher,
                                            std::move(environment.programDir));

    // A fixed-size window with caption, system menu and minimise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Ostiva"));
    setWindowIcon(Pictures::Icon(Pictures::ApplicationIcon));

    BuildControls();
    BuildMenus();
    Connect();

    codeTimer_ = new QTimer(this);
    codeTimer_->setInterval(ConsoleLogic::kCodeListTimerMs);
    connect(codeTimer_, &QTimer::timeout, this,
            [this] { logic_->OnTimer(ConsoleLogic::kCodeListTimerId); });
}

CHelperDlg::~CHelperDlg() {
    codeTimer_->stop();
    delete historyWindow_.data();
    // The controls go while the logic they report to still exists: a
    // notification sent while the list is torn down must find it.
    quietList_ = true;
    delete client_;
    client_ = nullptr;
    list_ = nullptr;
}

void CHelperDlg::BuildControls() {
    const DialogTemplate which = DialogTemplate::Main;
    const DialogUnits units(DialogUnits::TemplateFont(which, language_));
    const bool japanese = language_ == UiLanguage::Japanese;

    // The menu bar sits above the client area, as a window's menu does; the
    // banner and the controls share the client area below it.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    menuBar_ = new QMenuBar(this);
    menuBar_->setNativeMenuBar(false);
    layout->setMenuBar(menuBar_);

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("ClientArea"));
    client_->setFont(units.Font());
    client_->setFixedSize(japanese ? units.Size(548, 297) : units.Size(560, 302));
    layout->addWidget(client_);
    GradientBackground::Install(client_);

    for (const ControlSpec& spec : kTemplate) {
        const Rect& r = japanese ? spec.japanese : spec.english;
        const QString text = spec.text[0] ? Translate(spec.text) : QString();
        QWidget* widget = nullptr;
        switch (spec.kind) {
            case Kind::Group: {
                auto* group = new QGroupBox(text, client_);
                GradientBackground::ShowThrough(group);
                widget = group;
                break;
            }
            case Kind::Label:
            case Kind::Value:
                widget = MakeLabel(text, Qt::AlignLeft, client_);
                break;
            case Kind::RightLabel:
                widget = MakeLabel(text, Qt::AlignRight, client_);
                break;
            case Kind::Edit: {
                auto* edit = new QLineEdit(client_);
                edit->setFrame(true);
                widget = edit;
                break;
            }
            case Kind::Memo: {
                auto* memo = new QPlainTextEdit(client_);
                memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
                memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
                memo->setTabChangesFocus(true);
                widget = memo;
                break;
            }
            case Kind::Button: {
                auto* button = new CThemedPictureButton(text, client_);
                button->SetFlatLook(false);
                const QImage picture = Pictures::Button(spec.picture);
                button->SetPictures(picture, picture);
                // No default button: Enter never presses one behind the
                // technician's back.
                button->setAutoDefault(false);
                button->setDefault(false);
                widget = button;
                break;
            }
            case Kind::List: {
                list_ = new CodeListWidget(client_);
                list_->setFont(DialogUnits::WindowsFont(QStringLiteral("vernada"), 9));
                widget = list_;
                break;
            }
        }
        widget->setGeometry(units.Rect(r.x, r.y, r.width, r.height));
        if (spec.id >= 0) {
            widget->setObjectName(QStringLiteral("control%1").arg(spec.id));
            widget->setProperty("controlId", spec.id);
            controls_[spec.id] = widget;
        }
    }

    reportCompany_ = static_cast<QLineEdit*>(controls_.at(IdReportCompany));
    reportName_ = static_cast<QLineEdit*>(controls_.at(IdReportName));
    reportEmail_ = static_cast<QLineEdit*>(controls_.at(IdReportEmail));
    reportPhone_ = static_cast<QLineEdit*>(controls_.at(IdReportPhone));
    reportMemo_ = static_cast<QPlainTextEdit*>(controls_.at(IdReportMemo));
    // The report goes to the server in fixed slots; the edits take no more
    // than fits, so what the technician sees is what is sent.
    reportCompany_->setMaxLength(kCompanyLength);
    reportName_->setMaxLength(kNameLength);
    reportEmail_->setMaxLength(kEmailLength);
    reportPhone_->setMaxLength(kPhoneLength);

    banner_ = new CSideBannerWnd(client_);
    banner_->AttachToDialog(client_);
    banner_->SetTitle(UiText(StringId::MainBannerTitle));
    banner_->SetSubtitle(UiText(StringId::MainBannerSubtitle));
}

void CHelperDlg::BuildMenus() {
    for (const MenuSpec& spec : kMenus) {
        QMenu* menu = menuBar_->addMenu(Translate(spec.title));
        for (const MenuItemSpec& item : spec.items) {
            if (item.command == 0) {
                menu->addSeparator();
                continue;
            }
            const QString text =
                item.text ? Translate(item.text) : UiText(StringId::AboutMenuItem);
            QAction* action = menu->addAction(text);
            action->setData(item.command);
            action->setObjectName(QStringLiteral("command%1").arg(item.command));
            commands_[item.command] = action;
        }
        // Greyed items follow the selection; each popup re-derives them.
        connect(menu, &QMenu::aboutToShow, this, &CHelperDlg::UpdateMenus);
    }
}

void CHelperDlg::Connect() {
    auto button = [this](int id) { return static_cast<QAbstractButton*>(controls_.at(id)); };
    auto command = [this](int id) { return commands_.at(id); };
    ConsoleLogic& logic = *logic_;

    connect(button(IdCopyUrl), &QAbstractButton::clicked, this,
            [&logic] { logic.OnCopyCustomerUrl(); });
    connect(button(IdCreate), &QAbstractButton::clicked, this, [&logic] { logic.OnCreateCode(); });
    connect(button(IdDelete), &QAbstractButton::clicked, this, [&logic] { logic.OnDeleteCode(); });
    connect(button(IdConnect), &QAbstractButton::clicked, this, [&logic] { logic.OnConnect(); });
    connect(button(IdSave), &QAbstractButton::clicked, this, [&logic] { logic.OnSaveReport(); });
    connect(button(IdSetting), &QAbstractButton::clicked, this, &CHelperDlg::OnSetting);
    connect(button(IdExit), &QAbstractButton::clicked, this, &CHelperDlg::OnExit);

    connect(command(CmdSetting), &QAction::triggered, this, &CHelperDlg::OnSetting);
    connect(command(CmdVisitHomepage), &QAction::triggered, this, &CHelperDlg::OnVisitHomepage);
    connect(command(CmdExit), &QAction::triggered, this, [this] { close(); });
    connect(command(CmdCreateCode), &QAction::triggered, this, [&logic] { logic.OnCreateCode(); });
    connect(command(CmdDeleteCode), &QAction::triggered, this, [&logic] { logic.OnDeleteCode(); });
    connect(command(CmdConnect), &QAction::triggered, this, [&logic] { logic.OnConnect(); });
    connect(command(CmdSave), &QAction::triggered, this, [&logic] { logic.OnSaveReport(); });
    connect(command(CmdConnectionHistory), &QAction::triggered, this,
            &CHelperDlg::OnConnectionHistory);
    connect(command(CmdLinkFirst), &QAction::triggered, this,
            [this] { OpenLink(logic_->linkUrl1()); });
    connect(command(CmdLinkSecond), &QAction::triggered, this,
            [this] { OpenLink(logic_->linkUrl2()); });
    connect(command(CmdAbout), &QAction::triggered, this, &CHelperDlg::OnAbout);

    // The list: a selection change comes first (the panel's texts go to the
    // code selected until now), then the click that loads the new one.
    connect(list_, &QListWidget::itemSelectionChanged, this, &CHelperDlg::OnListItemChanged);
    connect(list_, &QListWidget::currentRowChanged, this, &CHelperDlg::OnListItemChanged);
    connect(list_, &CodeListWidget::listClicked, this, &CHelperDlg::OnListClick);
    connect(list_, &CodeListWidget::listDoubleClicked, this, [&logic] { logic.OnConnect(); });

    connect(reportMemo_, &QPlainTextEdit::textChanged, this, &CHelperDlg::LimitMemo);
}

void CHelperDlg::Open(const ConsoleAccount& account) {
    std::u16string caption =
        FormatWide(u"Ostiva Manager (Ver:%s)", {settings_.ServerVersionForMainWindow()});
    setWindowTitle(ToQString(CutUtf16(caption, 255)));

    // Shows the account, prepares the work directories, disables Delete,
    // Connect and the report, and requests the first code.
    logic_->Open(account);

    if (services_ != nullptr) {
        historyWindow_ = services_->CreateHistoryWindow(this, ToQString(account.helperId));
        if (historyWindow_) historyWindow_->hide();
    }
    codeTimer_->start();
}

// ---- the session's events ----

void CHelperDlg::OnCodeCreated(int32_t code) {
    if (sessionEnded_) return;
    logic_->OnCodeCreated(code);
}

void CHelperDlg::OnCodeStatus(const wire::CodeStatus& status) {
    if (sessionEnded_) return;
    logic_->OnCodeStatus(status);
}

void CHelperDlg::OnSessionEnd(StringId reason) {
    if (sessionEnded_) return;
    sessionEnded_ = true;
    codeTimer_->stop();
    ShowMessage({reason, {}});
    // A settings dialog or a question left open would keep the program
    // alive on a dead session: close them, innermost first.
    for (int guard = 0; guard < 16; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == this) break;
        modal->close();
        if (QApplication::activeModalWidget() == modal) break;  // refused to close
    }
    done(kResultClosed);
}

// ---- commands ----

void CHelperDlg::OnExit() {
    // Ends at once, without dropping the codes first: the window goes anyway.
    if (!AskYesNo({StringId::ConfirmExit, {}})) return;
    done(kResultClosed);
}

void CHelperDlg::closeEvent(QCloseEvent* event) {
    if (sessionEnded_ || !isVisible()) {
        event->accept();
        return;
    }
    if (!AskYesNo({StringId::ConfirmExit, {}})) {
        event->ignore();
        return;
    }
    logic_->DropCodes();
    event->ignore();  // done() hides the window; the close itself is not needed
    done(kResultClosed);
}

void CHelperDlg::reject() {
    // Reached only by the window's own commands: Escape is taken in
    // keyPressEvent and the close box in closeEvent.
    done(kResultClosed);
}

void CHelperDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Enter:
        case Qt::Key_Return:
            // Neither key ends the main window or presses a button.
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void CHelperDlg::OnSetting() {
    // Settings take effect where they are read: the proxy at the next
    // connection, the viewer's options at the next launch.
    if (services_ != nullptr) services_->RunSettings(this);
}

void CHelperDlg::OnVisitHomepage() {
    const QString address = ToQString(WebHosts::InformationAddress());
    QString reason;
    if (services_ == nullptr) return;
    if (!services_->OpenAddress(QUrl(address, QUrl::StrictMode), &reason)) {
        // Reported, never fatal.
        ShowMessage({StringId::PageOpenFailed, FromQString(reason.isEmpty() ? address : reason)});
    }
}

void CHelperDlg::OnConnectionHistory() {
    if (services_ == nullptr || !historyWindow_) return;
    services_->ShowHistory(historyWindow_);
}

void CHelperDlg::OpenLink(const std::u16string& address) {
    if (services_ == nullptr || address.empty()) return;
    // The addresses come from the server: only web pages are opened, never a
    // local file or program, whatever the desktop would do with one.
    const QUrl url(ToQString(address), QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        return;
    }
    QString reason;
    services_->OpenAddress(url, &reason);  // not examined, as before
}

void CHelperDlg::OnAbout() {
    if (services_ != nullptr) services_->RunAbout(this);
}

void CHelperDlg::UpdateMenus() {
    commands_.at(CmdDeleteCode)->setEnabled(logic_->deleteEnabled());
    commands_.at(CmdConnect)->setEnabled(logic_->connectEnabled());
    commands_.at(CmdSave)->setEnabled(logic_->saveEnabled());
    // A link without an address is removed for good: addresses never change
    // while the window is open.
    for (auto [command, address] : {std::pair{int(CmdLinkFirst), &logic_->linkUrl1()},
                                    std::pair{int(CmdLinkSecond), &logic_->linkUrl2()}}) {
        auto it = commands_.find(command);
        if (it == commands_.end() || !address->empty()) continue;
        QAction* action = it->second;
        commands_.erase(it);
        for (QObject* holder : action->associatedObjects()) {
            if (auto* widget = qobject_cast<QWidget*>(holder)) widget->removeAction(action);
        }
        action->deleteLater();
    }
}

// ---- the list ----

void CHelperDlg::OnListItemChanged() {
    if (quietList_) return;
    logic_->OnListItemChanged();
}

void CHelperDlg::OnListClick(int row) {
    logic_->OnListClick(row);
}

void CHelperDlg::LimitMemo() {
    if (limitingMemo_) return;
    const QString text = reportMemo_->toPlainText();
    if (text.size() <= kMemoLength) return;
    limitingMemo_ = true;
    const std::u16string full = FromQString(text);
    const std::u16string_view kept = CutUtf16(full, kMemoLength);
    // Cutting puts the cursor at the end, where the technician was typing
    // (or pasting) in all but the rarest case.
    reportMemo_->setPlainText(ToQString(kept));
    reportMemo_->moveCursor(QTextCursor::End);
    limitingMemo_ = false;
}

// ---- ConsoleView ----

void CHelperDlg::ShowCodeList(const std::vector<CodeListItem>& items) {
    quietList_ = true;
    list_->setUpdatesEnabled(false);
    list_->clear();
    images_.resize(items.size());

    QSet<QString> used;
    for (size_t i = 0; i < items.size(); ++i) {
        const QString path = ToQString(items[i].picturePath);
        used.insert(path);
        const QPixmap picture = pictures_.Picture(path);
        // A picture that cannot be loaded leaves the slot's image as it was.
        if (!picture.isNull()) images_[i] = picture;
        auto* item = new QListWidgetItem(ToQString(items[i].text));
        if (!images_[i].isNull()) item->setIcon(QIcon(images_[i]));
        item->setTextAlignment(Qt::AlignHCenter);
        list_->addItem(item);
    }
    // Placed once all are in: the list lays out new items in one pass first.
    for (size_t i = 0; i < items.size(); ++i) {
        list_->SetItemPosition(int(i), QPoint(items[i].x, items[i].y));
    }
    pictures_.Retain(used);

    list_->setUpdatesEnabled(true);
    quietList_ = false;
}

void CHelperDlg::SetSelectionMark(int32_t index) {
    quietList_ = true;
    if (index < 0 || index >= list_->count()) {
        list_->clearSelection();
        list_->setCurrentRow(-1);
    } else {
        list_->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    }
    quietList_ = false;
}

QWidget* CHelperDlg::ControlFor(ConsoleControl control) const {
    switch (control) {
        case ConsoleControl::Create: return Control(IdCreate);
        case ConsoleControl::Delete: return Control(IdDelete);
        case ConsoleControl::Connect: return Control(IdConnect);
        case ConsoleControl::Save: return Control(IdSave);
        case ConsoleControl::ReportCompany: return Control(IdReportCompany);
        case ConsoleControl::ReportName: return Control(IdReportName);
        case ConsoleControl::ReportEmail: return Control(IdReportEmail);
        case ConsoleControl::ReportPhone: return Control(IdReportPhone);
        case ConsoleControl::ReportMemo: return Control(IdReportMemo);
        case ConsoleControl::BeginTime: return Control(IdBeginValue);
        case ConsoleControl::EndTime: return Control(IdEndValue);
        case ConsoleControl::Address: return Control(IdAddressValue);
        case ConsoleControl::OsName: return Control(IdOsValue);
        case ConsoleControl::AccountCompany: return Control(IdCompanyValue);
        case ConsoleControl::AccountHelper: return Control(IdHelperValue);
        case ConsoleControl::AccountExpiry: return Control(IdExpiryValue);
        case ConsoleControl::AccountCustomerUrl: return Control(IdUrlValue);
        case ConsoleControl::TodayCount: return Control(IdTodayValue);
    }
    return nullptr;
}

void CHelperDlg::EnableControl(ConsoleControl control, bool enabled) {
    if (QWidget* widget = ControlFor(control)) widget->setEnabled(enabled);
}

void CHelperDlg::SetControlText(ConsoleControl control, std::u16string_view text) {
    QWidget* widget = ControlFor(control);
    const QString value = ToQString(text);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(value);
        if (control == ConsoleControl::TodayCount) {
            // The template's slot holds one digit; the count may need more.
            label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
        }
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(value);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(widget)) {
        memo->setPlainText(value);
    }
}

std::u16string CHelperDlg::GetControlText(ConsoleControl control) {
    QWidget* widget = ControlFor(control);
    if (auto* label = qobject_cast<QLabel*>(widget)) return FromQString(label->text());
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return FromQString(edit->text());
    if (auto* memo = qobject_cast<QPlainTextEdit*>(widget)) {
        return FromQString(memo->toPlainText());
    }
    return {};
}

void CHelperDlg::Invalidate() {
    update();
    client_->update();
}

bool CHelperDlg::AskYesNo(const PromptMessage& question) {
    return prompt_->AskYesNo(question);
}

void CHelperDlg::ShowMessage(const PromptMessage& message) {
    prompt_->ShowMessage(message);
}

void CHelperDlg::CopyToClipboard(std::u16string_view text) {
    QGuiApplication::clipboard()->setText(ToQString(text));
}

QWidget* CHelperDlg::Control(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

QAction* CHelperDlg::MenuCommand(int id) const {
    auto it = commands_.find(id);
    return it == commands_.end() ? nullptr : it->second;
}

}  // namespace ostiva
