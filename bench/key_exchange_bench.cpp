// The cost of one login's key exchange over loopback against the cost of
// the RSA-1024 key generation inside it. Everything but the key generation
// (encryption, decryption, hex, the transfers) should add little: the final
// line prints the ratio, which should stay at or below 1.2.

#include <benchmark/benchmark.h>
#include <cryptopp/algparam.h>
#include <cryptopp/integer.h>
#include <cryptopp/osrng.h>
#include <cryptopp/rsa.h>
#include <netinet/in.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <string>
#include <thread>

#include "transport/ListenerIPv4.h"
#include "transport/SecureChannel.h"
#include "transport/SocketIPv4.h"

namespace {

using namespace ostiva;

// Answers every connection on a loopback listener until stopped.
class AnsweringServer {
  public:
    AnsweringServer() : thread_([this] { Run(); }) {}
    ~AnsweringServer() {
        stop_ = true;
        listener_.Shutdown();
        thread_.join();
    }
    uint16_t Port() const { return listener_.Port(); }

  private:
    void Run() {
        while (!stop_) {
            int fd = listener_.Accept(1000);
            if (fd < 0) continue;
            SocketIPv4 socket;
            socket.AdoptHandle(fd);
            AnswerSecureChannel(socket, nullptr, nullptr);
        }
    }

    ListenerIPv4 listener_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

void BM_KeyExchangeLoopback(benchmark::State& state) {
    AnsweringServer server;
    AddressIPv4 address(INADDR_LOOPBACK, server.Port());
    for (auto _ : state) {
        SocketIPv4 console;
        if (!console.Connect(address, 5000) || !console.StartSecureChannel()) {
            state.SkipWithError("key exchange failed");
            break;
        }
        benchmark::DoNotOptimize(console.sessionKey);
    }
}

void BM_RsaKeyGeneration1024(benchmark::State& state) {
    CryptoPP::AutoSeededRandomPool random;
    for (auto _ : state) {
        CryptoPP::RSA::PrivateKey key;
        key.GenerateRandom(random, CryptoPP::MakeParameters("ModulusSize", 1024)(
                                       "PublicExponent", CryptoPP::Integer(17)));
        benchmark::DoNotOptimize(key);
    }
}

BENCHMARK(BM_KeyExchangeLoopback)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_RsaKeyGeneration1024)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// Keeps each benchmark's mean time per iteration for the ratio.
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

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    auto exchange = reporter.means.find("BM_KeyExchangeLoopback");
    auto generation = reporter.means.find("BM_RsaKeyGeneration1024");
    if (exchange != reporter.means.end() && generation != reporter.means.end() &&
        generation->second > 0) {
        std::printf("key exchange / key generation = %.3f (target <= 1.2)\n",
                    exchange->second / generation->second);
    }
    return 0;
}
