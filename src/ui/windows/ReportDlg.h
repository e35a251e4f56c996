#pragma once
// The history window (Report > Connection History): the service's web page
// of past
// assistance sessions for the signed-in helper ID, in an embedded browser
// view, with an OK button under it.
//
// The main window makes it once, hidden, right after the login, and for
// every Connection History command calls NavigateHistory() and shows it.
// OK, Escape and the close box only hide it. The browser view starts its
// web engine when the window is first shown (CExplorer), so creating the
// window hidden costs nothing until then.
//
// Usage in the main window:
//     historyWindow = new ReportDlg(helperId, this);   // hidden
//     ...
//     historyWindow->NavigateHistory();
//     historyWindow->show();

#include <QDialog>
#include <QString>

#include "ui/controls/CSideBannerWnd.h"

namespace ostiva {

class CExplorer;
class CThemedPictureButton;

class ReportDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kOkButton = "okButton";  // 1
    static constexpr const char* kExplorer = "explorer";  // 1061

    // `helperId`: the ID the technician logged in with (trimmed). The page
    // is asked for at once; it loads when the window is first shown.
    explicit ReportDlg(const QString& helperId, QWidget* owner = nullptr);
    ~ReportDlg() override;

    // Loads the history page of the helper ID into the browser view.
    void NavigateHistory();

    // The address NavigateHistory loads (OSTIVA_WEB_HOST or the service's
    // host, the helper ID percent-encoded in the query).
    QString HistoryAddress() const;

    const QString& HelperId() const { return helperId_; }
    CExplorer* Explorer() const { return explorer_; }
    CSideBannerWnd& Banner() { return banner_; }

  private:
    QString helperId_;
    CSideBannerWnd banner_;
    CExplorer* explorer_ = nullptr;
    CThemedPictureButton* okButton_ = nullptr;
};

}  // namespace ostiva
