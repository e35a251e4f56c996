#include "ui/windows/ConsoleWindows.h"

#include <QDesktopServices>
#include <QUrl>

#include "ui/windows/CAboutDlg.h"
#include "ui/windows/CSettingDlg.h"
#include "ui/windows/ReportDlg.h"

namespace ostiva {

void ConsoleWindows::RunSettings(QWidget* parent) {
    CSettingDlg::OnSetting(parent, settings_);
}

QWidget* ConsoleWindows::CreateHistoryWindow(QWidget* owner, const QString& helperId) {
    return new ReportDlg(helperId, owner);
}

void ConsoleWindows::ShowHistory(QWidget* historyWindow) {
    if (auto* history = qobject_cast<ReportDlg*>(historyWindow)) history->NavigateHistory();
    historyWindow->show();
    historyWindow->raise();
    historyWindow->activateWindow();
}

bool ConsoleWindows::OpenAddress(const QUrl& address, QString* reason) {
    if (!address.isValid()) {
        *reason = address.errorString();
        return false;
    }
    // The desktop's opener runs on its own; a false here means it could not
    // even be started.
    if (QDesktopServices::openUrl(address)) return true;
    *reason = QStringLiteral("no program could open %1").arg(address.toString());
    return false;
}

void ConsoleWindows::RunAbout(QWidget* parent) {
    CAboutDlg about(parent);
    about.exec();
}

}  // namespace ostiva
