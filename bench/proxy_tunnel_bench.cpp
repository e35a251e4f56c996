// A full tunnel set-up through the same proxy, this console's handshake
// against curl's in the same run: squid with Basic, Digest and NTLM
// authentication (HTTP CONNECT), dante with SOCKS5 and microsocks with
// SOCKS5 and username/password. Both are timed, in turns, from the start
// of the connection to the proxy until the tunnel is open: ours around
// ConnectHttpProxy or ConnectSocks5Proxy, curl's by its own
// time_pretransfer (so its process start is not counted). The last lines
// print ours / curl (target: <= 1.0). Needs the peers of
// scripts/test-services.sh; skipped without them.

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>

#include "proxy/ProxyHandshakes.h"
#include "support/TestServices.h"
#include "transport/ListenerIPv4.h"
#include "transport/SocketIPv4.h"

namespace {

using namespace ostiva;
using ostiva::test::TestServices;

// The far end of the tunnels: answers any request with a tiny HTTP reply
// and closes, so curl's transfer ends at once.
class HttpTarget {
  public:
    HttpTarget() : thread_([this] { Run(); }) {}
    ~HttpTarget() {
        stop_ = true;
        listener_.Shutdown();
        thread_.join();
    }
    uint16_t Port() const { return listener_.Port(); }

  private:
    void Run() {
        while (!stop_) {
            int fd = listener_.Accept(200);
            if (fd < 0) continue;
            SocketIPv4 socket;
            socket.AdoptHandle(fd);
            // Ours sends nothing: the peer closes, or the request arrives.
            char buffer[1024];
            if (socket.WaitReadable(2000) && socket.ReceiveBytes(buffer, sizeof buffer) > 0) {
                static const char kReply[] = "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok";
                socket.SendBytes(kReply, sizeof kReply - 1);
            }
        }
    }

    ListenerIPv4 listener_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// How a tunnel is asked for, and of which peer.
enum class Scheme { Basic, Digest, Ntlm, Socks5, Socks5Password };

struct Peer {
    uint16_t port = 0;
    std::string user;  // empty: no credentials are given
    std::string password;
};

bool IsSocks(Scheme scheme) {
    return scheme == Scheme::Socks5 || scheme == Scheme::Socks5Password;
}

bool PeerFor(const char* portKey, Scheme scheme, Peer* out) {
    const TestServices& services = TestServices::Get();
    out->port = services.Port(portKey);
    if (scheme != Scheme::Socks5) {
        out->user = services.Value(scheme == Scheme::Ntlm ? "NTLM_USER" : "PROXY_USER");
        out->password = services.Value("PROXY_PASSWORD");
    }
    return TestServices::Listening(out->port);
}

// Seconds from the start of the connection to the proxy until the tunnel
// is open, or negative (with `failure` set) when it did not open.
double OursOnce(const Peer& peer, Scheme scheme, uint16_t targetPort, std::string* failure) {
    SocketIPv4 socket;
    socket.proxyHost.SetString(u"127.0.0.1");
    socket.proxyPort = peer.port;
    socket.proxyIdAnsi.SetString(peer.user);
    socket.proxyPasswordAnsi.SetString(peer.password);
    socket.proxyTimeoutMs = 5000;
    auto start = std::chrono::steady_clock::now();
    bool open = IsSocks(scheme) ? ConnectSocks5Proxy(socket, u"127.0.0.1", targetPort)
                                : ConnectHttpProxy(socket, u"127.0.0.1", targetPort);
    auto end = std::chrono::steady_clock::now();
    if (!open) {
        *failure = "tunnel failed: " + socket.proxyFailure;
        return -1;
    }
    return std::chrono::duration<double>(end - start).count();
}

// The curl command line for the same tunnel; it prints curl's own count of
// the same span (time_pretransfer).
std::string CurlCommand(const Peer& peer, Scheme scheme, uint16_t targetPort) {
    const std::string proxy = "127.0.0.1:" + std::to_string(peer.port);
    std::string command = "curl -s -o /dev/null --max-time 10 -w '%{time_pretransfer}' ";
    switch (scheme) {
        case Scheme::Basic:
            command += "-p --proxy-basic -x http://" + proxy;
            break;
        case Scheme::Digest:
            command += "-p --proxy-digest -x http://" + proxy;
            break;
        case Scheme::Ntlm:
            command += "-p --proxy-ntlm -x http://" + proxy;
            break;
        case Scheme::Socks5:
        case Scheme::Socks5Password:
            command += "-x socks5://" + proxy;
            break;
    }
    if (!peer.user.empty()) command += " -U '" + peer.user + ":" + peer.password + "'";
    return command + " http://127.0.0.1:" + std::to_string(targetPort) + "/ 2>/dev/null";
}

// That count in seconds, or negative when curl failed.
double CurlOnce(const std::string& command) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return -1;
    char output[64] = {};
    size_t got = std::fread(output, 1, sizeof output - 1, pipe);
    int status = ::pclose(pipe);
    double seconds = got > 0 ? std::atof(output) : 0;
    return status == 0 && seconds > 0 ? seconds : -1;
}

// Each iteration sets up one tunnel each way, in turns, so that the load of
// a shared machine falls on both alike. The iteration time is ours; the
// counters hold both means in microseconds and their ratio.
void Tunnels(benchmark::State& state, const char* portKey, Scheme scheme) {
    Peer peer;
    if (!PeerFor(portKey, scheme, &peer)) {
        state.SkipWithError(TestServices::NotRunning(portKey).c_str());
        return;
    }
    HttpTarget target;
    const std::string command = CurlCommand(peer, scheme, target.Port());
    double oursTotal = 0;
    double curlTotal = 0;
    for (auto _ : state) {
        std::string failure;
        double ours = 0;
        double curl = 0;
        if (state.iterations() % 2 == 0) {
            curl = CurlOnce(command);
            ours = OursOnce(peer, scheme, target.Port(), &failure);
        } else {
            ours = OursOnce(peer, scheme, target.Port(), &failure);
            curl = CurlOnce(command);
        }
        if (ours < 0) {
            state.SkipWithError(failure.c_str());
            break;
        }
        if (curl < 0) {
            state.SkipWithError("curl failed (is curl installed and the proxy reachable?)");
            break;
        }
        oursTotal += ours;
        curlTotal += curl;
        state.SetIterationTime(ours);
    }
    if (state.iterations() > 0 && curlTotal > 0) {
        state.counters["ours_us"] = 1e6 * oursTotal / double(state.iterations());
        state.counters["curl_us"] = 1e6 * curlTotal / double(state.iterations());
        state.counters["ours_over_curl"] = oursTotal / curlTotal;
    }
}

void BM_Basic(benchmark::State& state) {
    Tunnels(state, "SQUID_BASIC_PORT", Scheme::Basic);
}
void BM_Digest(benchmark::State& state) {
    Tunnels(state, "SQUID_DIGEST_PORT", Scheme::Digest);
}
void BM_Ntlm(benchmark::State& state) {
    Tunnels(state, "SQUID_NTLM_PORT", Scheme::Ntlm);
}
void BM_Socks5(benchmark::State& state) {
    Tunnels(state, "DANTE_PORT", Scheme::Socks5);
}
void BM_Socks5Password(benchmark::State& state) {
    Tunnels(state, "MICROSOCKS_PORT", Scheme::Socks5Password);
}

#define TUNNEL_BENCHMARK(name) \
    BENCHMARK(name)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300)
TUNNEL_BENCHMARK(BM_Basic);
TUNNEL_BENCHMARK(BM_Digest);
TUNNEL_BENCHMARK(BM_Ntlm);
TUNNEL_BENCHMARK(BM_Socks5);
TUNNEL_BENCHMARK(BM_Socks5Password);

// Keeps each benchmark's ratio.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            auto ratio = run.counters.find("ours_over_curl");
            if (ratio != run.counters.end()) ratios[run.run_name.function_name] = ratio->second;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> ratios;
};

void PrintRatio(const RatioReporter& reporter, const char* name, const char* what) {
    auto ratio = reporter.ratios.find(name);
    if (ratio == reporter.ratios.end()) {
        std::printf("%s: no ratio (the benchmark was skipped)\n", what);
        return;
    }
    std::printf("%s tunnel set-up, ours / curl = %.3f (target <= 1.0)\n", what, ratio->second);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintRatio(reporter, "BM_Basic", "Basic");
    PrintRatio(reporter, "BM_Digest", "Digest");
    PrintRatio(reporter, "BM_Ntlm", "NTLM");
    PrintRatio(reporter, "BM_Socks5", "SOCKS5");
    PrintRatio(reporter, "BM_Socks5Password", "SOCKS5 username/password");
    return 0;
}
