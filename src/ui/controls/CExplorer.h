#pragma once
// The history window's browser view: a child widget that fills its place and
// loads an address on request. The web engine (and its helper processes) is
// started only when the view is first shown, so a history window created
// hidden at start-up costs nothing until the technician opens it; an address
// asked for before that is loaded then.
//
// Processes that use it call CExplorer::PrepareApplication() before making
// the QApplication. Running as root needs QTWEBENGINE_CHROMIUM_FLAGS=
// "--no-sandbox" (or QTWEBENGINE_DISABLE_SANDBOX=1) in the environment.

#include <QString>
#include <QWidget>

class QWebEngineView;

namespace ostiva {

class CExplorer : public QWidget {
    Q_OBJECT
  public:
    explicit CExplorer(QWidget* parent = nullptr);
    ~CExplorer() override;

    // Loads the address (plain text, taken as typed); no flags, target frame,
    // post data or extra headers. The outcome is not reported.
    void Navigate(const QString& address);

    // The address last asked for.
    QString Address() const { return address_; }

    // The view, made now if it does not exist yet.
    QWebEngineView* View();
    bool HasView() const { return view_ != nullptr; }

    // Application attributes the web engine needs before QApplication exists.
    static void PrepareApplication();

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void LoadPending();

    QWebEngineView* view_ = nullptr;  // a child, deleted with the host
    QString address_;
    bool pending_ = false;
};

}  // namespace ostiva
