#pragma once
// Stand-ins for what the main window is given: the session's commands, the
// viewer launcher, the technician's answers and the windows it opens.

#include <QDir>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>
#include <QWidget>
#include <deque>
#include <string>
#include <vector>

#include "console/ViewerLauncher.h"
#include "session/Prompt.h"
#include "support/ConsoleFakes.h"
#include "ui/windows/CHelperDlg.h"

namespace ostiva::test {

using FakeCommands = RecordingCommands;
using FakeLauncher = RecordingLauncher;

class ScriptedPrompt : public Prompt {
  public:
    void ShowMessage(const PromptMessage& message) override { messages.push_back(message); }
    bool AskYesNo(const PromptMessage& question) override {
        questions.push_back(question);
        if (answers.empty()) return defaultAnswer;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::vector<PromptMessage> messages;
    std::vector<PromptMessage> questions;
    std::deque<bool> answers;
    bool defaultAnswer = false;
};

class FakeServices : public MainWindowServices {
  public:
    void RunSettings(QWidget*) override { ++settingsRuns; }
    QWidget* CreateHistoryWindow(QWidget* owner, const QString& helperId) override {
        historyHelperId = helperId;
        history = new QWidget(owner, Qt::Window);
        return history;
    }
    void ShowHistory(QWidget* window) override {
        ++historyShows;
        window->show();
    }
    bool OpenAddress(const QUrl& address, QString* reason) override {
        opened.push_back(address);
        if (!openSucceeds) *reason = QStringLiteral("no browser");
        return openSucceeds;
    }
    void RunAbout(QWidget*) override { ++aboutRuns; }

    int settingsRuns = 0;
    QString historyHelperId;
    QWidget* history = nullptr;
    int historyShows = 0;
    std::vector<QUrl> opened;
    bool openSucceeds = true;
    int aboutRuns = 0;
};

// A program directory with the three state pictures (distinct colours) and
// an info.dat beside them.
struct ProgramDir {
    QTemporaryDir dir;

    ProgramDir() {
        WritePicture(QStringLiteral("ready.png"), Qt::green);
        WritePicture(QStringLiteral("connecting.png"), Qt::yellow);
        WritePicture(QStringLiteral("disconnected.png"), Qt::gray);
    }
    QString Path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    std::u16string Dir() const { return dir.path().toStdU16String(); }
    // A picture of another size than the list's, so that scaling shows.
    void WritePicture(const QString& name, const QColor& colour, QSize size = {60, 40}) const {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        QDir().mkpath(QFileInfo(Path(name)).path());
        image.save(Path(name), "PNG");
    }
};

}  // namespace ostiva::test
