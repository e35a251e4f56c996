#include "ControlServer.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "ControlLine.h"
#include "Log.h"
#include "ServerCore.h"
#include "transport/SocketIPv4.h"

namespace ostiva::server {

ControlServer::ControlServer(ServerCore& core, uint16_t port)
    : core_(core), handler_(core), listener_(port, true) {}

void ControlServer::Run() {
    for (;;) {
        int fd = listener_.Accept(-1);
        if (fd < 0) {
            if (stopping_.load()) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        auto socket = std::make_shared<SocketIPv4>();
        socket->AdoptHandle(fd);
        bool started = workers_.Start([this, socket] { Serve(socket->GetHandle()); },
                                      [socket] { socket->Shutdown(); }, kMaxControlConnections);
        if (!started) Log("control: connection turned away");
    }
}

void ControlServer::Stop() {
    stopping_.store(true);
    listener_.Shutdown();
    workers_.StopAll();
}

// Reads lines from one control connection and answers each.
void ControlServer::Serve(int fd) {
    std::string pending;
    char buffer[4096];
    for (;;) {
        size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::string answer = handler_.Handle(line) + "\n";
            size_t sent = 0;
            while (sent < answer.size()) {
                ssize_t n = ::send(fd, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) return;
                sent += size_t(n);
            }
            if (core_.QuitRequested()) return;
        }
        if (pending.size() > kMaxControlLine) {
            std::string answer =
                "ERR line longer than " + std::to_string(kMaxControlLine) + " bytes\n";
            ::send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
            return;
        }
        pollfd p{fd, POLLIN, 0};
        int ready = ::poll(&p, 1, kControlIdleMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return;
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        pending.append(buffer, size_t(n));
    }
}

}  // namespace ostiva::server
