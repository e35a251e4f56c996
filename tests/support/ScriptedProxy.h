#pragma once
// A small proxy that misbehaves on request, for what real proxies will not
// do when asked: a loopback listener whose connections are handed, one after
// another, to a script. The script reads and answers with the helpers below
// (split segments, silence, odd headers, SOCKS bytes) and may then act as
// the far end of the tunnel. Every wait is bounded; the destructor stops the
// listener and any connection still open.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "transport/ListenerIPv4.h"
#include "transport/SocketIPv4.h"

namespace ostiva::test {

inline constexpr int kScriptWaitMs = 5000;

class ScriptedProxy {
  public:
    // Called for each accepted connection with its number (0, 1, ...).
    using Script = std::function<void(SocketIPv4& connection, int index)>;

    explicit ScriptedProxy(Script script);
    ScriptedProxy(const ScriptedProxy&) = delete;
    ScriptedProxy& operator=(const ScriptedProxy&) = delete;
    ~ScriptedProxy();

    uint16_t Port() const { return listener_.Port(); }
    // Connections accepted so far.
    int Connections() const { return connections_.load(); }

    // Ends the listener and the connection being served; joins.
    void Stop();

  private:
    void Serve();

    Script script_;
    ListenerIPv4 listener_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    std::mutex lock_;
    SocketIPv4* current_ = nullptr;
    std::thread thread_;
};

// What a script saw, kept for the test's thread to check.
class Notes {
  public:
    void Add(std::string note) {
        std::lock_guard<std::mutex> guard(lock_);
        notes_.push_back(std::move(note));
    }
    std::vector<std::string> All() const {
        std::lock_guard<std::mutex> guard(lock_);
        return notes_;
    }
    // The note at `index`, or empty.
    std::string At(size_t index) const {
        std::lock_guard<std::mutex> guard(lock_);
        return index < notes_.size() ? notes_[index] : std::string();
    }

  private:
    mutable std::mutex lock_;
    std::vector<std::string> notes_;
};

// Reads an HTTP request up to and including its blank line; what arrived
// when the peer closes or the wait ends otherwise.
std::string ReadHttpRequest(SocketIPv4& connection, int timeoutMs = kScriptWaitMs);
// Reads exactly `size` bytes (fewer when the peer closes or time runs out).
std::string ReadBytes(SocketIPv4& connection, size_t size, int timeoutMs = kScriptWaitMs);
// Sends the text; with several pieces, each goes in its own TCP segment
// with a short pause between them.
void SendText(SocketIPv4& connection, std::string_view text);
void SendPieces(SocketIPv4& connection, const std::vector<std::string>& pieces);
// Returns once the peer closes or `timeoutMs` passes, reading whatever comes.
void WaitForClose(SocketIPv4& connection, int timeoutMs = kScriptWaitMs);
// Echoes bytes back until the peer closes or nothing comes for `idleMs`.
void Echo(SocketIPv4& connection, int idleMs = kScriptWaitMs);
// The value of a header line ("Name: value") in a request; empty if absent.
std::string HeaderValue(std::string_view request, std::string_view name);

}  // namespace ostiva::test
