// The web pages' server and the demo customer on threads of their own, as
// the program runs them: each serves or steps until told to stop, a stop
// that comes first is not lost, and the demo customer moves codes while
// another thread issues them. Run under ThreadSanitizer too.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "Clock.h"
#include "DemoCustomer.h"
#include "ServerCore.h"
#include "ServerDatabase.h"
#include "WebServer.h"

namespace ostiva::server {
namespace {

using namespace std::chrono_literals;

constexpr int kWaitMs = 5000;

// One HTTP/1.0 request on loopback; the whole answer, or "" on a time-out.
std::string Fetch(uint16_t port, const std::string& target) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return {};
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        std::string request =
            "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n";
        if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == ssize_t(request.size())) {
            auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
            char buffer[4096];
            for (;;) {
                auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    end - std::chrono::steady_clock::now());
                pollfd p{fd, POLLIN, 0};
                if (left.count() <= 0 || ::poll(&p, 1, int(left.count())) <= 0) {
                    answer.clear();
                    break;
                }
                ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                answer.append(buffer, size_t(n));
            }
        }
    }
    ::close(fd);
    return answer;
}

TEST(WebServerThread, ServesUntilStoppedAndAStopBeforeRunIsKept) {
    ServerDatabase db;
    ServerCore core(db);
    {
        WebServer web(core, 0, "demo on");
        ASSERT_NE(web.Port(), 0);
        std::thread serving([&] { web.Run(); });
        std::string answer = Fetch(web.Port(), "/info");
        EXPECT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u) << answer;
        EXPECT_NE(answer.find("demo on"), std::string::npos);
        EXPECT_NE(Fetch(web.Port(), "/nothing").find(" 404 "), std::string::npos);
        web.Stop();
        serving.join();
    }
    WebServer early(core, 0, "");
    early.Stop();
    std::thread late([&] { early.Run(); });
    late.join();  // returns at once instead of serving forever
}

TEST(WebServerThread, DemoCustomerMovesCodesIssuedOnAnotherThread) {
    ServerDatabase db;
    ServerCore core(db);
    DemoCustomer demo(core, DemoTimes{0ms, 0ms, 0ms});
    std::thread stepping([&] { demo.Run(); });
    std::vector<int32_t> codes;
    for (int i = 0; i < 5; ++i) {
        auto entry = core.timeline().Issue("alice", NowText());
        ASSERT_TRUE(entry);
        codes.push_back(entry->code);
    }
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    auto allEnded = [&] {
        for (int32_t code : codes) {
            if (core.timeline().Find(code)->state != 3) return false;
        }
        return true;
    };
    while (!allEnded() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(10ms);
    demo.Stop();
    stepping.join();
    EXPECT_TRUE(allEnded());
    EXPECT_EQ(db.CountConnections("alice", TodayText()), 5);
}

}  // namespace
}  // namespace ostiva::server
