#pragma once
// A loopback relay between one console and the real server that spoils the
// server's byte stream at a chosen offset: it closes both connections there,
// stops passing the server's bytes on (keeping both connections open), or
// passes garbage in place of a stretch of them. The console's bytes always
// reach the server unchanged. Every wait is bounded; the destructor ends the
// relay and closes both connections.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>

#include "transport/ListenerIPv4.h"

namespace ostiva::test {

enum class RelayFault { None, Close, Stall, Garbage };

const char* RelayFaultName(RelayFault fault);

struct RelayPlan {
    RelayFault fault = RelayFault::None;
    // The first byte of the server's stream (counted from 0) that is lost.
    size_t offset = 0;
    // Garbage: the bytes [offset, garbageEnd) are replaced; the stream goes
    // on unchanged after them.
    size_t garbageEnd = 0;
    // Seeds the garbage, so a failing case can be run again as it was.
    uint32_t seed = 1;
};

class FaultRelay {
  public:
    // Waits for the console for up to `acceptMs`.
    FaultRelay(uint16_t serverPort, RelayPlan plan, int acceptMs = 10000);
    FaultRelay(const FaultRelay&) = delete;
    FaultRelay& operator=(const FaultRelay&) = delete;
    ~FaultRelay();

    uint16_t Port() const { return listener_.Port(); }
    // Bytes of the server's stream the relay has taken so far (passed on,
    // replaced or held back at the fault).
    size_t ServerBytes() const { return serverBytes_.load(); }
    // Ends the relay and closes both connections; joins.
    void Stop();

  private:
    void Run();

    uint16_t serverPort_;
    RelayPlan plan_;
    int acceptMs_;
    ListenerIPv4 listener_;
    std::atomic<bool> stopping_{false};
    std::atomic<size_t> serverBytes_{0};
    std::thread thread_;
};

}  // namespace ostiva::test
