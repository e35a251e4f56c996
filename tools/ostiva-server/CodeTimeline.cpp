#include "CodeTimeline.h"

#include <algorithm>

#include "session/AccessCode.h"

namespace ostiva::server {

namespace {

constexpr uint16_t State(AccessCodeState s) {
    return static_cast<uint16_t>(s);
}

}  // namespace

CodeTimeline::CodeTimeline(const std::vector<CodeEntry>& known) : random_(std::random_device{}()) {
    for (const auto& entry : known) {
        if (codes_.emplace(entry.code, entry).second) order_.push_back(entry.code);
        lastConnectionNumber_ = std::max(lastConnectionNumber_, entry.connectionNumber);
    }
}

std::optional<CodeEntry> CodeTimeline::Issue(const std::string& helperId, const std::string& at) {
    std::lock_guard<std::mutex> guard(lock_);
    constexpr size_t kAll = size_t(kLastCode - kFirstCode + 1);
    if (codes_.size() >= kAll) return std::nullopt;
    std::uniform_int_distribution<int32_t> pick(kFirstCode, kLastCode);
    int32_t code = pick(random_);
    // Once the numbers grow scarce a random pick rarely hits a free one;
    // walk on from it instead.
    for (int tries = 0; codes_.count(code) != 0; ++tries) {
        code = tries < 64 ? pick(random_) : (code == kLastCode ? kFirstCode : code + 1);
    }
    CodeEntry entry;
    entry.code = code;
    entry.helperId = helperId;
    entry.issuedAt = at;
    entry.state = State(AccessCodeState::Waiting);
    codes_.emplace(code, entry);
    order_.push_back(code);
    return entry;
}

bool CodeTimeline::Withdraw(int32_t code) {
    std::lock_guard<std::mutex> guard(lock_);
    if (codes_.erase(code) == 0) return false;
    order_.erase(std::remove(order_.begin(), order_.end(), code), order_.end());
    return true;
}

std::optional<CodeEntry> CodeTimeline::Delete(const std::string& helperId, int32_t code) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = codes_.find(code);
    if (it == codes_.end() || it->second.helperId != helperId || it->second.deleted) {
        return std::nullopt;
    }
    it->second.deleted = true;
    return it->second;
}

std::optional<CodeEntry> CodeTimeline::SetStatus(const wire::CodeStatus& status) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = codes_.find(status.code);
    if (it == codes_.end()) return std::nullopt;
    CodeEntry& entry = it->second;
    entry.state = status.state;
    entry.connectionNumber = status.connectionNumber;
    entry.firstAddress = status.firstAddress;
    entry.secondAddress = status.secondAddress;
    entry.osCode = status.osCode;
    if (status.state == State(AccessCodeState::Connected)) {
        entry.beginTime = status.timeText;
    } else {
        entry.endTime = status.timeText;
    }
    lastConnectionNumber_ = std::max(lastConnectionNumber_, status.connectionNumber);
    return entry;
}

std::optional<CodeEntry> CodeTimeline::Advance(int32_t code, const std::u16string& now,
                                               const CustomerSide& customer) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = codes_.find(code);
    if (it == codes_.end()) return std::nullopt;
    CodeEntry& entry = it->second;
    switch (entry.state) {
        case State(AccessCodeState::Waiting):
            entry.state = State(AccessCodeState::Ready);
            break;
        case State(AccessCodeState::Ready):
            entry.state = State(AccessCodeState::Connected);
            entry.connectionNumber = ++lastConnectionNumber_;
            entry.firstAddress = customer.firstAddress;
            entry.secondAddress = customer.secondAddress;
            entry.osCode = customer.osCode;
            entry.beginTime = now;
            break;
        case State(AccessCodeState::Connected):
            entry.state = State(AccessCodeState::Ended);
            entry.endTime = now;
            break;
        default:
            // Ended, or a state only a control command can leave.
            return std::nullopt;
    }
    return entry;
}

std::optional<CodeEntry> CodeTimeline::Find(int32_t code) const {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = codes_.find(code);
    if (it == codes_.end()) return std::nullopt;
    return it->second;
}

std::optional<CodeEntry> CodeTimeline::FindByConnection(const std::string& helperId,
                                                        int32_t connectionNumber) const {
    // 0 is the number of every code that never connected.
    if (connectionNumber == 0) return std::nullopt;
    std::lock_guard<std::mutex> guard(lock_);
    // The latest code wins should a number have been given twice.
    for (auto it = order_.rbegin(); it != order_.rend(); ++it) {
        const CodeEntry& entry = codes_.at(*it);
        if (entry.helperId == helperId && entry.connectionNumber == connectionNumber) return entry;
    }
    return std::nullopt;
}

std::vector<CodeEntry> CodeTimeline::Codes() const {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<CodeEntry> codes;
    codes.reserve(order_.size());
    for (int32_t code : order_) codes.push_back(codes_.at(code));
    return codes;
}

wire::CodeStatus CodeTimeline::StatusOf(const CodeEntry& entry) {
    wire::CodeStatus status;
    status.state = entry.state;
    status.code = entry.code;
    status.connectionNumber = entry.connectionNumber;
    status.firstAddress = entry.firstAddress;
    status.secondAddress = entry.secondAddress;
    status.timeText =
        entry.state == State(AccessCodeState::Connected) ? entry.beginTime : entry.endTime;
    status.osCode = entry.osCode;
    return status;
}

}  // namespace ostiva::server
