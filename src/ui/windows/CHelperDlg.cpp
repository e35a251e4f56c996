#include "ui/windows/CHelperDlg.h"

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

#include "console/WebHosts.h"
#include "ui/controls/CSideBannerWnd.h"
#include "ui/controls/CThemedPictureButton.h"
#include "ui/controls/DialogUnits.h"
#include "ui/controls/GradientBackground.h"
#include "ui/controls/Pictures.h"
#include "ui/controls/QtText.h"
#include "ui/controls/UiText.h"
#include "ui/windows/CodeListWidget.h"
#include "ui/windows/MainWindowLayout.h"
#include "ui/windows/MessageBoxPrompt.h"
#include "util/Format.h"
#include "util/Utf.h"

namespace ostiva {

namespace {

constexpr char kContext[] = "CHelperDlg";

QString Translate(const char* source) {
    return QCoreApplication::translate(kContext, source);
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

    for (const ControlLayout& control : MainWindowControls()) {
        const LayoutRect& r = japanese ? control.japanese : control.english;
        const QString text = control.text[0] ? Translate(control.text) : QString();
        QWidget* widget = nullptr;
        switch (control.kind) {
            case ControlKind::Group: {
                auto* group = new QGroupBox(text, client_);
                GradientBackground::ShowThrough(group);
                widget = group;
                break;
            }
            case ControlKind::Label:
            case ControlKind::Value:
                widget = MakeLabel(text, Qt::AlignLeft, client_);
                break;
            case ControlKind::RightLabel:
                widget = MakeLabel(text, Qt::AlignRight, client_);
                break;
            case ControlKind::Edit: {
                auto* edit = new QLineEdit(client_);
                edit->setFrame(true);
                widget = edit;
                break;
            }
            case ControlKind::Memo: {
                auto* memo = new QPlainTextEdit(client_);
                memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
                memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
                memo->setTabChangesFocus(true);
                widget = memo;
                break;
            }
            case ControlKind::Button: {
                auto* button = new CThemedPictureButton(text, client_);
                button->SetFlatLook(false);
                const QImage picture = Pictures::Button(control.picture);
                button->SetPictures(picture, picture);
                // No default button: Enter never presses one behind the
                // technician's back.
                button->setAutoDefault(false);
                button->setDefault(false);
                widget = button;
                break;
            }
            case ControlKind::List: {
                list_ = new CodeListWidget(client_);
                list_->setFont(DialogUnits::WindowsFont(QStringLiteral("vernada"), 9));
                widget = list_;
                break;
            }
        }
        widget->setGeometry(units.Rect(r.x, r.y, r.width, r.height));
        if (control.id >= 0) {
            widget->setObjectName(QStringLiteral("control%1").arg(control.id));
            widget->setProperty("controlId", control.id);
            controls_[control.id] = widget;
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
    for (const MenuLayout& layout : MainWindowMenus()) {
        QMenu* menu = menuBar_->addMenu(Translate(layout.title));
        for (const MenuItemLayout& item : layout.items) {
            if (item.command == 0) {
                menu->addSeparator();
                continue;
            }
            const QString text = item.text ? Translate(item.text) : UiText(StringId::AboutMenuItem);
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

}  // namespace ostiva
