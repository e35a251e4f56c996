#pragma once
// The control channel's listener, always on 127.0.0.1: each connection
// sends lines and gets one answer line per line (ControlHandler). Lines are
// capped at kMaxControlLine bytes; a connection idle for
// kControlIdleMs is closed. With a token, the first line of each connection
// must be "auth TOKEN" (answered "OK"); any other first line gets
// "ERR auth TOKEN first" and the connection is closed.

#include <atomic>
#include <cstdint>
#include <string>

#include "ControlHandler.h"
#include "Workers.h"
#include "transport/ListenerIPv4.h"

namespace ostiva::server {

class ServerCore;

class ControlServer {
  public:
    static constexpr int kControlIdleMs = 5 * 60000;
    static constexpr size_t kMaxControlConnections = 32;

    // `token` empty: no "auth" line asked.
    ControlServer(ServerCore& core, uint16_t port, std::string token = {});

    uint16_t Port() const { return listener_.Port(); }
    void Run();
    void Stop();

  private:
    void Serve(int fd);
    // Reads and checks the "auth" line; false (the connection is to close)
    // when it is missing or wrong.
    bool Authenticate(int fd, std::string* pending);

    ServerCore& core_;
    ControlHandler handler_;
    std::string token_;
    ListenerIPv4 listener_;
    Workers workers_;
    std::atomic<bool> stopping_{false};
};

}  // namespace ostiva::server
