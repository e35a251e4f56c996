#pragma once
// A switch for measuring start-up: with OSTIVA_EXIT_WHEN_LOGIN_SHOWN=1 in
// the environment, the program writes the line "login window shown" to
// standard output as soon as the login window has painted for the first
// time, then cancels that window, so it ends the way Cancel ends it. The
// start-up benchmark times the line; nothing else sets the variable.

#include <QObject>

namespace ostiva {

class LoginShownExit : public QObject {
  public:
    static constexpr const char* kVariable = "OSTIVA_EXIT_WHEN_LOGIN_SHOWN";

    // Installs itself on the application when the variable is set.
    static void InstallIfRequested(QObject* application);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool seen_ = false;
};

}  // namespace ostiva
