#include "support/ScriptedProxy.h"

#include <chrono>

#include "transport/Deadline.h"

namespace ostiva::test {

ScriptedProxy::ScriptedProxy(Script script) : script_(std::move(script)) {
    thread_ = std::thread([this] { Serve(); });
}

ScriptedProxy::~ScriptedProxy() {
    Stop();
}

void ScriptedProxy::Stop() {
    stopping_ = true;
    listener_.Shutdown();
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (current_) current_->Shutdown();
    }
    if (thread_.joinable()) thread_.join();
}

void ScriptedProxy::Serve() {
    while (!stopping_) {
        // Short accept waits, so Stop() is seen soon even if Shutdown() on
        // the listener came before the accept began.
        int fd = listener_.Accept(200);
        if (fd < 0) continue;
        SocketIPv4 connection;
        connection.AdoptHandle(fd);
        {
            std::lock_guard<std::mutex> guard(lock_);
            current_ = &connection;
            if (stopping_) connection.Shutdown();
        }
        int index = connections_.fetch_add(1);
        script_(connection, index);
        std::lock_guard<std::mutex> guard(lock_);
        current_ = nullptr;
    }
}

std::string ReadHttpRequest(SocketIPv4& connection, int timeoutMs) {
    std::string request;
    Deadline deadline(timeoutMs);
    while (request.find("\r\n\r\n") == std::string::npos && !deadline.Expired()) {
        char c;
        if (connection.ReceiveExact(&c, 1, deadline.RemainingMs()) != 1) break;
        request += c;
    }
    return request;
}

std::string ReadBytes(SocketIPv4& connection, size_t size, int timeoutMs) {
    std::string bytes(size, '\0');
    bytes.resize(connection.ReceiveExact(bytes.data(), size, timeoutMs));
    return bytes;
}

void SendText(SocketIPv4& connection, std::string_view text) {
    connection.SendBytes(text.data(), text.size());
}

void SendPieces(SocketIPv4& connection, const std::vector<std::string>& pieces) {
    connection.SetNoDelay();
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        SendText(connection, pieces[i]);
    }
}

void WaitForClose(SocketIPv4& connection, int timeoutMs) {
    Deadline deadline(timeoutMs);
    char sink[256];
    while (!deadline.Expired()) {
        if (!connection.WaitReadable(deadline.RemainingMs())) return;
        if (connection.ReceiveBytes(sink, sizeof sink) <= 0) return;
    }
}

void Echo(SocketIPv4& connection, int idleMs) {
    char buffer[4096];
    while (connection.WaitReadable(idleMs)) {
        ssize_t n = connection.ReceiveBytes(buffer, sizeof buffer);
        if (n <= 0) return;
        if (connection.SendBytes(buffer, size_t(n)) != n) return;
    }
}

std::string HeaderValue(std::string_view request, std::string_view name) {
    std::string needle = "\r\n" + std::string(name) + ": ";
    size_t at = request.find(needle);
    if (at == std::string_view::npos) return {};
    at += needle.size();
    size_t end = request.find("\r\n", at);
    return std::string(request.substr(at, end == std::string_view::npos ? end : end - at));
}

}  // namespace ostiva::test
