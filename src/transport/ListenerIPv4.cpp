#include "transport/ListenerIPv4.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "transport/Deadline.h"
#include "util/Exception.h"

namespace ostiva {

ListenerIPv4::ListenerIPv4(uint16_t port, bool loopbackOnly, int backlog) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) throw SocketException();
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    AddressIPv4 local(loopbackOnly ? INADDR_LOOPBACK : INADDR_ANY, port);
    sockaddr_in name = local.ToSockaddr();
    socklen_t length = sizeof name;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&name), sizeof name) != 0 ||
        ::listen(fd, backlog) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&name), &length) != 0) {
        int error = errno;
        ::close(fd);
        throw SocketException::FromErrno(error);
    }
    port_ = AddressIPv4(name).GetPort();
    handle_.store(fd, std::memory_order_release);
}

ListenerIPv4::~ListenerIPv4() {
    int fd = handle_.exchange(-1);
    if (fd >= 0) ::close(fd);
}

int ListenerIPv4::Accept(int timeoutMs, AddressIPv4* peer) {
    int fd = GetHandle();
    Deadline deadline(timeoutMs);
    while (fd >= 0 && !stopped_.load()) {
        pollfd p{fd, POLLIN, 0};
        int n = ::poll(&p, 1, deadline.RemainingMs());
        if (n == 0) return -1;
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (stopped_.load()) return -1;
        sockaddr_in name;
        socklen_t length = sizeof name;
        int client = ::accept4(fd, reinterpret_cast<sockaddr*>(&name), &length, SOCK_CLOEXEC);
        if (client >= 0) {
            if (peer && name.sin_family == AF_INET) *peer = AddressIPv4(name);
            return client;
        }
        // A connection that was reset while queued is not a reason to stop.
        if (errno != EINTR && errno != ECONNABORTED && errno != EAGAIN) return -1;
    }
    return -1;
}

void ListenerIPv4::Shutdown() {
    stopped_.store(true);
    int fd = GetHandle();
    // On a listening socket this wakes a poll or accept in another thread.
    if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
}

}  // namespace ostiva
