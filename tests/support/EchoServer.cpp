#include "support/EchoServer.h"

namespace ostiva::test {

EchoServer::EchoServer() {
    thread_ = std::thread([this] { Serve(); });
}

EchoServer::~EchoServer() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
        for (auto& connection : connections_) connection->Shutdown();
    }
    listener_.Shutdown();
    thread_.join();
    for (auto& worker : workers_) worker.join();
}

int EchoServer::Connections() const {
    std::lock_guard<std::mutex> guard(lock_);
    return int(connections_.size());
}

void EchoServer::Serve() {
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (stopping_) return;
        }
        int fd = listener_.Accept(200);
        if (fd < 0) continue;
        auto connection = std::make_shared<SocketIPv4>();
        connection->AdoptHandle(fd);
        std::lock_guard<std::mutex> guard(lock_);
        if (stopping_) return;
        connections_.push_back(connection);
        workers_.emplace_back([connection] {
            char buffer[4096];
            // Bounded: a connection silent for a minute is given up.
            while (connection->WaitReadable(60000)) {
                ssize_t n = connection->ReceiveBytes(buffer, sizeof buffer);
                if (n <= 0 || connection->SendBytes(buffer, size_t(n)) != n) break;
            }
        });
    }
}

}  // namespace ostiva::test
