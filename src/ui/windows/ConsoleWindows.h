#pragma once
// What the main window's menu opens, for real: the settings dialog, the
// history window (created hidden, reloaded and shown on request), the about
// box, and addresses handed to the desktop's browser.

#include "settings/SettingsKeys.h"
#include "ui/windows/CHelperDlg.h"

namespace ostiva {

class ConsoleWindows : public MainWindowServices {
  public:
    explicit ConsoleWindows(Settings settings = Settings()) : settings_(std::move(settings)) {}

    void RunSettings(QWidget* parent) override;
    QWidget* CreateHistoryWindow(QWidget* owner, const QString& helperId) override;
    void ShowHistory(QWidget* historyWindow) override;
    bool OpenAddress(const QUrl& address, QString* reason) override;
    void RunAbout(QWidget* parent) override;

  private:
    Settings settings_;
};

}  // namespace ostiva
