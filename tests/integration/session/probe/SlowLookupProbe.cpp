// slow_lookup_probe: a login whose name lookup meets a DNS server that never
// answers. It gives itself a private mount namespace in which
// /etc/resolv.conf names one server on 127.53.x.y:53 that this program opens
// and never answers, so no query leaves the loopback, and checks that the
// lookup is bounded by the route's time limit and that Cancel ends it while
// the resolver is still waiting.
//
//   slow_lookup_probe SCRATCH_DIR
//
// Prints one line per failed check. Exit status: 0 all held, 1 a check
// failed, 77 the namespace or the server could not be set up (needs root).
// The caller bounds its run.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "session/SessionClient.h"
#include "util/Utf.h"

namespace {

using namespace ostiva;

int failures = 0;

void Check(bool held, const char* what) {
    if (held) return;
    std::printf("FAILED: %s\n", what);
    ++failures;
}

int Unavailable(const char* step) {
    std::perror(step);
    return 77;
}

// Waits up to `ms` for a query on the silent server and drains it.
bool QueryArrived(int server, int ms) {
    pollfd entry{server, POLLIN, 0};
    if (poll(&entry, 1, ms) != 1) return false;
    char packet[512];
    while (recv(server, packet, sizeof packet, MSG_DONTWAIT) > 0) {
    }
    return true;
}

std::unique_ptr<SessionClient> Client(const std::string& settings, int connectMs) {
    auto client = std::make_unique<SessionClient>(Settings(Profile(settings)), nullptr);
    SessionClient::Timeouts timeouts;
    timeouts.connectMs = connectMs;
    client->SetTimeouts(timeouts);
    return client;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string dir = argv[1];

    // Before any thread exists: the namespace is the whole process's.
    if (unshare(CLONE_NEWNS) != 0) return Unavailable("unshare");
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return Unavailable("mount private");

    const int server = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const pid_t pid = getpid();
    const std::string address =
        "127.53." + std::to_string((pid >> 8) & 0xFF) + "." + std::to_string(1 + pid % 254);
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_port = htons(53);
    inet_pton(AF_INET, address.c_str(), &bound.sin_addr);
    if (server < 0 || bind(server, reinterpret_cast<sockaddr*>(&bound), sizeof bound) != 0)
        return Unavailable("bind the silent server");

    // One server, one try, a long wait: the resolver alone would take 30 s.
    const std::string resolv = dir + "/resolv.conf";
    std::ofstream(resolv) << "nameserver " << address << "\noptions timeout:30 attempts:1\n";
    if (mount(resolv.c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0)
        return Unavailable("bind /etc/resolv.conf");
    const std::string settings = dir + "/info.dat";
    std::ofstream(settings) << "[server]\nsvr_addr=slow-lookup.ostiva.test\nsvr_port=9\n";

    // The route's time limit ends the lookup.
    {
        auto client = Client(settings, 300);
        Check(!client->Login(u"alice", u"secret"), "the login with a silent resolver succeeded");
        const LoginFailure& failure = client->LastLoginFailure();
        Check(failure.reason == LoginFailureReason::Error, "the time limit is not an Error");
        const bool timedOut = !failure.routes.empty() &&
                              failure.routes[0].route == RouteKind::Direct &&
                              failure.routes[0].step == FailureStep::Resolve &&
                              failure.routes[0].cause == FailureCause::TimedOut;
        Check(timedOut, "the failure does not say the lookup ran out of time");
        Check(QueryArrived(server, 5000), "the lookup never asked the silent server");
    }

    // Cancel ends a lookup the resolver is still waiting for.
    {
        auto client = Client(settings, 600000);
        bool loggedIn = true;
        std::thread login([&] { loggedIn = client->Login(u"alice", u"secret"); });
        const bool asked = QueryArrived(server, 10000);
        Check(asked, "the second lookup never asked the silent server");
        client->CancelLogin();
        login.join();  // the caller's bound catches a hang
        Check(!loggedIn, "the cancelled login succeeded");
        Check(client->LastLoginFailure().reason == LoginFailureReason::Cancelled,
              "the cancelled login did not end as Cancelled");
    }

    std::fflush(stdout);
    // The resolver's workers are still waiting for their answers: leave now.
    _exit(failures == 0 ? 0 : 1);
}
