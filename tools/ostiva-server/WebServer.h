#pragma once
// The server's web pages on a loopback HTTP port: the history page of
// HistoryPage.h and the information page of InformationPage.h, GET only.
// "/" leads to the information page. The pages show customers' details
// without asking who reads them, so they are never served beyond loopback,
// and only to requests whose Host is a loopback name with the server's own
// port (AllowedHost): a page of another site that a browser was led to
// this port by DNS rebinding names its own host and gets 421.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace httplib {
class Server;
}

namespace ostiva::server {

class ServerCore;

// True for "127.0.0.1:PORT", "localhost:PORT" and "[::1]:PORT" (names in
// any case), `port` being the server's own.
bool AllowedHost(const std::string& host, uint16_t port);

class WebServer {
  public:
    // Binds 127.0.0.1:`port` (0: any free port). `demo` describes the demo
    // customer for the information page (empty when it is off). Throws
    // std::runtime_error when the port cannot be bound.
    WebServer(ServerCore& core, uint16_t port, std::string demo);
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;
    ~WebServer();

    uint16_t Port() const { return port_; }

    // Serves until Stop (at once when Stop came first).
    void Run();
    // Ends Run, from any thread.
    void Stop();

  private:
    ServerCore& core_;
    std::string demo_;
    std::string startedAt_;
    std::unique_ptr<httplib::Server> http_;
    uint16_t port_ = 0;

    std::mutex lock_;
    bool stopping_ = false;
    bool entered_ = false;
    std::atomic<bool> finished_{false};
};

}  // namespace ostiva::server
