#pragma once
// The control channel's listener, always on 127.0.0.1: each connection
// sends lines and gets one answer line per line (ControlHandler). Lines are
// capped at kMaxControlLine bytes; a connection idle for
// kControlIdleMs is closed.

#include <atomic>
#include <cstdint>

#include "ControlHandler.h"
#include "Workers.h"
#include "transport/ListenerIPv4.h"

namespace ostiva::server {

class ServerCore;

class ControlServer {
  public:
    static constexpr int kControlIdleMs = 5 * 60000;
    static constexpr size_t kMaxControlConnections = 32;

    ControlServer(ServerCore& core, uint16_t port);

    uint16_t Port() const { return listener_.Port(); }
    void Run();
    void Stop();

  private:
    void Serve(int fd);

    ServerCore& core_;
    ControlHandler handler_;
    ListenerIPv4 listener_;
    Workers workers_;
    std::atomic<bool> stopping_{false};
};

}  // namespace ostiva::server
