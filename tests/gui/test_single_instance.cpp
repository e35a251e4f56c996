// One console per user: a second process finds the first, asks it to bring
// its window forward and ends. The second instance is this program run again
// with OSTIVA_SECOND_INSTANCE set (key) in its environment.

#include <QApplication>
#include <QDialog>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

#include "ui/windows/SingleInstance.h"

using namespace ostiva;

namespace {

constexpr char kKeyVariable[] = "OSTIVA_SECOND_INSTANCE";
constexpr char kDirectoryVariable[] = "OSTIVA_SECOND_INSTANCE_DIR";

// Runs this program as a second instance; its exit code, or -1 when it did
// not end in time.
int RunSecondInstance(const QString& key, const QString& directory) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kKeyVariable), key);
    environment.insert(QString::fromLatin1(kDirectoryVariable), directory);
    process.setProcessEnvironment(environment);
    process.start(QCoreApplication::applicationFilePath(), {});
    if (!process.waitForStarted(10000)) return -1;
    // The first instance answers from this process's event loop: keep it
    // running while the second one waits for the answer.
    QSignalSpy finished(&process, &QProcess::finished);
    if (!finished.wait(15000)) {
        process.kill();
        process.waitForFinished(5000);
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QString UniqueKey() {
    return QStringLiteral("Ostiva_Manager_Mutex-test-%1").arg(QCoreApplication::applicationPid());
}

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void secondInstanceRaisesTheFirstAndEnds();
    void secondInstanceEndsEvenWithoutAWindow();
    void lockIsFreeOnceTheFirstHasEnded();
    void strangeRequestsAreIgnored();
};

void SingleInstanceTest::secondInstanceRaisesTheFirstAndEnds() {
    QTemporaryDir dir;
    SingleInstance first(UniqueKey(), dir.path());
    QVERIFY(first.Claim());
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);

    QDialog other;
    other.setWindowTitle(QStringLiteral("Something else"));
    other.show();
    QDialog console;
    console.setWindowTitle(QStringLiteral("Ostiva Manager (Ver:unknown)"));
    console.show();
    console.setWindowState(Qt::WindowMinimized);
    QVERIFY(console.isMinimized());

    QCOMPARE(RunSecondInstance(UniqueKey(), dir.path()), 0);
    QCOMPARE(raised.count(), 1);
    QVERIFY(!console.isMinimized());
    QVERIFY(console.isVisible());
}

void SingleInstanceTest::secondInstanceEndsEvenWithoutAWindow() {
    QTemporaryDir dir;
    SingleInstance first(UniqueKey(), dir.path());
    QVERIFY(first.Claim());
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    QCOMPARE(RunSecondInstance(UniqueKey(), dir.path()), 0);
    QCOMPARE(raised.count(), 1);
    QVERIFY(!SingleInstance::RaiseConsoleWindow());
}

void SingleInstanceTest::lockIsFreeOnceTheFirstHasEnded() {
    QTemporaryDir dir;
    {
        SingleInstance first(UniqueKey(), dir.path());
        QVERIFY(first.Claim());
        // Another holder of the same key in this process is refused too.
        SingleInstance again(UniqueKey(), dir.path());
        QVERIFY(!again.Claim());
    }
    // The socket file a crashed console leaves behind does not matter: the
    // lock was free, so this one is first.
    QFile leftover(dir.path() + QLatin1Char('/') + UniqueKey());
    QVERIFY(!leftover.exists() || leftover.remove());
    QVERIFY(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    SingleInstance next(UniqueKey(), dir.path());
    QVERIFY(next.Claim());
    QSignalSpy raised(&next, &SingleInstance::raiseRequested);
    QCOMPARE(RunSecondInstance(UniqueKey(), dir.path()), 0);
    QCOMPARE(raised.count(), 1);
    // A different key is a different console.
    SingleInstance otherUser(UniqueKey() + QStringLiteral("-other"), dir.path());
    QVERIFY(otherUser.Claim());
}

void SingleInstanceTest::strangeRequestsAreIgnored() {
    QTemporaryDir dir;
    SingleInstance first(UniqueKey(), dir.path());
    QVERIFY(first.Claim());
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    for (const QByteArray& request :
         {QByteArray("hello\n"), QByteArray(200, 'r'), QByteArray("raise")}) {
        QLocalSocket socket;
        socket.connectToServer(first.SocketPath());
        QVERIFY(socket.waitForConnected(5000));
        socket.write(request);
        QVERIFY(socket.waitForBytesWritten(5000));
        QTest::qWait(100);
        socket.abort();
    }
    QTest::qWait(50);
    QCOMPARE(raised.count(), 0);
}

int main(int argc, char** argv) {
    if (const char* key = std::getenv(kKeyVariable)) {
        // The second instance: no window, only the claim.
        QCoreApplication app(argc, argv);
        SingleInstance second(QString::fromUtf8(key),
                              QString::fromUtf8(std::getenv(kDirectoryVariable)));
        return second.Claim() ? 3 : 0;
    }
    QApplication app(argc, argv);
    SingleInstanceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_single_instance.moc"
