// A full tunnel set-up through the same squid, with NTLM and with Digest
// authentication: this console's handshake against curl's (--proxy-ntlm,
// --proxy-digest) in the same run. Both are timed from the start of the
// connection to the proxy until the tunnel is open: ours around
// ConnectHttpProxy, curl's by its own time_pretransfer (so its process
// start is not counted). The last lines print ours / curl (target: <= 1.0).
// Needs the peers of scripts/test-services.sh; skipped without them.

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>

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

struct Squid {
    uint16_t port = 0;
    std::string user;
    std::string password;
};

bool SquidFor(const char* portKey, bool ntlm, Squid* out) {
    const TestServices& services = TestServices::Get();
    out->port = services.Port(portKey);
    out->user = services.Value(ntlm ? "NTLM_USER" : "PROXY_USER");
    out->password = services.Value("PROXY_PASSWORD");
    return TestServices::Listening(out->port);
}

void OursTunnel(benchmark::State& state, const char* portKey, bool ntlm) {
    Squid squid;
    if (!SquidFor(portKey, ntlm, &squid)) {
        state.SkipWithError(TestServices::NotRunning("squid").c_str());
        return;
    }
    HttpTarget target;
    for (auto _ : state) {
        SocketIPv4 socket;
        socket.proxyHost.SetString(u"127.0.0.1");
        socket.proxyPort = squid.port;
        socket.proxyIdAnsi.SetString(squid.user);
        socket.proxyPasswordAnsi.SetString(squid.password);
        socket.proxyTimeoutMs = 5000;
        auto start = std::chrono::steady_clock::now();
        bool open = socket.ConnectHttpProxy(u"127.0.0.1", target.Port());
        auto end = std::chrono::steady_clock::now();
        if (!open) {
            state.SkipWithError(("tunnel failed: " + socket.proxyFailure).c_str());
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}

void CurlTunnel(benchmark::State& state, const char* portKey, bool ntlm) {
    Squid squid;
    if (!SquidFor(portKey, ntlm, &squid)) {
        state.SkipWithError(TestServices::NotRunning("squid").c_str());
        return;
    }
    HttpTarget target;
    std::string command =
        std::string("curl -s -o /dev/null --max-time 10 -w '%{time_pretransfer}' -p ") +
        (ntlm ? "--proxy-ntlm" : "--proxy-digest") +
        " -x http://127.0.0.1:" + std::to_string(squid.port) + " -U '" + squid.user + ":" +
        squid.password + "' http://127.0.0.1:" + std::to_string(target.Port()) + "/ 2>/dev/null";
    for (auto _ : state) {
        FILE* pipe = ::popen(command.c_str(), "r");
        char output[64] = {};
        size_t got = pipe ? std::fread(output, 1, sizeof output - 1, pipe) : 0;
        int status = pipe ? ::pclose(pipe) : -1;
        double seconds = got > 0 ? std::atof(output) : 0;
        if (status != 0 || seconds <= 0) {
            state.SkipWithError("curl failed (is curl installed and the proxy reachable?)");
            break;
        }
        state.SetIterationTime(seconds);
    }
}

void BM_OursNtlm(benchmark::State& state) {
    OursTunnel(state, "SQUID_NTLM_PORT", true);
}
void BM_CurlNtlm(benchmark::State& state) {
    CurlTunnel(state, "SQUID_NTLM_PORT", true);
}
void BM_OursDigest(benchmark::State& state) {
    OursTunnel(state, "SQUID_DIGEST_PORT", false);
}
void BM_CurlDigest(benchmark::State& state) {
    CurlTunnel(state, "SQUID_DIGEST_PORT", false);
}

BENCHMARK(BM_OursNtlm)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);
BENCHMARK(BM_CurlNtlm)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);
BENCHMARK(BM_OursDigest)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);
BENCHMARK(BM_CurlDigest)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);

// Keeps each benchmark's mean time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0) {
                means[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> means;
};

void PrintRatio(const RatioReporter& reporter, const char* ours, const char* curl,
                const char* what) {
    auto a = reporter.means.find(ours);
    auto b = reporter.means.find(curl);
    if (a == reporter.means.end() || b == reporter.means.end() || b->second <= 0) {
        std::printf("%s: no ratio (a benchmark was skipped)\n", what);
        return;
    }
    std::printf("%s tunnel set-up, ours / curl = %.3f (target <= 1.0)\n", what,
                a->second / b->second);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintRatio(reporter, "BM_OursNtlm", "BM_CurlNtlm", "NTLM");
    PrintRatio(reporter, "BM_OursDigest", "BM_CurlDigest", "Digest");
    return 0;
}
