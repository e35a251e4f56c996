#pragma once
// The consoles' listener: accepts connections and serves each on its own
// thread (ConsoleConnection).

#include <atomic>
#include <cstdint>
#include <string>

#include "ConsoleConnection.h"
#include "Workers.h"
#include "transport/ListenerIPv4.h"

namespace ostiva::server {

class ServerCore;

class SessionServer {
  public:
    // More consoles than this at once are turned away.
    static constexpr size_t kMaxConnections = 256;
    // Of those, at most this many whose credentials have not held yet, so
    // that idle or guessing connections never take the signed-in consoles'
    // places.
    static constexpr size_t kMaxWaitingForSignIn = 64;

    // Binds 127.0.0.1 (loopbackOnly) or every address. Throws
    // SocketException when the port cannot be had.
    SessionServer(ServerCore& core, uint16_t port, bool loopbackOnly,
                  const ConnectionLimits& limits = {});

    uint16_t Port() const { return listener_.Port(); }

    // Accepts until Stop().
    void Run();
    // From any thread: stops accepting, closes every connection and waits
    // for their threads.
    void Stop();

  private:
    ServerCore& core_;
    ConnectionLimits limits_;
    ListenerIPv4 listener_;
    // Before workers_: the connections' threads count down until joined.
    std::atomic<size_t> waitingForSignIn_{0};
    Workers workers_;
    std::atomic<bool> stopping_{false};
};

// "127.0.0.1:40022".
std::string PeerText(const AddressIPv4& address);

}  // namespace ostiva::server
