#pragma once
// The console program from start to end: the updater swap, one console per
// user, the user's language, the login dialog until the technician is
// signed in or cancels, then the main window until it closes or the session
// ends. The session's receive loop is stopped before the main window goes.
//
// Usage in main(), after CExplorer::PrepareApplication():
//     QApplication app(argc, argv);
//     return CHelperApp(app).Run();

class QApplication;

namespace ostiva {

class CHelperApp {
  public:
    explicit CHelperApp(QApplication& app);

    // Runs the program; the process's exit status (0 also after a lost
    // session or when another console was already running).
    int Run();

  private:
    QApplication& app_;
};

}  // namespace ostiva
