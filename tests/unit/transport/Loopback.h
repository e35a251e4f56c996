#pragma once
// Two connected SocketIPv4 objects over 127.0.0.1, and helpers for scripted
// peers. Every wait is bounded.

#include <gtest/gtest.h>
#include <netinet/in.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "transport/ListenerIPv4.h"
#include "transport/SocketIPv4.h"

namespace ostiva::test {

inline constexpr int kWaitMs = 5000;

inline AddressIPv4 Loopback(uint16_t port) {
    return AddressIPv4(INADDR_LOOPBACK, port);
}

struct LoopbackPair {
    LoopbackPair() {
        client = std::make_unique<SocketIPv4>();
        connected = client->Connect(Loopback(listener.Port()), kWaitMs);
        int fd = listener.Accept(kWaitMs);
        server = std::make_unique<SocketIPv4>();
        if (fd >= 0) server->AdoptHandle(fd);
        connected = connected && fd >= 0;
    }

    ListenerIPv4 listener;
    std::unique_ptr<SocketIPv4> client;
    std::unique_ptr<SocketIPv4> server;
    bool connected = false;
};

// Runs `peer` on the accepted side of a fresh connection in its own thread
// while `self` runs on the connecting side here; joins before returning.
inline void WithPeer(const std::function<void(SocketIPv4&)>& peer,
                     const std::function<void(SocketIPv4&)>& self) {
    ListenerIPv4 listener;
    std::thread thread([&] {
        int fd = listener.Accept(kWaitMs);
        if (fd < 0) return;
        SocketIPv4 accepted;
        accepted.AdoptHandle(fd);
        peer(accepted);
    });
    SocketIPv4 socket;
    bool connected = socket.Connect(Loopback(listener.Port()), kWaitMs);
    EXPECT_TRUE(connected);
    if (connected) {
        self(socket);
    } else {
        listener.Shutdown();
    }
    thread.join();
}

// The console's 321-byte public-key message as the peer receives it.
inline std::string ReadKeyBlob(SocketIPv4& socket) {
    std::string blob(321, '\0');
    size_t got = socket.ReceiveExact(blob.data(), blob.size(), kWaitMs);
    blob.resize(got);
    return blob;
}

}  // namespace ostiva::test
