#include "ui/windows/TestHook.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QTimer>
#include <cstdlib>

#include "ui/windows/CHelperDlg.h"
#include "ui/windows/CodeListWidget.h"

namespace ostiva {

namespace {

// The ids whose texts and enabled states the state file carries.
const int kReportedControls[] = {
    CHelperDlg::IdCreate,      CHelperDlg::IdDelete,        CHelperDlg::IdConnect,
    CHelperDlg::IdSave,        CHelperDlg::IdReportCompany, CHelperDlg::IdReportName,
    CHelperDlg::IdReportEmail, CHelperDlg::IdReportPhone,   CHelperDlg::IdReportMemo,
    CHelperDlg::IdBeginValue,  CHelperDlg::IdEndValue,      CHelperDlg::IdAddressValue,
    CHelperDlg::IdOsValue,     CHelperDlg::IdCompanyValue,  CHelperDlg::IdHelperValue,
    CHelperDlg::IdExpiryValue, CHelperDlg::IdUrlValue,      CHelperDlg::IdTodayValue,
};

QString TextOf(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(widget)) return memo->toPlainText();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    return QString();
}

QJsonObject MainWindowState(CHelperDlg& window) {
    QJsonObject state;
    state[QStringLiteral("title")] = window.windowTitle();
    state[QStringLiteral("visible")] = window.isVisible();
    state[QStringLiteral("sessionEnded")] = window.SessionEnded();
    const ConsoleLogic& logic = window.Logic();
    QJsonArray codes;
    CodeListWidget* list = window.CodeList();
    for (size_t i = 0; i < logic.codes().size(); ++i) {
        const AccessCode& entry = logic.codes()[i];
        QJsonObject code;
        code[QStringLiteral("code")] = entry.code;
        code[QStringLiteral("state")] = entry.state;
        code[QStringLiteral("picture")] = QString::fromStdU16String(entry.imagePath);
        if (int(i) < list->count()) {
            code[QStringLiteral("text")] = list->item(int(i))->text();
            code[QStringLiteral("hasPicture")] = !list->item(int(i))->icon().isNull();
        }
        codes.append(code);
    }
    state[QStringLiteral("codes")] = codes;
    state[QStringLiteral("selectedIndex")] = logic.selectedIndex();
    state[QStringLiteral("listRow")] = list->currentRow();
    QJsonObject texts, enabled;
    for (int id : kReportedControls) {
        QWidget* control = window.Control(id);
        texts[QString::number(id)] = TextOf(control);
        enabled[QString::number(id)] = control->isEnabled();
    }
    state[QStringLiteral("texts")] = texts;
    state[QStringLiteral("enabled")] = enabled;
    state[QStringLiteral("historyVisible")] =
        window.HistoryWindow() != nullptr && window.HistoryWindow()->isVisible();
    return state;
}

}  // namespace

std::unique_ptr<TestHook> TestHook::FromEnvironment() {
    const char* directory = std::getenv("OSTIVA_TEST_HOOK_DIR");
    if (directory == nullptr || *directory == '\0') return nullptr;
    return std::make_unique<TestHook>(QFile::decodeName(directory));
}

TestHook::TestHook(QString directory) : directory_(std::move(directory)) {
    QDir().mkpath(directory_);
    timer_ = new QTimer(this);
    timer_->setInterval(kPeriodMs);
    connect(timer_, &QTimer::timeout, this, &TestHook::Tick);
    timer_->start();
}

TestHook::~TestHook() = default;

void TestHook::Tick() {
    RunCommands();
    WriteState();
}

void TestHook::RunCommands() {
    QFile file(directory_ + QStringLiteral("/commands"));
    if (!file.open(QIODevice::ReadOnly)) return;
    if (!file.seek(commandsRead_)) return;
    // Only whole lines; a command being appended waits for its line end.
    const QByteArray line = file.readLine(4096);
    if (line.isEmpty() || !line.endsWith('\n')) return;
    commandsRead_ += line.size();
    file.close();
    // Run from the event loop, not from the timer: a command that opens a
    // modal window would otherwise hold the timer, and with it the next
    // command that is to answer that window.
    const QString command = QString::fromUtf8(line).trimmed();
    QMetaObject::invokeMethod(
        this, [this, command] { Run(command); }, Qt::QueuedConnection);
}

void TestHook::Run(const QString& line) {
    const QString name = line.section(QLatin1Char(' '), 0, 0);
    const QString rest = line.section(QLatin1Char(' '), 1);
    if (name == QLatin1String("press")) {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        const QMessageBox::StandardButton which =
            rest.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0  ? QMessageBox::Yes
            : rest.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0 ? QMessageBox::No
                                                                          : QMessageBox::Ok;
        if (QAbstractButton* button = box->button(which)) button->click();
        return;
    }
    if (name == QLatin1String("grab")) {
        const QString file = rest.section(QLatin1Char(' '), 0, 0);
        const QString className = rest.section(QLatin1Char(' '), 1);
        QWidget* window = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (!className.isEmpty() && widget->isVisible() &&
                QLatin1String(widget->metaObject()->className()) == className) {
                window = widget;
            }
        }
        if (window == nullptr && className.isEmpty()) window = QApplication::activeModalWidget();
        if (window == nullptr && className.isEmpty() && main_) window = main_;
        if (window != nullptr) window->grab().save(file, "PNG");
        return;
    }
    if (name == QLatin1String("set") || name == QLatin1String("push")) {
        const QString object = rest.section(QLatin1Char(' '), 0, 0);
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (!top->isVisible()) continue;
            if (name == QLatin1String("set")) {
                if (auto* edit = top->findChild<QLineEdit*>(object)) {
                    edit->setText(rest.section(QLatin1Char(' '), 1));
                    return;
                }
            } else if (auto* button = top->findChild<QAbstractButton*>(object)) {
                button->click();
                return;
            }
        }
        return;
    }
    if (!main_) return;
    CHelperDlg& window = *main_;
    if (name == QLatin1String("click")) {
        if (auto* button = qobject_cast<QAbstractButton*>(window.Control(rest.toInt()))) {
            button->click();
        }
    } else if (name == QLatin1String("type")) {
        QWidget* control = window.Control(rest.section(QLatin1Char(' '), 0, 0).toInt());
        const QString text = rest.section(QLatin1Char(' '), 1);
        if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->setText(text);
        if (auto* memo = qobject_cast<QPlainTextEdit*>(control)) memo->setPlainText(text);
    } else if (name == QLatin1String("listclick")) {
        // As the list reports a click: the selection change first.
        const int row = rest.toInt();
        CodeListWidget* list = window.CodeList();
        if (row >= 0 && row < list->count()) list->setCurrentRow(row);
        Q_EMIT list->listClicked(row >= 0 && row < list->count() ? row : -1);
    } else if (name == QLatin1String("menu")) {
        window.UpdateMenus();
        if (QAction* action = window.MenuCommand(rest.toInt())) action->trigger();
    } else if (name == QLatin1String("close")) {
        window.close();
    }
}

void TestHook::WriteState() {
    if (ticking_) return;
    ticking_ = true;
    QJsonObject state;
    state[QStringLiteral("pid")] = qint64(QCoreApplication::applicationPid());
    state[QStringLiteral("raises")] = raises_;
    QJsonArray windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible()) continue;
        QJsonObject window;
        window[QStringLiteral("class")] = QString::fromLatin1(widget->metaObject()->className());
        window[QStringLiteral("title")] = widget->windowTitle();
        window[QStringLiteral("minimized")] = widget->isMinimized();
        windows.append(window);
    }
    state[QStringLiteral("windows")] = windows;
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        state[QStringLiteral("messageBox")] = box->text();
    }
    if (main_) state[QStringLiteral("main")] = MainWindowState(*main_);
    state[QStringLiteral("clipboard")] = QGuiApplication::clipboard()->text();

    QSaveFile file(directory_ + QStringLiteral("/state.json"));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(state).toJson(QJsonDocument::Compact));
        file.commit();
    }
    ticking_ = false;
}

}  // namespace ostiva
