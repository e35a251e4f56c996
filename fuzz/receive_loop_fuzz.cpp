// The receive loop's records. Byte 0 chooses the path; the rest is what the
// server sends after the login.
//
// Even byte 0: the bytes are cut into 128-byte records (the last one
// zero-filled) and each is handed to DispatchRecord, which must call the
// console exactly as a plain model of the records says and end the session
// at the first MSG_SIGNED_IN_ELSEWHERE and nowhere else.
//
// Odd byte 0: the same bytes go through a real ReceiveLoop over a local
// socket pair, written in pieces of a size taken from byte 0 while the loop
// reads, and the peer then closes. The console must see the calls of the
// whole records, then one end: a record split across writes is put back
// together, and what arrived of a last record cut short is dropped.
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "session/ConsoleEvents.h"
#include "session/ReceiveLoop.h"
#include "session/Records.h"
#include "transport/SocketIPv4.h"

using namespace ostiva;
using namespace ostiva::wire;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

struct Event {
    enum Kind { Created, Status, Elsewhere, Lost } kind;
    int32_t code = 0;
    CodeStatus status;
};

bool operator==(const Event& a, const Event& b) {
    if (a.kind != b.kind || a.code != b.code) return false;
    const CodeStatus& x = a.status;
    const CodeStatus& y = b.status;
    return x.state == y.state && x.code == y.code && x.connectionNumber == y.connectionNumber &&
           x.firstAddress == y.firstAddress && x.secondAddress == y.secondAddress &&
           x.timeText == y.timeText && x.osCode == y.osCode;
}

class Recorder : public ConsoleEvents {
  public:
    void OnCodeCreated(int32_t code) override { Add(Event{Event::Created, code, {}}); }
    void OnCodeStatus(const CodeStatus& status) override {
        Check(status.firstAddress.size() <= kStatusAddressUnits);
        Check(status.secondAddress.size() <= kStatusAddressUnits);
        Check(status.timeText.size() <= kStatusTimeUnits);
        Add(Event{Event::Status, 0, status});
    }
    void OnSignedInElsewhere() override { Add(Event{Event::Elsewhere, 0, {}}, true); }
    void OnConnectionLost() override { Add(Event{Event::Lost, 0, {}}, true); }

    // Waits for the one call that ends the session; false after ten seconds.
    bool WaitForEnd() {
        std::unique_lock<std::mutex> lock(lock_);
        return ended_.wait_for(lock, std::chrono::seconds(10), [this] { return ends_ > 0; });
    }
    // Only once the loop's thread has been joined, or on this thread.
    const std::vector<Event>& events() const { return events_; }
    int ends() const { return ends_; }

  private:
    void Add(Event event, bool end = false) {
        std::lock_guard<std::mutex> guard(lock_);
        Check(ends_ == 0);  // nothing after the end
        events_.push_back(std::move(event));
        if (end) {
            ++ends_;
            ended_.notify_all();
        }
    }

    std::mutex lock_;
    std::condition_variable ended_;
    std::vector<Event> events_;
    int ends_ = 0;
};

// The calls the console must see for `bytes`, without the final end; true
// when a record ends the session.
bool Model(ByteView bytes, std::vector<Event>* events) {
    for (size_t at = 0; at < bytes.size(); at += kReceiveRecordSize) {
        std::array<uint8_t, kReceiveRecordSize> record{};
        size_t n = std::min(kReceiveRecordSize, bytes.size() - at);
        std::copy_n(bytes.begin() + at, n, record.begin());
        uint16_t type = uint16_t(record[0] | record[1] << 8);
        if (type == MSG_SIGNED_IN_ELSEWHERE) {
            events->push_back(Event{Event::Elsewhere, 0, {}});
            return true;
        }
        if (type == MSG_CODE_CREATED) {
            int32_t code = int32_t(uint32_t(record[8]) | uint32_t(record[9]) << 8 |
                                   uint32_t(record[10]) << 16 | uint32_t(record[11]) << 24);
            events->push_back(Event{Event::Created, code, {}});
        } else if (type == MSG_CODE_STATUS) {
            events->push_back(Event{Event::Status, 0, ReadCodeStatus(record)});
        }
    }
    return false;
}

void Direct(ByteView bytes, const std::vector<Event>& expected, bool endsSession) {
    Recorder recorder;
    bool ended = false;
    for (size_t at = 0; at < bytes.size() && !ended; at += kReceiveRecordSize) {
        std::array<uint8_t, kReceiveRecordSize> record{};
        size_t n = std::min(kReceiveRecordSize, bytes.size() - at);
        std::copy_n(bytes.begin() + at, n, record.begin());
        ended = !DispatchRecord(record, &recorder);
        // Without a console the record is dropped, with the same verdict.
        Check(DispatchRecord(record, nullptr) == !ended);
    }
    Check(ended == endsSession);
    Check(recorder.events() == expected);
}

void ThroughLoop(ByteView bytes, size_t piece, std::vector<Event> expected, bool endsSession) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return;
    SocketIPv4 socket;
    socket.AdoptHandle(pair[0]);
    Recorder recorder;
    ReceiveLoop loop(socket, &recorder);
    loop.Start();

    // Written while the loop reads. A session that ended early stops
    // reading: the rest is then dropped rather than waiting for room.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (size_t at = 0; at < bytes.size();) {
        size_t n = std::min(piece, bytes.size() - at);
        ssize_t sent = send(pair[1], bytes.data() + at, n, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            at += size_t(sent);
            continue;
        }
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) break;
        if (loop.HasEnded()) break;
        Check(std::chrono::steady_clock::now() < deadline);
        pollfd room{pair[1], POLLOUT, 0};
        poll(&room, 1, 100);
    }
    close(pair[1]);

    Check(recorder.WaitForEnd());
    loop.Stop();

    if (!endsSession) expected.push_back(Event{Event::Lost, 0, {}});
    Check(recorder.events() == expected);
    Check(recorder.ends() == 1);
    Check(loop.GetEnd() ==
          (endsSession ? ReceiveLoop::End::SignedInElsewhere : ReceiveLoop::End::ConnectionLost));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    uint8_t mode = data[0];
    ByteView bytes(data + 1, std::min<size_t>(size - 1, 16 * 1024));

    std::vector<Event> expected;
    if (mode % 2 == 0) {
        bool endsSession = Model(bytes, &expected);
        Direct(bytes, expected, endsSession);
    } else {
        ByteView whole = bytes.first(bytes.size() - bytes.size() % kReceiveRecordSize);
        bool endsSession = Model(whole, &expected);
        ThroughLoop(bytes, size_t(mode / 2) + 1, std::move(expected), endsSession);
    }
    return 0;
}
