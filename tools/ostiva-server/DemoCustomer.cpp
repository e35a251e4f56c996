#include "DemoCustomer.h"

#include "Clock.h"
#include "Log.h"
#include "ServerCore.h"
#include "session/AccessCode.h"
#include "util/Utf.h"

namespace ostiva::server {

namespace {

constexpr uint16_t State(AccessCodeState s) {
    return static_cast<uint16_t>(s);
}

std::optional<std::chrono::milliseconds> ParseSeconds(const std::string& text) {
    if (text.empty() || text.size() > 12) return std::nullopt;
    size_t dot = text.find('.');
    std::string whole = text.substr(0, dot);
    std::string fraction = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    if (whole.empty() || (dot != std::string::npos && fraction.empty()) || fraction.size() > 3) {
        return std::nullopt;
    }
    for (char c : whole + fraction) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    if (whole.size() > 5) return std::nullopt;
    long ms = std::stol(whole) * 1000;
    if (!fraction.empty()) {
        fraction.resize(3, '0');
        ms += std::stol(fraction);
    }
    if (ms > 86400L * 1000) return std::nullopt;
    return std::chrono::milliseconds(ms);
}

std::string SecondsText(std::chrono::milliseconds delay) {
    long ms = long(delay.count());
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0) {
        std::string fraction = std::to_string(1000 + ms % 1000).substr(1);
        while (fraction.back() == '0') fraction.pop_back();
        text += "." + fraction;
    }
    return text + " s";
}

// The n-th demo customer's side: addresses from the documentation ranges,
// and one of a few Windows versions.
CustomerSide CustomerNumber(uint32_t n) {
    static constexpr uint16_t kVersions[] = {14, 8, 12};  // Windows 10, 7, 8.1
    CustomerSide side;
    side.firstAddress =
        FromUtf8("192.168." + std::to_string(1 + n % 4) + "." + std::to_string(20 + n % 200));
    side.secondAddress = FromUtf8("203.0.113." + std::to_string(10 + n % 240));
    side.osCode = kVersions[n % 3];
    return side;
}

}  // namespace

std::optional<DemoTimes> ParseDemoTimes(const std::string& text) {
    size_t first = text.find(',');
    size_t second = first == std::string::npos ? first : text.find(',', first + 1);
    if (second == std::string::npos || text.find(',', second + 1) != std::string::npos) {
        return std::nullopt;
    }
    auto ready = ParseSeconds(text.substr(0, first));
    auto connected = ParseSeconds(text.substr(first + 1, second - first - 1));
    auto ended = ParseSeconds(text.substr(second + 1));
    if (!ready || !connected || !ended) return std::nullopt;
    return DemoTimes{*ready, *connected, *ended};
}

std::string DescribeDemoTimes(const DemoTimes& times) {
    return "Ready " + SecondsText(times.ready) + " after the code is issued, Connected " +
           SecondsText(times.connected) + " later, Ended " + SecondsText(times.ended) + " later";
}

DemoCustomer::DemoCustomer(ServerCore& core, DemoTimes times) : core_(core), times_(times) {
    for (const auto& entry : core_.timeline().Codes()) earlier_.insert(entry.code);
}

int DemoCustomer::Step(Clock::time_point now) {
    int steps = 0;
    for (const auto& entry : core_.timeline().Codes()) {
        if (earlier_.count(entry.code) != 0) continue;
        auto it = tracked_.find(entry.code);
        if (it == tracked_.end()) {
            it = tracked_.emplace(entry.code, Tracked{entry.state, now}).first;
        } else if (it->second.state != entry.state) {
            // The control channel moved it: go on from there.
            it->second = Tracked{entry.state, now};
        }
        if (entry.deleted) {
            earlier_.insert(entry.code);
            tracked_.erase(it);
            continue;
        }
        std::chrono::milliseconds delay;
        switch (entry.state) {
            case State(AccessCodeState::Waiting):
                delay = times_.ready;
                break;
            case State(AccessCodeState::Ready):
                delay = times_.connected;
                break;
            case State(AccessCodeState::Connected):
                delay = times_.ended;
                break;
            default:
                // Ended, or a state of the control channel's own: nothing follows.
                earlier_.insert(entry.code);
                tracked_.erase(it);
                continue;
        }
        if (now - it->second.since < delay) continue;
        CustomerSide side;
        if (entry.state == State(AccessCodeState::Ready)) side = CustomerNumber(customers_++);
        auto next = core_.timeline().Advance(entry.code, FromUtf8(NowText()), side);
        if (!next) continue;
        it->second = Tracked{next->state, now};
        ++steps;
        try {
            bool delivered = core_.PublishStatus(*next);
            Log("demo customer: code " + std::to_string(next->code) + " now in state " +
                std::to_string(next->state) + (delivered ? "" : " (no console to tell)"));
        } catch (const std::exception& e) {
            // The database stayed busy past its wait: the step holds in
            // memory and the timeline goes on; the next step's save stores
            // the code whole.
            Log("demo customer: code " + std::to_string(next->code) + " now in state " +
                std::to_string(next->state) + ", not stored: " + e.what());
        }
    }
    return steps;
}

void DemoCustomer::Run() {
    std::unique_lock<std::mutex> guard(lock_);
    while (!stop_) {
        guard.unlock();
        try {
            Step(Clock::now());
        } catch (const std::exception& e) {
            // Memory, most likely: this tick is lost, the customer goes on.
            Log(std::string("demo customer: ") + e.what());
        }
        guard.lock();
        wake_.wait_for(guard, kTick, [this] { return stop_; });
    }
}

void DemoCustomer::Stop() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stop_ = true;
    }
    wake_.notify_all();
}

}  // namespace ostiva::server
