#pragma once
// A listening TCP socket for the bundled server and the tests.

#include <atomic>
#include <cstdint>

#include "transport/AddressIPv4.h"
#include "transport/WsaStartup.h"

namespace ostiva {

class ListenerIPv4 {
  public:
    // Binds 127.0.0.1 (loopbackOnly) or every address on `port` (0 lets the
    // system choose) and listens. Throws SocketException on failure.
    explicit ListenerIPv4(uint16_t port = 0, bool loopbackOnly = true, int backlog = 16);
    ListenerIPv4(const ListenerIPv4&) = delete;
    ListenerIPv4& operator=(const ListenerIPv4&) = delete;
    virtual ~ListenerIPv4();

    // The bound port (the chosen one when 0 was asked for).
    uint16_t Port() const { return port_; }
    int GetHandle() const { return handle_.load(std::memory_order_acquire); }

    // Waits up to `timeoutMs` (negative: no limit) for a connection and
    // returns its close-on-exec descriptor, owned by the caller; -1 on time
    // out, failure or after Shutdown(). `peer` (optional) receives the
    // caller's address.
    int Accept(int timeoutMs, AddressIPv4* peer = nullptr);

    // Wakes an Accept blocked in another thread; later accepts fail.
    void Shutdown();

  private:
    WsaStartup wsa_;
    std::atomic<int> handle_{-1};
    std::atomic<bool> stopped_{false};
    uint16_t port_ = 0;
};

}  // namespace ostiva
