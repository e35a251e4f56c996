#pragma once
// One console's connection, served on its own thread: the answering side of
// the key exchange, the hello, the login, the account, then the console's
// commands until it leaves. Every record is read whole within a time limit;
// a record of an unknown type, one cut short, or one that comes out of
// order ends the connection with a log line.
//
// Other threads (a forced login, the control channel) may send to the
// console and close it at any time; sends never interleave.
//
// Before its credentials hold a connection gets a few login attempts and
// ConnectionLimits::signInMs in all; each login first waits out the
// server's LoginThrottle. What it sent is kept (ServerCore::NoteRecord) only
// once its credentials held, the login records without their password.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "session/Records.h"
#include "transport/SocketIPv4.h"

namespace ostiva::server {

class ServerCore;

// How long the server waits for each part of the dialogue.
struct ConnectionLimits {
    int loginMs = 30000;        // each record up to MSG_CONSOLE_READY
    int signInMs = 30000;       // from the accept to credentials that hold
    int answerMs = 10 * 60000;  // the forced login after "already signed in": a person decides
    // Logins on one connection: the console's own dialogue needs two (a
    // login and its forced retry).
    int maxLoginAttempts = 3;
    int restOfRecordMs = 10000;  // the rest of a record once its type arrived
    int sendMs = 10000;          // a send to a console that does not read
    int splitPauseMs = 40;       // between the two halves of a split record
};

class ConsoleConnection : public std::enable_shared_from_this<ConsoleConnection> {
  public:
    // Takes the accepted descriptor.
    // `waitingForSignIn`, when given, counts the connections whose
    // credentials have not held yet; this one is counted in it already and
    // leaves the count once they hold or it ends.
    ConsoleConnection(ServerCore& core, int fd, std::string peer,
                      const ConnectionLimits& limits = {},
                      std::atomic<size_t>* waitingForSignIn = nullptr);
    ~ConsoleConnection();
    ConsoleConnection(const ConsoleConnection&) = delete;
    ConsoleConnection& operator=(const ConsoleConnection&) = delete;

    // Runs the dialogue until the connection ends; then, however it ended
    // (an exception too), releases the helper's console slot and ends its
    // session.
    void Serve();

    // Sends one record whole (in two halves with a pause in split mode).
    // False when the connection is closed or the send failed.
    bool Send(wire::ByteView record);
    // Sends bytes as given, never split.
    bool SendRaw(wire::ByteView bytes);
    // Orderly close: what was sent is delivered, then the console reads 0.
    void Close();
    // Abortive close: the console's next receive fails (connection reset).
    void Abort();

    const std::string& peer() const { return peer_; }
    // The helper ID of the login; empty before one.
    std::string helperId() const;

  private:
    enum class Phase { BeforeLogin, LoginAnswered, AccountSent, Commands };
    // Why reading a record stopped.
    enum class Read { Record, Left, Bad };

    // Reads the next record: its type within `waitMs` (negative: no limit),
    // then the rest of the size its type has within restOfRecordMs.
    Read ReadRecord(int waitMs, wire::Bytes* record);
    bool HandleLogin(const wire::Bytes& record);
    bool HandleLoginRecord(const wire::Bytes& record);
    bool HandleCommand(const wire::Bytes& record);
    bool CreateCode(const wire::Bytes& record, const std::string& helper);
    bool SaveReport(const wire::Bytes& customer, const std::string& helper);
    // Waits out the login throttle; false when the connection closed meanwhile.
    bool WaitForTurn(const std::string& helperId);
    // Credentials held: the connection leaves the sign-in count and what it
    // sent so far is kept.
    void SignedIn();
    void ClaimSession();
    // The end of every connection (Serve's scope guard). Never throws.
    void Finish() noexcept;
    void Bad(const std::string& what);
    void Note(const wire::Bytes& record);

    ServerCore& core_;
    ConnectionLimits limits_;
    SocketIPv4 socket_;
    std::string peer_;
    std::string address_;  // the peer without its port, for the login throttle
    std::atomic<size_t>* waitingForSignIn_;
    std::mutex sendLock_;

    mutable std::mutex stateLock_;  // helperId_
    std::string helperId_;
    std::string loginId_;  // the ID of the latest login message, for the record log
    Phase phase_ = Phase::BeforeLogin;
    bool authenticated_ = false;
    bool claimed_ = false;
    int loginAttempts_ = 0;
    // Login records (without password) of loginId_ until its credentials hold.
    std::vector<wire::Bytes> pending_;
    int64_t sessionId_ = -1;
    std::atomic<bool> closing_{false};
};

}  // namespace ostiva::server
