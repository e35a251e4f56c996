#include "SessionServer.h"

#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>

#include "Log.h"
#include "ServerCore.h"
#include "util/Utf.h"

namespace ostiva::server {

std::string PeerText(const AddressIPv4& address) {
    return ToUtf8(address.ToString()) + ":" + std::to_string(address.GetPort());
}

SessionServer::SessionServer(ServerCore& core, uint16_t port, bool loopbackOnly,
                             const ConnectionLimits& limits)
    : core_(core), limits_(limits), listener_(port, loopbackOnly) {}

void SessionServer::Run() {
    for (;;) {
        AddressIPv4 peer;
        int fd = listener_.Accept(-1, &peer);
        if (fd < 0) {
            if (stopping_.load()) return;
            // Out of descriptors, most likely: give the others time to end.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        std::string where = PeerText(peer);
        if (waitingForSignIn_.fetch_add(1) >= kMaxWaitingForSignIn) {
            waitingForSignIn_.fetch_sub(1);
            ::close(fd);
            Log(where + ": turned away (too many connections that have not signed in)");
            continue;
        }
        std::shared_ptr<ConsoleConnection> connection;
        try {
            connection =
                std::make_shared<ConsoleConnection>(core_, fd, where, limits_, &waitingForSignIn_);
        } catch (const std::exception& e) {
            waitingForSignIn_.fetch_sub(1);
            Log(where + ": " + e.what());
            continue;
        }
        std::weak_ptr<ConsoleConnection> handle = connection;
        bool started = workers_.Start(
            [connection]() mutable {
                try {
                    connection->Serve();
                } catch (const std::exception& e) {
                    Log(connection->peer() + ": " + e.what() + "; closing the connection");
                    connection->Close();
                } catch (...) {
                    Log(connection->peer() + ": unknown error; closing the connection");
                    connection->Close();
                }
                // The last reference here closes the socket.
                connection.reset();
            },
            [handle] {
                if (auto live = handle.lock()) live->Close();
            },
            kMaxConnections);
        if (!started) Log(where + ": turned away (too many connections, or shutting down)");
    }
}

void SessionServer::Stop() {
    stopping_.store(true);
    listener_.Shutdown();
    workers_.StopAll();
}

}  // namespace ostiva::server
