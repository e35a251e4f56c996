#include "Faults.h"

namespace ostiva::server {

namespace {

constexpr Fault kAll[] = {Fault::CloseAfterLogin, Fault::HelloReply, Fault::LoginResult,
                          Fault::NoAccount, Fault::ZeroClose};

}  // namespace

const char* FaultName(Fault fault) {
    switch (fault) {
        case Fault::CloseAfterLogin:
            return "close-after-login";
        case Fault::HelloReply:
            return "hello-reply";
        case Fault::LoginResult:
            return "login-result";
        case Fault::NoAccount:
            return "no-account";
        case Fault::ZeroClose:
            return "zero-close";
    }
    return "?";
}

std::optional<Fault> FaultByName(std::string_view name) {
    for (Fault fault : kAll) {
        if (name == FaultName(fault)) return fault;
    }
    return std::nullopt;
}

bool FaultTakesValues(Fault fault) {
    return fault == Fault::HelloReply || fault == Fault::LoginResult;
}

void Faults::Arm(Fault fault, std::deque<int> values) {
    std::lock_guard<std::mutex> guard(lock_);
    auto& queue = armed_[fault];
    for (int value : values) queue.push_back(value);
}

std::optional<int> Faults::Take(Fault fault) {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = armed_.find(fault);
    if (it == armed_.end() || it->second.empty()) return std::nullopt;
    int value = it->second.front();
    it->second.pop_front();
    if (it->second.empty()) armed_.erase(it);
    return value;
}

void Faults::Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    armed_.clear();
}

std::string Faults::Describe() const {
    std::lock_guard<std::mutex> guard(lock_);
    std::string text;
    for (const auto& [fault, values] : armed_) {
        if (!text.empty()) text += ' ';
        text += FaultName(fault);
        if (FaultTakesValues(fault)) {
            char separator = '=';
            for (int value : values) {
                text += separator;
                text += std::to_string(value);
                separator = ',';
            }
        }
    }
    return text;
}

}  // namespace ostiva::server
