#include "transport/AddressIPv4.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "transport/Deadline.h"
#include "util/AutoLock.h"
#include "util/Exception.h"
#include "util/Format.h"
#include "util/LocalMutex.h"
#include "util/StringStorage.h"
#include "util/Utf.h"

namespace ostiva {

namespace {

constexpr std::string_view kNotInetFamily = "The specified m_addr is not AF_INET family m_addr!";

// Made on first use and never destroyed, so a lookup on a thread that
// outlives main() still finds it.
LocalMutex& TheResolverLock() {
    static LocalMutex* lock = new LocalMutex;
    return *lock;
}

// Touches the lock during static initialisation so it exists before main().
[[maybe_unused]] const bool resolverLockReady = (TheResolverLock(), true);

// How often a waiting lookup looks at its cancel flag.
constexpr int kCancelPollMs = 20;

// The dotted address of the text, without any lookup.
std::optional<uint32_t> DottedAddress(const std::string& narrow) {
    in_addr dotted;
    if (inet_pton(AF_INET, narrow.c_str(), &dotted) != 1) return std::nullopt;
    return ntohl(dotted.s_addr);
}

// The first IPv4 address of a name. Throws SocketException::FromResolver.
uint32_t LookUp(const std::string& narrow) {
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* answer = nullptr;
    int rc = getaddrinfo(narrow.c_str(), nullptr, &hints, &answer);
    if (rc != 0) throw SocketException::FromResolver(rc);
    std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(answer, freeaddrinfo);
    const addrinfo* first = answer;
    while (first && (first->ai_family != AF_INET || first->ai_addr == nullptr ||
                     first->ai_addrlen < socklen_t(sizeof(sockaddr_in)))) {
        first = first->ai_next;
    }
    if (!first) throw SocketException::FromResolver(EAI_NONAME);
    sockaddr_in in;
    std::memcpy(&in, first->ai_addr, sizeof in);
    return ntohl(in.sin_addr.s_addr);
}

// The name a resolver call refuses outright: empty, or with a zero unit that
// would silently cut it.
void CheckName(std::u16string_view host) {
    if (host.empty() || host.find(u'\0') != std::u16string_view::npos) {
        throw SocketException::FromResolver(EAI_NONAME);
    }
}

// One lookup's answer, shared by the worker and the caller that may have
// stopped waiting for it: whichever lets go last frees it.
struct PendingLookup {
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    uint32_t address = 0;
    std::exception_ptr failure;
};

}  // namespace

Lockable& ResolverLock() {
    return TheResolverLock();
}

AddressIPv4::AddressIPv4(const sockaddr_in& address) {
    if (address.sin_family != AF_INET) throw SocketException(kNotInetFamily);
    port_ = ntohs(address.sin_port);
    address_ = ntohl(address.sin_addr.s_addr);
}

AddressIPv4::AddressIPv4(const sockaddr* address, socklen_t length) {
    if (address == nullptr || length < socklen_t(sizeof(sockaddr_in)) ||
        address->sa_family != AF_INET) {
        throw SocketException(kNotInetFamily);
    }
    sockaddr_in in;
    std::memcpy(&in, address, sizeof in);
    port_ = ntohs(in.sin_port);
    address_ = ntohl(in.sin_addr.s_addr);
}

sockaddr_in AddressIPv4::ToSockaddr() const {
    sockaddr_in in;
    std::memset(&in, 0, sizeof in);
    in.sin_family = AF_INET;
    in.sin_port = htons(GetPort());
    in.sin_addr.s_addr = htonl(address_);
    return in;
}

std::u16string AddressIPv4::ToString() const {
    return FormatWide(u"%d.%d.%d.%d", {int((address_ >> 24) & 0xFF), int((address_ >> 16) & 0xFF),
                                       int((address_ >> 8) & 0xFF), int(address_ & 0xFF)});
}

AddressIPv4 AddressIPv4::Resolve(const StringStorage& host, uint16_t port) {
    return Resolve(host.view(), port);
}

AddressIPv4 AddressIPv4::Resolve(std::u16string_view host, uint16_t port) {
    CheckName(host);
    const std::string narrow = ToUtf8(host);
    if (std::optional<uint32_t> dotted = DottedAddress(narrow)) return AddressIPv4(*dotted, port);
    AutoLock guard(&TheResolverLock());
    return AddressIPv4(LookUp(narrow), port);
}

AddressIPv4 AddressIPv4::Resolve(std::u16string_view host, uint16_t port,
                                 const LookupLimits& limits) {
    CheckName(host);
    const std::string narrow = ToUtf8(host);
    if (std::optional<uint32_t> dotted = DottedAddress(narrow)) return AddressIPv4(*dotted, port);

    auto pending = std::make_shared<PendingLookup>();
    // Detached: a resolver stuck on a silent server ends when it gives up,
    // long after the caller has gone on. Without the resolver lock
    // (getaddrinfo is thread-safe): a worker stuck while holding it would
    // make every later lookup wait for that resolver too.
    std::thread([pending, narrow] {
        uint32_t address = 0;
        std::exception_ptr failure;
        try {
            address = LookUp(narrow);
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard<std::mutex> guard(pending->lock);
        pending->address = address;
        pending->failure = failure;
        pending->done = true;
        pending->finished.notify_all();
    }).detach();

    const Deadline deadline(limits.timeoutMs);
    std::unique_lock<std::mutex> guard(pending->lock);
    while (!pending->done) {
        if (limits.cancelled && limits.cancelled->load()) {
            throw SocketException(u"The name lookup was cancelled");
        }
        const int left = deadline.RemainingMs();
        if (left == 0) {
            throw LookupTimedOut(FormatWide(u"The name lookup of %s did not finish in time",
                                            {std::u16string(host)}));
        }
        int waitMs = left < 0 ? kCancelPollMs : left;
        if (limits.cancelled) waitMs = std::min(waitMs, kCancelPollMs);
        pending->finished.wait_for(guard, std::chrono::milliseconds(waitMs));
    }
    if (pending->failure) std::rethrow_exception(pending->failure);
    return AddressIPv4(pending->address, port);
}

}  // namespace ostiva
