#include "transport/SocketIPv4.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "transport/Deadline.h"
#include "util/AutoLock.h"
#include "util/Exception.h"

namespace ostiva {

namespace {

int OpenTcpSocket() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) throw SocketException();
    return fd;
}

// Polls one descriptor for `events`, retrying interrupted waits with what is
// left of the time. Returns the reported events, 0 on time-out, -1 on
// failure.
int PollFor(int fd, short events, const Deadline& deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        int n = ::poll(&p, 1, deadline.RemainingMs());
        if (n > 0) return p.revents;
        if (n == 0) return 0;
        if (errno != EINTR) return -1;
    }
}

bool ReadName(int fd, bool peer, std::unique_ptr<AddressIPv4>* out) {
    sockaddr_storage name;
    socklen_t length = sizeof name;
    int rc = peer ? ::getpeername(fd, reinterpret_cast<sockaddr*>(&name), &length)
                  : ::getsockname(fd, reinterpret_cast<sockaddr*>(&name), &length);
    if (rc != 0 || name.ss_family != AF_INET) return false;
    *out = std::make_unique<AddressIPv4>(reinterpret_cast<const sockaddr*>(&name), length);
    return true;
}

}  // namespace

SocketIPv4::SocketIPv4() {
    handle_.store(OpenTcpSocket(), std::memory_order_release);
}

SocketIPv4::~SocketIPv4() {
    AutoLock guard(&lock_);
    CloseHandle();
    peerAddress_.reset();
    localAddress_.reset();
}

void SocketIPv4::CloseHandle() {
    int fd = handle_.exchange(kNoSocket, std::memory_order_acq_rel);
    if (fd != kNoSocket && ownsHandle_) {
        // close() is not retried on EINTR: the descriptor is gone either way.
        ::close(fd);
    }
}

void SocketIPv4::RecordAddresses(int fd) {
    localAddress_.reset();
    peerAddress_.reset();
    ReadName(fd, false, &localAddress_);
    ReadName(fd, true, &peerAddress_);
}

bool SocketIPv4::Connect(const AddressIPv4& address) {
    return Connect(address, -1);
}

bool SocketIPv4::Connect(const AddressIPv4& address, int timeoutMs) {
    ConnectResult result = ConnectOnce(address, timeoutMs);
    if (result == ConnectResult::Connected) {
        AutoLock guard(&lock_);
        peerAddress_ = std::make_unique<AddressIPv4>(address);
        return true;
    }
    // A socket whose connect failed or is still pending cannot portably be
    // connected again; the next attempt (the proxy chain's) gets a fresh one.
    if (result == ConnectResult::Failed) ReplaceHandle(false);
    return false;
}

SocketIPv4::ConnectResult SocketIPv4::ConnectOnce(const AddressIPv4& address, int timeoutMs) {
    int fd = GetHandle();
    if (fd == kNoSocket) {
        lastConnectError_ = EBADF;
        return ConnectResult::NotStarted;
    }
    if (shutdownRequested_.load()) {
        lastConnectError_ = ECANCELED;
        return ConnectResult::NotStarted;
    }
    // A connected handle is left alone, whatever the system would do with a
    // second connect.
    sockaddr_in current;
    socklen_t currentLength = sizeof current;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&current), &currentLength) == 0) {
        lastConnectError_ = EISCONN;
        return ConnectResult::NotStarted;
    }

    // The connect always runs non-blocking and is waited for with poll, so a
    // time limit and an abort by Shutdown() work the same way.
    int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        lastConnectError_ = errno;
        return ConnectResult::NotStarted;
    }

    sockaddr_in target = address.ToSockaddr();
    int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target);
    bool connected = rc == 0;
    int error = connected ? 0 : errno;
    if (!connected && (error == EINPROGRESS || error == EINTR || error == EALREADY)) {
        // A Shutdown() that came before the connect started found nothing to
        // abort; do it here so the attempt cannot outlive the cancel.
        if (shutdownRequested_.load()) {
            ::shutdown(fd, SHUT_RDWR);
        } else {
            Deadline deadline(timeoutMs);
            int events = PollFor(fd, POLLOUT, deadline);
            error = events == 0 ? ETIMEDOUT : events < 0 ? errno : 0;
            if (events > 0) {
                socklen_t length = sizeof error;
                if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
                if (error == 0) {
                    // An aborted attempt may report no error; only a peer
                    // name proves the connection.
                    sockaddr_in peer;
                    socklen_t peerLength = sizeof peer;
                    connected =
                        ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) == 0;
                    if (!connected) error = errno;
                }
            }
        }
    }
    ::fcntl(fd, F_SETFL, flags);
    if (shutdownRequested_.load()) {
        lastConnectError_ = ECANCELED;
        return ConnectResult::Failed;
    }
    lastConnectError_ = connected ? 0 : error;
    return connected ? ConnectResult::Connected : ConnectResult::Failed;
}

void SocketIPv4::AdoptHandle(int fd) {
    AutoLock guard(&lock_);
    if (fd != GetHandle()) {
        CloseHandle();
        handle_.store(fd, std::memory_order_release);
    }
    ownsHandle_ = true;
    if (fd == kNoSocket) {
        localAddress_.reset();
        peerAddress_.reset();
        return;
    }
    RecordAddresses(fd);
}

int SocketIPv4::ReleaseHandle() {
    AutoLock guard(&lock_);
    localAddress_.reset();
    peerAddress_.reset();
    return handle_.exchange(kNoSocket, std::memory_order_acq_rel);
}

void SocketIPv4::Reopen() {
    ReplaceHandle(true);
}

void SocketIPv4::ReplaceHandle(bool forgetAddresses) {
    int fresh = OpenTcpSocket();
    AutoLock guard(&lock_);
    CloseHandle();
    handle_.store(fresh, std::memory_order_release);
    ownsHandle_ = true;
    if (forgetAddresses) {
        localAddress_.reset();
        peerAddress_.reset();
    }
}

void SocketIPv4::Shutdown() {
    shutdownRequested_.store(true);
    AutoLock guard(&lock_);
    int fd = GetHandle();
    if (fd != kNoSocket) ::shutdown(fd, SHUT_RDWR);
}

bool SocketIPv4::GetPeerAddress(AddressIPv4* out) const {
    AutoLock guard(&lock_);
    if (!peerAddress_) return false;
    *out = *peerAddress_;
    return true;
}

bool SocketIPv4::GetLocalAddress(AddressIPv4* out) const {
    AutoLock guard(&lock_);
    if (!localAddress_) return false;
    *out = *localAddress_;
    return true;
}

void SocketIPv4::RaiseClosed() const {
    if (raiseOnFailure)
        throw IOException(std::string_view("Connection has been gracefully closed"));
}

void SocketIPv4::RaiseSendFailed() const {
    if (raiseOnFailure) throw IOException(std::string_view("Failed to send data from socket."));
}

void SocketIPv4::RaiseRecvFailed() const {
    if (raiseOnFailure) throw IOException(std::string_view("Failed to recv data from socket."));
}

ssize_t SocketIPv4::SendBytes(const void* data, size_t size) {
    int fd = GetHandle();
    if (fd == kNoSocket) {
        RaiseSendFailed();
        return -1;
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t sent = 0;
    while (sent < size) {
        ssize_t n = ::send(fd, bytes + sent, size - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += size_t(n);
        } else if (n == 0) {
            RaiseClosed();
            return 0;
        } else if (errno != EINTR) {
            RaiseSendFailed();
            return -1;
        }
    }
    return ssize_t(sent);
}

ssize_t SocketIPv4::ReceiveBytes(void* buffer, size_t size) {
    if (size > 0) std::memset(buffer, 0, size);
    int fd = GetHandle();
    if (fd == kNoSocket) {
        RaiseRecvFailed();
        return -1;
    }
    if (size == 0) return 0;
    ssize_t n;
    do {
        n = ::recv(fd, buffer, size, 0);
    } while (n < 0 && errno == EINTR);
    if (n == 0) RaiseClosed();
    if (n < 0) RaiseRecvFailed();
    return n;
}

size_t SocketIPv4::ReceiveExact(void* buffer, size_t size, int timeoutMs, ReceiveEnd* end) {
    if (size > 0) std::memset(buffer, 0, size);
    ReceiveEnd how = ReceiveEnd::Complete;
    size_t got = 0;
    int fd = GetHandle();
    Deadline deadline(timeoutMs);
    auto* bytes = static_cast<uint8_t*>(buffer);
    if (fd == kNoSocket) how = ReceiveEnd::Failed;
    while (how == ReceiveEnd::Complete && got < size) {
        if (timeoutMs >= 0) {
            int events = PollFor(fd, POLLIN, deadline);
            if (events == 0) {
                how = ReceiveEnd::TimedOut;
                break;
            }
            if (events < 0) {
                how = ReceiveEnd::Failed;
                break;
            }
        }
        ssize_t n = ::recv(fd, bytes + got, size - got, 0);
        if (n > 0) {
            got += size_t(n);
        } else if (n == 0) {
            how = ReceiveEnd::Closed;
        } else if (errno != EINTR) {
            how = ReceiveEnd::Failed;
        }
    }
    if (end) *end = how;
    if (how == ReceiveEnd::Closed) RaiseClosed();
    if (how == ReceiveEnd::Failed) RaiseRecvFailed();
    return got;
}

bool SocketIPv4::WaitReadable(int timeoutMs) {
    int fd = GetHandle();
    if (fd == kNoSocket) return false;
    return PollFor(fd, POLLIN, Deadline(timeoutMs)) != 0;
}

void SocketIPv4::SetNoDelay() {
    int fd = GetHandle();
    if (fd == kNoSocket) throw SocketException::FromErrno(EBADF);
    int on = 1;
    if (::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) != 0) throw SocketException();
}

void SocketIPv4::SetKeepAlive(int idleMs, int intervalMs) {
    int fd = GetHandle();
    if (fd == kNoSocket) return;
    // The system counts in whole seconds, at least one.
    auto seconds = [](int ms) { return ms <= 1000 ? 1 : (ms + 999) / 1000; };
    int on = 1;
    int idle = seconds(idleMs);
    int interval = seconds(intervalMs);
    // Ten unanswered probes, as the console's platform gives by default.
    int count = 10;
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
}

std::u16string SocketIPv4::GetLocalAddressText() const {
    int fd = GetHandle();
    if (fd == kNoSocket) return {};
    std::unique_ptr<AddressIPv4> local;
    if (!ReadName(fd, false, &local)) return {};
    return local->ToString();
}

}  // namespace ostiva
