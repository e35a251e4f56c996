#include "proxy/ProxyTunnelIo.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

#include "proxy/ProxyReply.h"
#include "transport/AddressIPv4.h"
#include "transport/SocketIPv4.h"

namespace ostiva {
namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";

// Waits until the handle has data (or its end); the result says how the
// wait ended: Complete when a receive would not block.
ProxyIoEnd WaitForData(int fd, const Deadline& deadline) {
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        int n = ::poll(&p, 1, deadline.RemainingMs());
        if (n > 0) return ProxyIoEnd::Complete;
        if (n == 0) return ProxyIoEnd::TimedOut;
        if (errno != EINTR) return ProxyIoEnd::Failed;
    }
}

// One receive after a successful wait: the byte count, or the end.
ProxyIoEnd ReceiveSome(int fd, void* buffer, size_t size, int flags, size_t* got) {
    for (;;) {
        ssize_t n = ::recv(fd, buffer, size, flags);
        if (n > 0) {
            *got = size_t(n);
            return ProxyIoEnd::Complete;
        }
        if (n == 0) return ProxyIoEnd::Closed;
        if (errno != EINTR) return ProxyIoEnd::Failed;
    }
}

// Takes exactly `size` bytes that are known to be queued already.
bool TakeQueued(int fd, char* buffer, size_t size) {
    size_t taken = 0;
    while (taken < size) {
        size_t got = 0;
        if (ReceiveSome(fd, buffer + taken, size - taken, 0, &got) != ProxyIoEnd::Complete) {
            return false;
        }
        taken += got;
    }
    return true;
}

}  // namespace

const char* DescribeProxyIoEnd(ProxyIoEnd end) {
    switch (end) {
        case ProxyIoEnd::Complete:
            return "complete";
        case ProxyIoEnd::Closed:
            return "the proxy closed the connection";
        case ProxyIoEnd::TimedOut:
            return "the proxy did not answer in time";
        case ProxyIoEnd::Failed:
            return "the connection to the proxy failed";
        case ProxyIoEnd::TooLarge:
            return "the proxy reply header exceeds 4096 bytes";
    }
    return "unknown";
}

FailureCause FailureCauseOf(ProxyIoEnd end) {
    switch (end) {
        case ProxyIoEnd::Complete:
        case ProxyIoEnd::Failed:
            return FailureCause::Failed;
        case ProxyIoEnd::Closed:
            return FailureCause::ConnectionClosed;
        case ProxyIoEnd::TimedOut:
            return FailureCause::TimedOut;
        case ProxyIoEnd::TooLarge:
            return FailureCause::ReplyTooLarge;
    }
    return FailureCause::Failed;
}

bool ConnectToProxy(SocketIPv4& socket, const AddressIPv4& proxy, int timeoutMs) {
    return socket.Connect(proxy, timeoutMs);
}

bool SendToProxy(SocketIPv4& socket, std::string_view bytes) {
    return !bytes.empty() && socket.SendBytes(bytes.data(), bytes.size()) == ssize_t(bytes.size());
}

bool SendToProxy(SocketIPv4& socket, std::span<const uint8_t> bytes) {
    return !bytes.empty() && socket.SendBytes(bytes.data(), bytes.size()) == ssize_t(bytes.size());
}

ProxyIoEnd ReceiveProxyReplyHeader(SocketIPv4& socket, const Deadline& deadline,
                                   std::string* header) {
    header->clear();
    int fd = socket.GetHandle();
    if (fd == SocketIPv4::kNoSocket) return ProxyIoEnd::Failed;
    char peeked[kProxyReplyMaxHeader];
    for (;;) {
        if (header->size() >= kProxyReplyMaxHeader) return ProxyIoEnd::TooLarge;
        ProxyIoEnd waited = WaitForData(fd, deadline);
        if (waited != ProxyIoEnd::Complete) return waited;
        size_t room = kProxyReplyMaxHeader - header->size();
        size_t got = 0;
        ProxyIoEnd received = ReceiveSome(fd, peeked, room, MSG_PEEK, &got);
        if (received != ProxyIoEnd::Complete) return received;

        // The blank line may straddle what was taken before and what is
        // queued now, so the search starts up to three bytes back.
        size_t before = header->size();
        size_t back = std::min<size_t>(before, kHeaderEnd.size() - 1);
        std::string window = header->substr(before - back);
        window.append(peeked, got);
        size_t end = window.find(kHeaderEnd);
        size_t take = got;
        if (end != std::string::npos) take = end + kHeaderEnd.size() - back;
        // What is taken now was peeked already, so this cannot block.
        if (!TakeQueued(fd, peeked, take)) return ProxyIoEnd::Failed;
        header->append(peeked, take);
        if (end != std::string::npos) return ProxyIoEnd::Complete;
    }
}

ProxyIoEnd DiscardFromProxy(SocketIPv4& socket, uint64_t length, const Deadline& deadline) {
    int fd = socket.GetHandle();
    if (fd == SocketIPv4::kNoSocket) return ProxyIoEnd::Failed;
    char sink[4096];
    while (length > 0) {
        ProxyIoEnd waited = WaitForData(fd, deadline);
        if (waited != ProxyIoEnd::Complete) return waited;
        size_t got = 0;
        ProxyIoEnd received =
            ReceiveSome(fd, sink, size_t(std::min<uint64_t>(length, sizeof sink)), 0, &got);
        if (received != ProxyIoEnd::Complete) return received;
        length -= got;
    }
    return ProxyIoEnd::Complete;
}

ProxyIoEnd ReceiveMoreFromProxy(SocketIPv4& socket, std::vector<uint8_t>* received, size_t want,
                                const Deadline& deadline) {
    int fd = socket.GetHandle();
    if (fd == SocketIPv4::kNoSocket) return ProxyIoEnd::Failed;
    if (received->size() >= want) return ProxyIoEnd::Complete;
    ProxyIoEnd waited = WaitForData(fd, deadline);
    if (waited != ProxyIoEnd::Complete) return waited;
    size_t have = received->size();
    received->resize(want);
    size_t got = 0;
    ProxyIoEnd end = ReceiveSome(fd, received->data() + have, want - have, 0, &got);
    received->resize(have + got);
    return end;
}

int ProxyTimeoutOf(const SocketIPv4& socket) {
    int limit = socket.proxyTimeoutMs;
    if (limit <= 0 || limit > SocketIPv4::kProxyTimeoutMaxMs) return SocketIPv4::kProxyTimeoutMaxMs;
    return limit;
}

ProxyStateLog::ProxyStateLog(SocketIPv4& socket, std::string_view method)
    : socket_(socket), method_(method) {
    socket_.proxyFailure.clear();
}

void ProxyStateLog::Transition(std::string_view from, std::string_view to,
                               std::string_view detail) {
    std::string line = method_ + ": " + std::string(from) + " -> " + std::string(to);
    if (!detail.empty()) line += " (" + std::string(detail) + ")";
    socket_.proxyTrace.push_back(std::move(line));
}

void ProxyStateLog::Failure(std::string_view from, std::string_view reason) {
    socket_.proxyFailure = reason;
    Transition(from, "failed", reason);
}

}  // namespace ostiva
