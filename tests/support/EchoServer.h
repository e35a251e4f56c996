#pragma once
// A plain target server on 127.0.0.1: whatever a connection sends comes
// back. The far end of tunnels in the proxy tests. Each connection has its
// own thread; the destructor stops the listener and every connection.

#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "transport/ListenerIPv4.h"
#include "transport/SocketIPv4.h"

namespace ostiva::test {

class EchoServer {
  public:
    EchoServer();
    EchoServer(const EchoServer&) = delete;
    EchoServer& operator=(const EchoServer&) = delete;
    ~EchoServer();

    uint16_t Port() const { return listener_.Port(); }
    // Connections accepted so far.
    int Connections() const;

  private:
    void Serve();

    ListenerIPv4 listener_;
    mutable std::mutex lock_;
    bool stopping_ = false;
    std::vector<std::shared_ptr<SocketIPv4>> connections_;
    std::vector<std::thread> workers_;
    std::thread thread_;
};

}  // namespace ostiva::test
