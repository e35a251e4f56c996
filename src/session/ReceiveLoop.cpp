#include "session/ReceiveLoop.h"

#include <array>

#include "session/ConsoleEvents.h"
#include "transport/SocketIPv4.h"

namespace ostiva {

ReceiveLoop::ReceiveLoop(SocketIPv4& socket, ConsoleEvents* events)
    : socket_(socket), events_(events) {}

ReceiveLoop::~ReceiveLoop() {
    Stop();
    // Still joinable only when the loop is destroyed by its own callback,
    // which the interface forbids; leaving the thread to run out is the
    // lesser harm than std::terminate.
    std::lock_guard<std::mutex> guard(threadLock_);
    if (thread_.joinable()) thread_.detach();
}

void ReceiveLoop::Start() {
    std::lock_guard<std::mutex> guard(threadLock_);
    if (thread_.joinable() || stopRequested_.load()) return;
    thread_ = std::thread([this] { Run(); });
}

void ReceiveLoop::Stop() {
    stopRequested_.store(true);
    socket_.Shutdown();
    // The loop's own thread cannot wait for itself; it ends as soon as the
    // callback that called this returns.
    if (loopThread_.load() == std::this_thread::get_id()) return;
    std::lock_guard<std::mutex> guard(threadLock_);
    if (thread_.joinable()) thread_.join();
}

void ReceiveLoop::Finish(End end) {
    End running = End::Running;
    end_.compare_exchange_strong(running, end);
}

void ReceiveLoop::Run() {
    loopThread_.store(std::this_thread::get_id());
    std::array<uint8_t, wire::kReceiveRecordSize> record{};
    for (;;) {
        SocketIPv4::ReceiveEnd how = SocketIPv4::ReceiveEnd::Complete;
        // No time limit: the server may stay silent for hours, and a dead
        // connection is found by TCP keep-alive.
        size_t got = socket_.ReceiveExact(record.data(), record.size(), -1, &how);
        if (stopRequested_.load()) {
            Finish(End::Stopped);
            return;
        }
        if (got == record.size()) {
            if (!Dispatch(record)) return;
            continue;
        }
        // The connection ended, possibly in the middle of a record. A record
        // cut short is dropped whole: its missing bytes could be the code
        // number or the fields of a status, and a guess would update the
        // wrong code or blank a right one.
        Finish(End::ConnectionLost);
        if (events_ && !stopRequested_.load()) events_->OnConnectionLost();
        return;
    }
}

bool ReceiveLoop::Dispatch(wire::ByteView record) {
    // The end is recorded before the console hears of it, so that it already
    // reads HasEnded() inside its callback.
    if (wire::ReadType(record) == wire::MSG_SIGNED_IN_ELSEWHERE) Finish(End::SignedInElsewhere);
    return DispatchRecord(record, events_);
}

bool DispatchRecord(wire::ByteView record, ConsoleEvents* events) {
    switch (wire::ReadType(record)) {
        case wire::MSG_SIGNED_IN_ELSEWHERE:
            if (events) events->OnSignedInElsewhere();
            return false;
        case wire::MSG_CODE_CREATED:
            if (events) events->OnCodeCreated(wire::ReadCodeCreated(record));
            return true;
        case wire::MSG_CODE_STATUS:
            if (events) events->OnCodeStatus(wire::ReadCodeStatus(record));
            return true;
        default:
            return true;
    }
}

}  // namespace ostiva
