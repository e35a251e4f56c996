#include "transport/WsaStartup.h"

#include <atomic>

namespace ostiva {

namespace {
std::atomic<int> references{0};
}  // namespace

WsaStartup::WsaStartup() {
    references.fetch_add(1, std::memory_order_relaxed);
}

WsaStartup::WsaStartup(const WsaStartup&) {
    references.fetch_add(1, std::memory_order_relaxed);
}

WsaStartup::~WsaStartup() {
    references.fetch_sub(1, std::memory_order_relaxed);
}

int WsaStartup::ReferenceCount() {
    return references.load(std::memory_order_relaxed);
}

}  // namespace ostiva
