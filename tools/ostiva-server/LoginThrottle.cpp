#include "LoginThrottle.h"

#include <algorithm>
#include <iterator>

namespace ostiva::server {

namespace {

std::string IdKey(const std::string& helperId) {
    return "id " + helperId;
}

std::string AddressKey(const std::string& address) {
    return "from " + address;
}

}  // namespace

std::chrono::milliseconds LoginThrottle::DelayOf(const std::string& key,
                                                 Clock::time_point now) const {
    auto it = failures_.find(key);
    if (it == failures_.end() || now - it->second.last >= kForgetAfter) {
        return std::chrono::milliseconds(0);
    }
    // pace, 2 pace, 4 pace, ...: the shift stops long before it could overflow.
    unsigned doublings = std::min(it->second.count - 1, 20u);
    return std::min(pace_ * (int64_t(1) << doublings), kMaxDelay);
}

std::chrono::milliseconds LoginThrottle::DelayFor(const std::string& helperId,
                                                  const std::string& address,
                                                  Clock::time_point now) {
    if (pace_.count() <= 0) return std::chrono::milliseconds(0);
    std::lock_guard<std::mutex> guard(lock_);
    return std::max(DelayOf(IdKey(helperId), now), DelayOf(AddressKey(address), now));
}

void LoginThrottle::Failed(const std::string& helperId, const std::string& address,
                           Clock::time_point now) {
    if (pace_.count() <= 0) return;
    std::lock_guard<std::mutex> guard(lock_);
    Count(IdKey(helperId), now);
    Count(AddressKey(address), now);
}

void LoginThrottle::Count(const std::string& key, Clock::time_point now) {
    auto it = failures_.find(key);
    if (it == failures_.end()) {
        MakeRoomLocked(now);
        it = failures_.emplace(key, Failures{}).first;
    } else if (now - it->second.last >= kForgetAfter) {
        it->second.count = 0;
    }
    if (it->second.count < 1000) ++it->second.count;
    it->second.last = now;
}

void LoginThrottle::Succeeded(const std::string& helperId) {
    std::lock_guard<std::mutex> guard(lock_);
    failures_.erase(IdKey(helperId));
}

void LoginThrottle::MakeRoomLocked(Clock::time_point now) {
    if (failures_.size() < kMaxTracked) return;
    for (auto it = failures_.begin(); it != failures_.end();) {
        it = now - it->second.last >= kForgetAfter ? failures_.erase(it) : std::next(it);
    }
    if (failures_.size() < kMaxTracked) return;
    auto stalest = std::min_element(failures_.begin(), failures_.end(),
                                    [](auto& a, auto& b) { return a.second.last < b.second.last; });
    failures_.erase(stalest);
}

size_t LoginThrottle::Tracked() const {
    std::lock_guard<std::mutex> guard(lock_);
    return failures_.size();
}

}  // namespace ostiva::server
