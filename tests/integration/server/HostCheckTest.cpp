// The web pages answer only requests that name the server by a loopback
// name with its own port: a page that a browser reached by DNS rebinding
// names its own host and learns nothing.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "support/ServerProcess.h"

namespace ostiva::test {
namespace {

// The status line of GET `target` sent with `host` as its Host header
// (none when empty).
std::string StatusLine(uint16_t port, const std::string& target, const std::string& host) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    std::string request = "GET " + target + " HTTP/1.1\r\n" +
                          (host.empty() ? "" : "Host: " + host + "\r\n") +
                          "Connection: close\r\n\r\n";
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == ssize_t(request.size())) {
        char buffer[4096];
        pollfd p{fd, POLLIN, 0};
        while (answer.find("\r\n") == std::string::npos && ::poll(&p, 1, 5000) > 0) {
            ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            answer.append(buffer, size_t(n));
        }
    }
    ::close(fd);
    return answer.substr(0, answer.find("\r\n"));
}

TEST(HostCheck, OnlyLoopbackNamesWithTheServersPort) {
    ServerProcess::Options options;
    options.extraArguments = {"--http-port", "0"};
    ServerProcess server(options);
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    uint16_t port = server.HttpPort();
    ASSERT_NE(port, 0);
    std::string own = std::to_string(port);
    std::string history = "/admin/pages/helper/index.php?hid=alice";
    for (const std::string& host :
         {"127.0.0.1:" + own, "localhost:" + own, "LocalHost:" + own, "[::1]:" + own}) {
        EXPECT_EQ(StatusLine(port, history, host), "HTTP/1.1 200 OK") << host;
    }
    for (const std::string& host :
         {std::string("attacker.example"), "attacker.example:" + own, std::string("127.0.0.1"),
          "127.0.0.1:" + std::to_string(port == 65535 ? 1 : port + 1),
          "localhost.attacker.example:" + own, "127.0.0.1:" + own + ".attacker.example",
          std::string()}) {
        EXPECT_EQ(StatusLine(port, history, host), "HTTP/1.1 421 Misdirected Request") << host;
        EXPECT_EQ(StatusLine(port, "/info", host), "HTTP/1.1 421 Misdirected Request") << host;
    }
}

}  // namespace
}  // namespace ostiva::test
