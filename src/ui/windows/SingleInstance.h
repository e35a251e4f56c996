#pragma once
// Only one console runs per user. The first one takes a lock file and
// listens on a local socket, both in the user's runtime directory and named
// after "Ostiva_Manager_Mutex" and the user id; a later one finds the lock
// taken, asks the first over the socket to bring its window forward, and
// ends without a window of its own.
//
// The lock, not the socket, decides who is first: it is released by the
// system when the process ends however it ends, so a crashed console leaves
// nothing behind that would keep the next one from starting.

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace ostiva {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    static constexpr int kAnswerTimeoutMs = 3000;

    // `key` names the lock and the socket; `directory` holds them (empty:
    // the user's runtime directory, or the temporary directory without one).
    explicit SingleInstance(QString key = DefaultKey(), QString directory = QString());
    ~SingleInstance() override;

    // True when this process is the first: it then keeps the lock and
    // answers later instances until it ends. False when another one runs; it
    // has then been asked (within kAnswerTimeoutMs) to bring its window
    // forward.
    bool Claim();

    // Brings forward the first visible top-level window whose title contains
    // "Ostiva Manager", restored if minimised; false when there is none.
    static bool RaiseConsoleWindow();

    // "Ostiva_Manager_Mutex-<uid>".
    static QString DefaultKey();
    QString LockPath() const;
    QString SocketPath() const;

  Q_SIGNALS:
    // A later instance asked for the window (after RaiseConsoleWindow ran).
    void raiseRequested();

  private:
    void OnConnection();
    bool AskFirstInstance();

    QString key_;
    QString directory_;
    int lockFd_ = -1;
    QLocalServer* server_ = nullptr;
};

}  // namespace ostiva
