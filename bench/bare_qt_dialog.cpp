// The floor for any Qt Widgets program on this machine: an application that
// shows one empty dialog and nothing else. The start-up benchmark runs it
// beside ostiva-manager, both offscreen:
//
//   bare_qt_dialog             writes "window shown" to standard output at
//                              the dialog's first paint, then ends
//   bare_qt_dialog --idle-rss  shows the dialog, idles as the rebuild
//                              benchmark's main window does (20 passes of
//                              50 ms), then writes "VmRSS <kB>" and ends

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

class FirstPaint : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!seen_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            seen_ = true;
            std::fputs("window shown\n", stdout);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

  private:
    bool seen_ = false;
};

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool idleRss = argc > 1 && std::strcmp(argv[1], "--idle-rss") == 0;
    QApplication app(argc, argv);
    QDialog dialog;
    if (idleRss) {
        dialog.show();
        for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        std::printf("VmRSS %ld\n", ResidentKilobytes());
        return 0;
    }
    FirstPaint probe;
    app.installEventFilter(&probe);
    dialog.show();
    return app.exec();
}
