#pragma once
// The thread that reads the session server's records after a successful
// login, one whole 128-byte record at a time, and hands each to the
// console's ConsoleEvents: a new code, a code's status, or the end of the
// session (signed in elsewhere, connection lost). It never sends.
//
// A record split across TCP segments is put back together before it is
// handled. When the connection ends in the middle of a record, the part that
// did arrive is dropped and the loop ends with OnConnectionLost, as it does
// after an orderly close with nothing pending or a failed receive.
//
// Stop() ends the loop without any further call into the console, so the
// window can be destroyed safely afterwards.

#include <atomic>
#include <mutex>
#include <thread>

#include "session/Records.h"

namespace ostiva {

class ConsoleEvents;
class SocketIPv4;

// Hands one whole record to `events` (may be null: the record is dropped): a
// new code, a code's status, or MSG_SIGNED_IN_ELSEWHERE. Unknown types and
// zero-filled records change nothing. False when the session ends with the
// record.
bool DispatchRecord(wire::ByteView record, ConsoleEvents* events);

class ReceiveLoop {
  public:
    enum class End {
        Running,            // not started yet, or still reading
        SignedInElsewhere,  // MSG_SIGNED_IN_ELSEWHERE arrived
        ConnectionLost,     // the receive failed or the server closed
        Stopped,            // Stop() was called
    };

    // Neither is owned; both must outlive the loop. `events` may be null:
    // the records are then read and dropped.
    ReceiveLoop(SocketIPv4& socket, ConsoleEvents* events);
    ReceiveLoop(const ReceiveLoop&) = delete;
    ReceiveLoop& operator=(const ReceiveLoop&) = delete;
    // Stop().
    virtual ~ReceiveLoop();

    // Starts the thread; a second call does nothing.
    void Start();

    // Shuts the socket down, which wakes the blocked receive, and waits for
    // the thread to end. Called from one of the loop's own callbacks it only
    // shuts down; the thread then ends right after the callback returns and
    // is joined by a later Stop() or the destructor. The loop must not be
    // destroyed from inside its own callback.
    void Stop();

    End GetEnd() const { return end_.load(); }
    bool HasEnded() const { return GetEnd() != End::Running; }

  private:
    void Run();
    // Hands one record on; false when the session ends with it.
    bool Dispatch(wire::ByteView record);
    void Finish(End end);

    SocketIPv4& socket_;
    ConsoleEvents* events_;
    std::mutex threadLock_;  // guards thread_: Start, Stop and the destructor
    std::thread thread_;
    std::atomic<std::thread::id> loopThread_{};
    std::atomic<bool> stopRequested_{false};
    std::atomic<End> end_{End::Running};
};

}  // namespace ostiva
