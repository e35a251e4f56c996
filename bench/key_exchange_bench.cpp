// The cost of one login's key exchange over loopback against the cost of
// the RSA-1024 key generation inside it, measured in turns. Everything but the key generation
// (encryption, decryption, hex, the transfers) should add little: the final
// line prints the ratio, which should stay at or below 1.2.

#include <benchmark/benchmark.h>
#include <cryptopp/algparam.h>
#include <cryptopp/integer.h>
#include <cryptopp/osrng.h>
#include <cryptopp/rsa.h>
#include <netinet/in.h>

#include <atomic>
#include <chrono>
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

// Each iteration runs one key exchange and one bare key generation, in
// turns, so that the load of a shared machine falls on both alike. The
// iteration time is the exchange's; the counters hold both means in
// milliseconds and their ratio.
void BM_KeyExchangeBesideKeyGeneration(benchmark::State& state) {
    AnsweringServer server;
    AddressIPv4 address(INADDR_LOOPBACK, server.Port());
    CryptoPP::AutoSeededRandomPool random;
    auto exchange = [&] {
        const auto start = std::chrono::steady_clock::now();
        SocketIPv4 console;
        if (!console.Connect(address, 5000) || !console.StartSecureChannel()) return -1.0;
        benchmark::DoNotOptimize(console.sessionKey);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    auto generation = [&] {
        const auto start = std::chrono::steady_clock::now();
        CryptoPP::RSA::PrivateKey key;
        key.GenerateRandom(random, CryptoPP::MakeParameters("ModulusSize", 1024)(
                                       "PublicExponent", CryptoPP::Integer(17)));
        benchmark::DoNotOptimize(key);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    double exchangeTotal = 0;
    double generationTotal = 0;
    for (auto _ : state) {
        double exchanged = 0;
        double generated = 0;
        if (state.iterations() % 2 == 0) {
            generated = generation();
            exchanged = exchange();
        } else {
            exchanged = exchange();
            generated = generation();
        }
        if (exchanged < 0) {
            state.SkipWithError("key exchange failed");
            break;
        }
        exchangeTotal += exchanged;
        generationTotal += generated;
        state.SetIterationTime(exchanged);
    }
    if (state.iterations() > 0 && generationTotal > 0) {
        state.counters["exchange_ms"] = 1e3 * exchangeTotal / double(state.iterations());
        state.counters["generation_ms"] = 1e3 * generationTotal / double(state.iterations());
        state.counters["exchange_over_generation"] = exchangeTotal / generationTotal;
    }
}

// Key generation time varies widely from key to key (the prime search), so
// many pairs are needed for a steady mean.
BENCHMARK(BM_KeyExchangeBesideKeyGeneration)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(600);

// Keeps the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            auto found = run.counters.find("exchange_over_generation");
            if (found != run.counters.end()) ratio = found->second;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double ratio = -1;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (reporter.ratio >= 0) {
        std::printf("key exchange / key generation = %.3f (target <= 1.2)\n", reporter.ratio);
    }
    return 0;
}
