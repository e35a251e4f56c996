#pragma once
// One console's connection, served on its own thread: the answering side of
// the key exchange, the hello, the login, the account, then the console's
// commands until it leaves. Every record is read whole within a time limit;
// a record of an unknown type, one cut short, or one that comes out of
// order ends the connection with a log line.
//
// Other threads (a forced login, the control channel) may send to the
// console and close it at any time; sends never interleave.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "session/Records.h"
#include "transport/SocketIPv4.h"

namespace ostiva::server {

class ServerCore;

// How long the server waits for each part of the dialogue.
struct ConnectionLimits {
    int loginMs = 30000;         // each record up to MSG_CONSOLE_READY
    int answerMs = 10 * 60000;   // the next login after a refusal: a person decides
    int restOfRecordMs = 10000;  // the rest of a record once its type arrived
    int sendMs = 10000;          // a send to a console that does not read
    int splitPauseMs = 40;       // between the two halves of a split record
};

class ConsoleConnection : public std::enable_shared_from_this<ConsoleConnection> {
  public:
    // Takes the accepted descriptor.
    ConsoleConnection(ServerCore& core, int fd, std::string peer,
                      const ConnectionLimits& limits = {});
    ConsoleConnection(const ConsoleConnection&) = delete;
    ConsoleConnection& operator=(const ConsoleConnection&) = delete;

    // Runs the dialogue until the connection ends; then releases the
    // helper's console slot.
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
    bool HandleCommand(const wire::Bytes& record);
    void Bad(const std::string& what);
    void Note(const wire::Bytes& record);

    ServerCore& core_;
    ConnectionLimits limits_;
    SocketIPv4 socket_;
    std::string peer_;
    std::mutex sendLock_;

    mutable std::mutex stateLock_;  // helperId_
    std::string helperId_;
    std::string loginId_;  // the ID of the latest login message, for the record log
    Phase phase_ = Phase::BeforeLogin;
    bool authenticated_ = false;
    bool claimed_ = false;
    int64_t sessionId_ = -1;
    std::atomic<bool> closing_{false};
};

// The size of a console record by its type; 0 for a type the console never
// sends.
size_t ConsoleRecordSize(uint16_t type);

}  // namespace ostiva::server
