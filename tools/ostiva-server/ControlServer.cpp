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
#include "SecretFiles.h"
#include "ServerCore.h"
#include "transport/SocketIPv4.h"

namespace ostiva::server {

namespace {

bool SendAll(int fd, const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
        ssize_t n = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += size_t(n);
    }
    return true;
}

// The next line (without its end) from `pending` and then `fd`. False when
// the connection ended, stayed idle for kControlIdleMs or sent a line
// longer than kMaxControlLine (which is answered).
bool ReadLine(int fd, std::string* pending, std::string* line) {
    char buffer[4096];
    for (;;) {
        size_t end = pending->find('\n');
        if (end != std::string::npos) {
            *line = pending->substr(0, end);
            pending->erase(0, end + 1);
            if (!line->empty() && line->back() == '\r') line->pop_back();
            return true;
        }
        if (pending->size() > kMaxControlLine) {
            SendAll(fd, "ERR line longer than " + std::to_string(kMaxControlLine) + " bytes\n");
            return false;
        }
        pollfd p{fd, POLLIN, 0};
        int ready = ::poll(&p, 1, ControlServer::kControlIdleMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        pending->append(buffer, size_t(n));
    }
}

}  // namespace

ControlServer::ControlServer(ServerCore& core, uint16_t port, std::string token)
    : core_(core), handler_(core), token_(std::move(token)), listener_(port, true) {}

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
        bool started = workers_.Start(
            [this, socket] {
                try {
                    Serve(socket->GetHandle());
                } catch (const std::exception& e) {
                    Log(std::string("control: ") + e.what() + "; closing the connection");
                }
                // The peer sees the end now, not once this worker is reaped
                // (the descriptor closes with the last reference).
                socket->Shutdown();
            },
            [socket] { socket->Shutdown(); }, kMaxControlConnections);
        if (!started) Log("control: connection turned away");
    }
}

void ControlServer::Stop() {
    stopping_.store(true);
    listener_.Shutdown();
    workers_.StopAll();
}

bool ControlServer::Authenticate(int fd, std::string* pending) {
    std::string line;
    if (!ReadLine(fd, pending, &line)) return false;
    const std::string prefix = "auth ";
    if (line.compare(0, prefix.size(), prefix) == 0 &&
        SameSecret(line.substr(prefix.size()), token_)) {
        return SendAll(fd, "OK\n");
    }
    Log("control: a connection without the token closed");
    SendAll(fd, "ERR auth TOKEN first\n");
    return false;
}

// Reads lines from one control connection and answers each.
void ControlServer::Serve(int fd) {
    std::string pending;
    if (!token_.empty() && !Authenticate(fd, &pending)) return;
    std::string line;
    while (ReadLine(fd, &pending, &line)) {
        if (!SendAll(fd, handler_.Handle(line) + "\n")) return;
        if (core_.QuitRequested()) return;
    }
}

}  // namespace ostiva::server
