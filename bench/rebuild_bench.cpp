// The main window's code-list rebuild, which the timer runs every three
// seconds while a code is connected: twelve codes with every picture decoded
// afresh (cold) against the same list when no picture file has changed
// (warm, served from the picture cache). The last lines print their ratio
// (target: warm at most a tenth of cold) and the resident memory of the idle
// main window with twelve connected codes before its history window is
// first opened (target: below 150 MB).
//
// Run it offscreen: QT_QPA_PLATFORM=offscreen bin/rebuild_bench

#if __has_include(<QApplication>)

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "settings/Profile.h"
#include "ui/controls/CExplorer.h"
#include "ui/windows/CHelperDlg.h"
#include "ui/windows/ConsoleWindows.h"

namespace {

using namespace ostiva;

constexpr int kCodes = 12;

class NoCommands : public CodeCommands {
  public:
    void RequestNewCode() override {}
    void DeleteCode(int32_t) override {}
    void SaveReport(const AccessCode&) override {}
};

class NoLauncher : public ViewerLauncher {
  public:
    bool LaunchViewer(int32_t, std::u16string*) override { return true; }
};

class NoPrompt : public Prompt {
  public:
    void ShowMessage(const PromptMessage&) override {}
    bool AskYesNo(const PromptMessage&) override { return false; }
};

// A remote screen as a viewer might save it: a desktop with a few windows.
void WriteScreen(const QString& path, int seed) {
    QImage image(1024, 768, QImage::Format_RGB32);
    image.fill(QColor(30 + seed * 7, 90, 140));
    QPainter painter(&image);
    for (int i = 0; i < 6; ++i) {
        const QRect window(40 + i * 110, 30 + i * 70, 420, 300);
        painter.fillRect(window, QColor(230, 230, 230 - i * 10));
        painter.fillRect(window.adjusted(0, 0, 0, -276), QColor(20, 60, 160 - seed));
        painter.drawText(window.adjusted(10, 40, -10, -10), Qt::TextWordWrap,
                         QStringLiteral("Customer document %1-%2 ").arg(seed).arg(i).repeated(20));
    }
    painter.end();
    image.save(path, "PNG");
}

// One main window with twelve connected codes whose pictures exist.
struct Scene {
    QTemporaryDir program;
    QTemporaryDir work;
    NoCommands commands;
    NoLauncher launcher;
    NoPrompt prompt;
    ConsoleWindows windows;
    std::unique_ptr<CHelperDlg> window;

    Scene() : windows(Settings(Profile(work.path().toStdString() + "/info.dat"))) {
        const QString bin = QStringLiteral(OSTIVA_BINARY_DIR_FOR_BENCH "/bin/");
        for (const char* name : {"ready.png", "connecting.png", "disconnected.png"}) {
            QFile::copy(bin + QLatin1String(name), program.filePath(QLatin1String(name)));
        }
        CHelperDlg::Environment environment{
            commands, launcher, Settings(Profile(work.path().toStdString() + "/info.dat")),
            program.path().toStdU16String()};
        environment.prompt = &prompt;
        environment.services = &windows;
        window = std::make_unique<CHelperDlg>(std::move(environment));
        ConsoleAccount account;
        account.helperId = u"bench";
        window->Open(account);  // empties "imgs": the pictures come after
        for (int i = 0; i < kCodes; ++i) {
            const int32_t code = 100000 + i;
            window->OnCodeCreated(code);
            wire::CodeStatus status;
            status.code = code;
            status.state = static_cast<uint16_t>(AccessCodeState::Connected);
            status.firstAddress = u"10.0.0.1";
            status.timeText = u"2024-01-01 00:00:00";
            window->OnCodeStatus(status);
            WriteScreen(program.filePath(QStringLiteral("imgs/%1.png").arg(code)), i);
        }
        window->Logic().RebuildCodeList();
    }
};

Scene* scene = nullptr;

void BM_RebuildCold(benchmark::State& state) {
    for (auto _ : state) {
        scene->window->PictureCache().Clear();
        scene->window->Logic().RebuildCodeList();
    }
    state.counters["decodes"] = scene->window->PictureCache().Decodes();
}
BENCHMARK(BM_RebuildCold)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_RebuildWarm(benchmark::State& state) {
    scene->window->Logic().RebuildCodeList();
    const int before = scene->window->PictureCache().Decodes();
    for (auto _ : state) scene->window->Logic().RebuildCodeList();
    if (scene->window->PictureCache().Decodes() != before) {
        state.SkipWithError("a warm rebuild decoded a picture");
    }
}
BENCHMARK(BM_RebuildWarm)->Unit(benchmark::kMillisecond)->MinTime(2.0);

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0) {
                means[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> means;
};

// VmRSS of this process in kB, or -1.
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
    CExplorer::PrepareApplication();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    Scene idle;
    scene = &idle;
    idle.window->show();
    // Idle: a few timer periods' worth of events, nothing else.
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    const long rss = ResidentKilobytes();
    const bool historyUntouched =
        idle.window->HistoryWindow() != nullptr && !idle.window->HistoryWindow()->isVisible();

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto cold = reporter.means.find("BM_RebuildCold");
    auto warm = reporter.means.find("BM_RebuildWarm");
    if (cold != reporter.means.end() && warm != reporter.means.end() && cold->second > 0) {
        std::printf("warm / cold rebuild of %d codes = %.4f (target <= 0.1)\n", kCodes,
                    warm->second / cold->second);
    }
    std::printf(
        "idle main window, %d connected codes, history window not yet opened%s: "
        "VmRSS = %.1f MB (target < 150 MB)\n",
        kCodes, historyUntouched ? "" : " (history window missing or shown!)", rss / 1024.0);
    return 0;
}

#else

#include <cstdio>

int main() {
    std::puts("rebuild_bench: built without the Qt windows; nothing to measure");
    return 0;
}

#endif
