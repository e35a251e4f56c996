#include "ui/windows/CHelperApp.h"

#include <QApplication>

#include "console/LoginForm.h"
#include "console/UpdaterSwap.h"
#include "console/ViewerLauncher.h"
#include "session/SessionClient.h"
#include "ui/controls/Pictures.h"
#include "ui/controls/Translations.h"
#include "ui/windows/CHelperDlg.h"
#include "ui/windows/CLoginDlg.h"
#include "ui/windows/ConsoleWindows.h"
#include "ui/windows/MessageBoxPrompt.h"
#include "ui/windows/SingleInstance.h"
#include "ui/windows/TestHook.h"
#include "ui/windows/WindowConsoleEvents.h"
#include "util/ModulePath.h"

namespace ostiva {

CHelperApp::CHelperApp(QApplication& app) : app_(app) {}

int CHelperApp::Run() {
    // A downloaded updater replaces the old one before anything else.
    SwapUpdater(".");

    SingleInstance instance;
    if (!instance.Claim()) return 0;  // the running console was brought forward

    Translations::Install(app_);
    app_.setWindowIcon(Pictures::Icon(Pictures::ApplicationIcon));
    // The login dialog closes before the main window opens: that is not the
    // end of the program.
    app_.setQuitOnLastWindowClosed(false);

    std::unique_ptr<TestHook> hook = TestHook::FromEnvironment();
    if (hook)
        QObject::connect(&instance, &SingleInstance::raiseRequested, hook.get(),
                         [&hook] { hook->CountRaise(); });

    const Settings settings;  // "./info.dat" in the working directory
    MessageBoxPrompt prompt;  // over whichever window is active
    WindowConsoleEvents events;
    SessionClient session(settings, &prompt);
    session.SetEvents(&events);

    // A failed attempt turns Auto Login off for the whole run, whether or
    // not info.dat could be written.
    LoginMemory loginMemory;
    for (;;) {
        // A fresh dialog for every attempt.
        CLoginDlg login(&session, &prompt, settings, nullptr, &loginMemory);
        const int result = login.exec();
        if (result == kLoginSucceeded) break;
        if (result == kLoginCancelled) return 0;
    }

    ProcessViewerLauncher launcher;
    ConsoleWindows windows(settings);
    CHelperDlg::Environment environment{session, launcher, settings, ProgramDirectory()};
    environment.services = &windows;
    {
        CHelperDlg window(std::move(environment));
        if (hook) hook->SetMainWindow(&window);
        events.Attach(&window);
        window.Open(session.Account());
        window.exec();
        // No session event may reach the window once it is gone.
        session.Stop();
        events.Detach();
    }
    return 0;
}

}  // namespace ostiva
