#include "FaultRelay.h"

#include <poll.h>

#include <cerrno>
#include <vector>

#include "transport/AddressIPv4.h"
#include "transport/SocketIPv4.h"

namespace ostiva::test {

namespace {

constexpr uint32_t kLoopback = 0x7F000001;
constexpr int kConnectMs = 5000;
// How soon Stop() is noticed.
constexpr int kPollMs = 50;

// xorshift32: cheap, and the same garbage for the same seed.
uint8_t NextGarbage(uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<uint8_t>(state >> 24);
}

}  // namespace

const char* RelayFaultName(RelayFault fault) {
    switch (fault) {
        case RelayFault::None:
            return "none";
        case RelayFault::Close:
            return "close";
        case RelayFault::Stall:
            return "stall";
        case RelayFault::Garbage:
            return "garbage";
    }
    return "?";
}

FaultRelay::FaultRelay(uint16_t serverPort, RelayPlan plan, int acceptMs)
    : serverPort_(serverPort), plan_(plan), acceptMs_(acceptMs) {
    thread_ = std::thread([this] { Run(); });
}

FaultRelay::~FaultRelay() {
    Stop();
}

void FaultRelay::Stop() {
    stopping_ = true;
    listener_.Shutdown();
    if (thread_.joinable()) thread_.join();
}

void FaultRelay::Run() {
    int fd = listener_.Accept(acceptMs_);
    if (fd < 0) return;
    SocketIPv4 console;
    console.AdoptHandle(fd);
    SocketIPv4 server;
    if (!server.Connect(AddressIPv4(kLoopback, serverPort_), kConnectMs)) return;

    uint32_t garbage = plan_.seed != 0 ? plan_.seed : 1;
    bool stalled = false;
    std::vector<uint8_t> buffer(4096);
    // Leaving the loop closes both connections.
    while (!stopping_.load()) {
        // A stalled server is no longer read: its bytes wait in the socket.
        pollfd fds[2] = {{console.GetHandle(), POLLIN, 0},
                         {stalled ? -1 : server.GetHandle(), POLLIN, 0}};
        int ready = ::poll(fds, 2, kPollMs);
        if (ready < 0 && errno != EINTR) return;
        if (ready <= 0) continue;

        if (fds[0].revents != 0) {
            ssize_t got = console.ReceiveBytes(buffer.data(), buffer.size());
            if (got <= 0) return;
            // After a stall the server may have gone; the console's bytes are
            // then dropped, as a stalled path would.
            if (server.SendBytes(buffer.data(), size_t(got)) != got && !stalled) return;
        }
        if (fds[1].revents != 0) {
            ssize_t got = server.ReceiveBytes(buffer.data(), buffer.size());
            if (got <= 0) return;
            size_t start = serverBytes_.load();
            size_t count = size_t(got);
            serverBytes_ += count;
            size_t end = start + count;
            bool cut = (plan_.fault == RelayFault::Close || plan_.fault == RelayFault::Stall) &&
                       end > plan_.offset;
            if (cut) {
                size_t keep = plan_.offset > start ? plan_.offset - start : 0;
                if (keep > 0) console.SendBytes(buffer.data(), keep);
                if (plan_.fault == RelayFault::Close) return;
                stalled = true;
                continue;
            }
            if (plan_.fault == RelayFault::Garbage) {
                for (size_t i = 0; i < count; ++i) {
                    size_t position = start + i;
                    if (position >= plan_.offset && position < plan_.garbageEnd) {
                        buffer[i] = NextGarbage(garbage);
                    }
                }
            }
            if (console.SendBytes(buffer.data(), count) != got) return;
        }
    }
}

}  // namespace ostiva::test
