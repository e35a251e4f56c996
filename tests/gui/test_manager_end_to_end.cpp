// The whole console against the real bundled server, on its own Xvfb display:
// ostiva-manager signs in by itself from info.dat, gets its first code, the
// server's control channel moves the code through Ready (the stand-in viewer
// is started with the right arguments) and Connected (the customer's data
// shows), the report is saved to the server, a second start only raises the
// first, and the console ends with status 0 when closed or when the
// connection is lost.
//
// The window is observed through the console's test hook
// (OSTIVA_TEST_HOOK_DIR): a JSON state file it rewrites, and a command file.

#include <signal.h>
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "support/ServerProcess.h"
#include "support/TestServices.h"

using ostiva::test::ServerProcess;

namespace {

constexpr int kWaitMs = 30000;

QString BinDir() {
    return QStringLiteral(OSTIVA_BINARY_DIR "/bin");
}

// A virtual X display of our own: Xvfb picks a free display number and
// says which (-displayfd), so parallel runs never race for one.
class VirtualDisplay {
  public:
    VirtualDisplay() {
        xvfb_.start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                     QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                     QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!xvfb_.waitForStarted(10000)) return;
        QElapsedTimer timer;
        timer.start();
        while (!xvfb_.canReadLine() && timer.elapsed() < 15000 &&
               xvfb_.state() == QProcess::Running) {
            xvfb_.waitForReadyRead(100);
        }
        if (xvfb_.canReadLine()) {
            const QByteArray number = xvfb_.readLine().trimmed();
            if (!number.isEmpty()) display_ = QLatin1Char(':') + QString::fromLatin1(number);
        }
    }
    ~VirtualDisplay() {
        if (xvfb_.state() == QProcess::NotRunning) return;
        xvfb_.terminate();
        if (!xvfb_.waitForFinished(5000)) xvfb_.kill();
        xvfb_.waitForFinished(5000);
    }
    // ":N", or empty when Xvfb did not start.
    const QString& Display() const { return display_; }

  private:
    QProcess xvfb_;
    QString display_;
};

// One console run in its own program directory (a copy of the programs and
// pictures), with its own runtime directory, so nothing is shared with other
// consoles on the machine.
class Console {
  public:
    Console(const ServerProcess& server, const QString& display) : display_(display) {
        for (const char* name :
             {"ostiva-manager", "ostiviewer", "ready.png", "connecting.png", "disconnected.png"}) {
            const QString file = QString::fromLatin1(name);
            ok_ = QFile::copy(BinDir() + QLatin1Char('/') + file, Path(file)) && ok_;
        }
        QDir().mkpath(Path(QStringLiteral("run")));
        QFile::setPermissions(Path(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile info(Path(QStringLiteral("info.dat")));
        ok_ = info.open(QIODevice::WriteOnly) && ok_;
        info.write(QStringLiteral("[server]\nsvr_addr=127.0.0.1\nsvr_port=%1\nversion=7.7\n"
                                  "[helper]\nid=alice\npw=secret-a\nsavepw=1\nautologin=1\n")
                       .arg(server.Port())
                       .toUtf8());
        info.close();
    }

    ~Console() {
        // Viewers outlive the console by design; the test ends its own.
        for (qint64 pid : ViewerPids()) kill(pid_t(pid), SIGTERM);
        for (QProcess* process : {&first_, &second_}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(5000)) process->kill();
                process->waitForFinished(5000);
            }
        }
    }

    bool Prepared() const { return ok_ && dir_.isValid() && !display_.isEmpty(); }
    QString Path(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }

    void Start(QProcess& process) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("XAUTHORITY"));
        environment.insert(QStringLiteral("DISPLAY"), display_);
        environment.insert(QStringLiteral("OSTIVA_TEST_HOOK_DIR"), Path(QStringLiteral("hook")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), Path(QStringLiteral("run")));
        environment.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
        environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        // Nothing is fetched from the network: the history window stays
        // hidden, and would ask only loopback.
        environment.insert(QStringLiteral("OSTIVA_WEB_HOST"), QStringLiteral("127.0.0.1:9"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir_.path());
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(Path(QStringLiteral("ostiva-manager")), {});
    }
    void Start() { Start(first_); }
    QProcess& First() { return first_; }
    QProcess& Second() { return second_; }

    QJsonObject State() const {
        QFile file(Path(QStringLiteral("hook/state.json")));
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }
    QJsonObject Main() const { return State().value(QStringLiteral("main")).toObject(); }
    QJsonArray Codes() const { return Main().value(QStringLiteral("codes")).toArray(); }
    QString Text(int id) const {
        return Main()
            .value(QStringLiteral("texts"))
            .toObject()
            .value(QString::number(id))
            .toString();
    }
    bool Enabled(int id) const {
        return Main()
            .value(QStringLiteral("enabled"))
            .toObject()
            .value(QString::number(id))
            .toBool();
    }

    // Waits for the state to satisfy `done`; false after kWaitMs.
    bool WaitFor(const std::function<bool()>& done) const {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < kWaitMs) {
            if (done()) return true;
            QTest::qWait(100);
        }
        return done();
    }

    void Command(const QString& line) const {
        QFile file(Path(QStringLiteral("hook/commands")));
        if (file.open(QIODevice::Append)) file.write((line + QLatin1Char('\n')).toUtf8());
    }

    QList<QJsonObject> ViewerLog() const {
        QList<QJsonObject> lines;
        QFile file(Path(QStringLiteral("viewer-log.jsonl")));
        if (!file.open(QIODevice::ReadOnly)) return lines;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (!line.trimmed().isEmpty()) lines << QJsonDocument::fromJson(line).object();
        }
        return lines;
    }
    QList<qint64> ViewerPids() const {
        QList<qint64> pids;
        for (const QJsonObject& line : ViewerLog()) {
            pids << qint64(line.value(QStringLiteral("pid")).toDouble());
        }
        return pids;
    }

    // Waits for the process to end; its exit code, or -1.
    static int Finish(QProcess& process) {
        QElapsedTimer timer;
        timer.start();
        while (process.state() != QProcess::NotRunning && timer.elapsed() < kWaitMs) {
            process.waitForFinished(100);
        }
        int code =
            process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit
                ? process.exitCode()
                : -1;
        // What the console wrote tells why it did not end cleanly.
        if (code != 0) qWarning("console output:\n%s", process.readAll().constData());
        return code;
    }

  private:
    QString display_;
    QTemporaryDir dir_;
    bool ok_ = true;
    QProcess first_;
    QProcess second_;
};

}  // namespace

class ManagerEndToEndTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void signsInShowsCodesLaunchesViewerSavesAndCloses();
    void lostConnectionEndsWithStatusZero();  // and signed in elsewhere
};

void ManagerEndToEndTest::initTestCase() {
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()) {
        OSTIVA_QTEST_MISSING_PEER("Xvfb is needed");
    }
    for (const char* name : {"ostiva-manager", "ostiviewer", "ostiva-server", "ready.png"}) {
        QVERIFY2(QFile::exists(BinDir() + QLatin1Char('/') + QLatin1String(name)), name);
    }
}

void ManagerEndToEndTest::signsInShowsCodesLaunchesViewerSavesAndCloses() {
    ServerProcess server;
    QVERIFY(server.IsRunning());
    VirtualDisplay display;
    Console console(server, display.Display());
    QVERIFY(console.Prepared());
    console.Start();

    // Signed in by itself; the first code was asked for without a click.
    QVERIFY2(console.WaitFor([&] { return console.Codes().size() == 1; }),
             console.First().readAll().constData());
    QCOMPARE(console.Main().value(QStringLiteral("title")).toString(),
             QStringLiteral("Ostiva Manager (Ver:7.7)"));
    QVERIFY(console.Text(1022).startsWith(QStringLiteral("alice(")));
    const int code = console.Codes()[0].toObject().value(QStringLiteral("code")).toInt();
    QVERIFY(code > 0);
    QCOMPARE(console.Codes()[0].toObject().value(QStringLiteral("text")).toString(),
             QStringLiteral("%1-%2").arg(code / 1000).arg(code % 1000));
    QVERIFY(!console.Enabled(1015));
    QVERIFY(!console.Enabled(1045));
    const QString today = console.Text(1047);

    // Ready: the viewer starts with the code and the shared settings file.
    QCOMPARE(server.Control("status " + std::to_string(code) + " 1"), std::string("OK delivered"));
    QVERIFY(console.WaitFor([&] { return !console.ViewerLog().isEmpty(); }));
    const QJsonObject launch = console.ViewerLog().first();
    const QJsonArray argv = launch.value(QStringLiteral("argv")).toArray();
    QCOMPARE(argv.size(), 3);
    QCOMPARE(argv[1].toString(),
             QStringLiteral("-optionsfile=%1").arg(console.Path(QStringLiteral("info.dat"))));
    QCOMPARE(argv[2].toString(), QStringLiteral("-code=%1").arg(code));
    QVERIFY(console.WaitFor(
        [&] { return console.Codes()[0].toObject().value(QStringLiteral("state")).toInt() == 1; }));
    QCOMPARE(console.Main().value(QStringLiteral("selectedIndex")).toInt(), 0);

    // Connected: the customer's data, the day's count, an editable report.
    const std::string connected =
        "status " + std::to_string(code) + " 2 77 10.0.0.5 203.0.113.9 \"2024-05-06 07:08:09\" 14";
    QCOMPARE(server.Control(connected), std::string("OK delivered"));
    QVERIFY(console.WaitFor(
        [&] { return console.Text(1037) == QStringLiteral("2024-05-06 07:08:09"); }));
    QCOMPARE(console.Text(1039), QStringLiteral("10.0.0.5 / 203.0.113.9"));
    QCOMPARE(console.Text(1040), QStringLiteral("Windows 10"));
    QCOMPARE(console.Text(1047), QString::number(today.toInt() + 1));
    QVERIFY(console.Enabled(1045));
    QVERIFY(console.Enabled(1043));
    // The viewer's picture replaces "connecting" on a timer tick.
    QVERIFY(console.WaitFor([&] {
        return QFile::exists(console.Path(QStringLiteral("imgs/%1.png").arg(code))) &&
               console.Codes()[0].toObject().value(QStringLiteral("hasPicture")).toBool();
    }));

    // The typed report reaches the server.
    console.Command(QStringLiteral("type 1021 Acme Ltd"));
    console.Command(QStringLiteral("type 1025 Bob"));
    console.Command(QStringLiteral("type 1043 printer offline"));
    console.Command(QStringLiteral("click 1045"));
    const std::string reports = server.WaitFor(
        "reports alice",
        [](const std::string& answer) { return answer.find("Acme Ltd") != std::string::npos; },
        kWaitMs);
    QVERIFY2(reports.find("\"memo\":\"printer offline\"") != std::string::npos, reports.c_str());
    QVERIFY(reports.find("\"connection\":77") != std::string::npos);

    // A second start brings the first forward and ends at once.
    console.Start(console.Second());
    QCOMPARE(Console::Finish(console.Second()), 0);
    QVERIFY(console.WaitFor(
        [&] { return console.State().value(QStringLiteral("raises")).toInt() == 1; }));
    QVERIFY(console.First().state() == QProcess::Running);

    // Closing asks first; No keeps the window, Yes ends the program.
    console.Command(QStringLiteral("close"));
    QVERIFY(console.WaitFor([&] {
        return console.State().value(QStringLiteral("messageBox")).toString() ==
               QStringLiteral("Do you want to exit?");
    }));
    console.Command(QStringLiteral("press no"));
    QVERIFY(
        console.WaitFor([&] { return !console.State().contains(QStringLiteral("messageBox")); }));
    QVERIFY(console.Main().value(QStringLiteral("visible")).toBool());
    console.Command(QStringLiteral("close"));
    QVERIFY(
        console.WaitFor([&] { return console.State().contains(QStringLiteral("messageBox")); }));
    console.Command(QStringLiteral("press yes"));
    QCOMPARE(Console::Finish(console.First()), 0);
    // The viewer keeps running after the console.
    const qint64 viewer = console.ViewerPids().first();
    QCOMPARE(kill(pid_t(viewer), 0), 0);
}

void ManagerEndToEndTest::lostConnectionEndsWithStatusZero() {
    const struct {
        const char* control;
        const char* message;
    } endings[] = {{"drop alice", "The connection has been lost. Please relogin."},
                   {"kick alice", "Signed in elsewhere. Sign out."}};
    for (const auto& ending : endings) {
        ServerProcess server;
        QVERIFY(server.IsRunning());
        VirtualDisplay display;
        Console console(server, display.Display());
        QVERIFY(console.Prepared());
        console.Start();
        QVERIFY2(console.WaitFor([&] { return console.Codes().size() == 1; }),
                 console.First().readAll().constData());
        QCOMPARE(server.Control(ending.control), std::string("OK"));
        QVERIFY2(console.WaitFor([&] {
            return console.State().value(QStringLiteral("messageBox")).toString() ==
                   QLatin1String(ending.message);
        }),
                 ending.control);
        console.Command(QStringLiteral("press ok"));
        QCOMPARE(Console::Finish(console.First()), 0);
    }
}

QTEST_MAIN(ManagerEndToEndTest)
#include "test_manager_end_to_end.moc"
