#pragma once
// A window for the end-to-end tests and the screenshot script into a
// running console, switched on only by the environment variable
// OSTIVA_TEST_HOOK_DIR=<directory>. Without it nothing here runs.
//
// Every 200 ms the hook writes "<directory>/state.json" (replaced whole,
// never half-written): the top-level windows, the main window's code list,
// texts and enabled controls, the open message box, and how often another
// instance asked for the window. It reads "<directory>/commands", one
// command per line, each once, in order:
//
//   click ID          presses the main window's button with that id
//   type ID TEXT      sets the text of an edit of the main window
//   listclick ROW     a click on the list's item ROW (-1: empty space)
//   menu COMMAND      a menu command of the main window, after its greying
//   press BUTTON      presses Yes, No or OK of the open message box
//   close             closes the main window as its close box does
//   grab FILE [CLASS] saves a picture of a window as PNG: the visible
//                     top-level window of that class (e.g. ostiva::ReportDlg),
//                     or the open modal window, or the main window
//   set NAME TEXT     sets the text of the edit with that objectName in a
//                     visible window (e.g. the login dialog's idEdit)
//   push NAME         presses the button with that objectName in a visible
//                     window (e.g. loginButton, cancelButton)
//
// The hook only reads and drives what the technician could; it adds no way
// around the window's own rules.

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QTimer;

namespace ostiva {

class CHelperDlg;

class TestHook : public QObject {
    Q_OBJECT
  public:
    static constexpr int kPeriodMs = 200;

    // The hook the environment asks for, or null.
    static std::unique_ptr<TestHook> FromEnvironment();
    explicit TestHook(QString directory);
    ~TestHook() override;

    void SetMainWindow(CHelperDlg* window) { main_ = window; }
    void CountRaise() { ++raises_; }

    // One pass: runs the commands that arrived, then writes the state.
    void Tick();

  private:
    void RunCommands();
    void Run(const QString& line);
    void WriteState();

    QString directory_;
    QTimer* timer_ = nullptr;
    QPointer<CHelperDlg> main_;
    qint64 commandsRead_ = 0;
    int raises_ = 0;
    bool ticking_ = false;
};

}  // namespace ostiva
