#include "ui/windows/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QWidget>

namespace ostiva {

namespace {

constexpr char kRequest[] = "raise\n";
constexpr char kWindowTitle[] = "Ostiva Manager";

}  // namespace

SingleInstance::SingleInstance(QString key, QString directory)
    : key_(std::move(key)), directory_(std::move(directory)) {
    if (directory_.isEmpty()) {
        directory_ = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    if (directory_.isEmpty()) directory_ = QDir::tempPath();
}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
    if (lockFd_ >= 0) close(lockFd_);
}

QString SingleInstance::DefaultKey() {
    return QStringLiteral("Ostiva_Manager_Mutex-%1").arg(getuid());
}

QString SingleInstance::LockPath() const {
    return directory_ + QLatin1Char('/') + key_ + QStringLiteral(".lock");
}

QString SingleInstance::SocketPath() const {
    return directory_ + QLatin1Char('/') + key_;
}

bool SingleInstance::Claim() {
    if (lockFd_ >= 0) return true;
    const QByteArray lockPath = QFile::encodeName(LockPath());
    const int fd = open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        // No lock to be had (a directory we cannot write): run rather than
        // refuse the technician a console.
        return true;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        AskFirstInstance();
        return false;
    }
    lockFd_ = fd;

    // Whatever socket file is left belongs to a console that has ended: the
    // lock was free.
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(SocketPath());
    server_->listen(SocketPath());
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::OnConnection);
    return true;
}

bool SingleInstance::AskFirstInstance() {
    QLocalSocket socket;
    socket.connectToServer(SocketPath());
    if (!socket.waitForConnected(kAnswerTimeoutMs)) return false;
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(kAnswerTimeoutMs)) return false;
    // The answer only tells that the request was taken; either way this
    // instance ends.
    socket.waitForReadyRead(kAnswerTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::OnConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            // One short request; anything longer is not ours.
            if (socket->bytesAvailable() > 64) {
                socket->abort();
                return;
            }
            if (!socket->canReadLine()) return;
            const QByteArray line = socket->readLine(64);
            if (line == kRequest) {
                const bool raised = RaiseConsoleWindow();
                socket->write(raised ? "ok\n" : "none\n");
                socket->flush();
                Q_EMIT raiseRequested();
            }
            socket->disconnectFromServer();
        });
    }
}

bool SingleInstance::RaiseConsoleWindow() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible()) continue;
        if (!window->windowTitle().contains(QLatin1String(kWindowTitle))) continue;
        window->setWindowState(
            (window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized)) |
            Qt::WindowActive);
        window->show();
        window->raise();
        window->activateWindow();
        return true;
    }
    return false;
}

}  // namespace ostiva
