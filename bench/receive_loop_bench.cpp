// How fast the receive loop takes the server's records off a loopback
// connection and hands them to the console, against the physical limit: a
// plain loop that reads the same bytes from the same kind of socket, one
// 128-byte record at a time, and only counts them. Both read on a thread of
// their own while another thread sends the same stream; both are timed
// from the start of the sending until the last record is taken, in turns.
// The last line prints ours / plain in records per second (1.0 would cost
// nothing).

#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "CounterReporter.h"
#include "session/ConsoleEvents.h"
#include "session/ReceiveLoop.h"
#include "transport/ListenerIPv4.h"
#include "transport/SocketIPv4.h"

namespace {

using namespace ostiva;

constexpr size_t kRecords = 200000;

// What a busy server sends: mostly statuses, now and then a new code.
const wire::Bytes& Stream() {
    static const wire::Bytes stream = [] {
        wire::Bytes bytes;
        bytes.reserve(kRecords * wire::kReceiveRecordSize);
        for (size_t i = 0; i < kRecords; ++i) {
            wire::Bytes record;
            if (i % 10 == 0) {
                record = wire::BuildCodeCreated(100000 + int32_t(i % 1000));
            } else {
                wire::CodeStatus status;
                status.state = uint16_t(i % 4);
                status.code = 100000 + int32_t(i % 1000);
                status.connectionNumber = int32_t(i);
                status.firstAddress = u"198.51.100.7";
                status.secondAddress = u"10.0.0.7";
                status.timeText = u"2024-05-01 10:00:00";
                status.osCode = 6;
                record = wire::BuildCodeStatus(status);
            }
            bytes.insert(bytes.end(), record.begin(), record.end());
        }
        return bytes;
    }();
    return stream;
}

// A connected pair over 127.0.0.1: `reader` is the console's end.
struct Connection {
    Connection() {
        reader.Connect(AddressIPv4(INADDR_LOOPBACK, listener.Port()), 5000);
        int fd = listener.Accept(5000);
        if (fd >= 0) writer.AdoptHandle(fd);
        ok = fd >= 0;
    }
    // Sends the whole stream and closes the sending side.
    std::thread SendAll() {
        return std::thread([this] {
            const wire::Bytes& bytes = Stream();
            constexpr size_t kChunk = 64 * 1024;
            for (size_t at = 0; at < bytes.size(); at += kChunk) {
                size_t size = std::min(kChunk, bytes.size() - at);
                if (writer.SendBytes(bytes.data() + at, size) != ssize_t(size)) break;
            }
            ::shutdown(writer.GetHandle(), SHUT_WR);
        });
    }

    ListenerIPv4 listener;
    SocketIPv4 reader;
    SocketIPv4 writer;
    bool ok = false;
};

// The console's side, reduced to counting what the loop hands over.
class CountingEvents : public ConsoleEvents {
  public:
    void OnCodeCreated(int32_t code) override {
        codes += code;
        ++records;
    }
    void OnCodeStatus(const wire::CodeStatus& status) override {
        codes += status.code + status.state;
        ++records;
    }
    void OnSignedInElsewhere() override { Finish(); }
    void OnConnectionLost() override { Finish(); }

    // False when the end did not come within the time.
    bool WaitForEnd(std::chrono::seconds limit) {
        std::unique_lock<std::mutex> lock(mutex_);
        return ended_.wait_for(lock, limit, [this] { return done_; });
    }

    size_t records = 0;  // touched by the loop's thread only until the end
    int64_t codes = 0;

  private:
    void Finish() {
        std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
        ended_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
};

// Seconds from the start of the sending until the receive loop has handed
// over the last record; negative when it did not hand over every record.
double TimeReceiveLoop() {
    Connection connection;
    if (!connection.ok) return -1;
    CountingEvents events;
    ReceiveLoop loop(connection.reader, &events);
    const auto start = std::chrono::steady_clock::now();
    std::thread sender = connection.SendAll();
    loop.Start();
    const bool ended = events.WaitForEnd(std::chrono::seconds(30));
    const auto end = std::chrono::steady_clock::now();
    loop.Stop();
    sender.join();
    if (!ended || events.records != kRecords) return -1;
    benchmark::DoNotOptimize(events.codes);
    return std::chrono::duration<double>(end - start).count();
}

// The same for a plain loop that reads whole records and counts them.
double TimePlainRecv() {
    Connection connection;
    if (!connection.ok) return -1;
    size_t records = 0;
    const auto start = std::chrono::steady_clock::now();
    std::thread sender = connection.SendAll();
    std::thread reader([&] {
        const int fd = connection.reader.GetHandle();
        uint8_t record[wire::kReceiveRecordSize];
        for (;;) {
            size_t got = 0;
            while (got < sizeof record) {
                ssize_t n = ::recv(fd, record + got, sizeof record - got, 0);
                if (n <= 0) return;
                got += size_t(n);
            }
            benchmark::DoNotOptimize(record);
            ++records;
        }
    });
    reader.join();
    const auto end = std::chrono::steady_clock::now();
    sender.join();
    if (records != kRecords) return -1;
    return std::chrono::duration<double>(end - start).count();
}

// Each iteration times both, in turns, so that the load of a shared machine
// falls on both alike. The iteration time is the receive loop's; the
// counters hold both rates.
void BM_ReceiveLoopBesidePlainRecv(benchmark::State& state) {
    Stream();
    double ours = 0;
    double plain = 0;
    for (auto _ : state) {
        const bool plainFirst = state.iterations() % 2 == 0;
        const double first = plainFirst ? TimePlainRecv() : TimeReceiveLoop();
        const double second = plainFirst ? TimeReceiveLoop() : TimePlainRecv();
        if (first < 0 || second < 0) {
            state.SkipWithError("a loop did not take every record");
            break;
        }
        const double oursNow = plainFirst ? second : first;
        ours += oursNow;
        plain += plainFirst ? first : second;
        state.SetIterationTime(oursNow);
    }
    const double records = double(state.iterations()) * kRecords;
    if (ours > 0 && plain > 0) {
        state.counters["ours_records_per_s"] = records / ours;
        state.counters["plain_records_per_s"] = records / plain;
        state.counters["ours_over_plain"] = plain / ours;  // same records: rates inverse to times
    }
}

BENCHMARK(BM_ReceiveLoopBesidePlainRecv)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ostiva::bench::CounterReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    auto ratio = reporter.counters.find("ours_over_plain");
    if (ratio != reporter.counters.end()) {
        std::printf("receive loop / plain recv, records per second = %.3f (%.0f / %.0f)\n",
                    ratio->second, reporter.counters["ours_records_per_s"],
                    reporter.counters["plain_records_per_s"]);
    }
    return 0;
}
