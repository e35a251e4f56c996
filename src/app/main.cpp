// ostiva-manager: the technician's console.

#include <unistd.h>

#include <QApplication>
#include <cstdlib>

#include "app/LoginShownExit.h"
#include "ui/controls/CExplorer.h"
#include "ui/windows/CHelperApp.h"

int main(int argc, char** argv) {
    // The history window's web engine refuses to run as root with its
    // sandbox; a flag given by the user wins.
    if (geteuid() == 0 && std::getenv("QTWEBENGINE_CHROMIUM_FLAGS") == nullptr) {
        setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox", 0);
    }
    ostiva::CExplorer::PrepareApplication();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ostiva-manager"));
    ostiva::LoginShownExit::InstallIfRequested(&app);
    return ostiva::CHelperApp(app).Run();
}
