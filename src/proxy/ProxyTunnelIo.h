#pragma once
// Transfers of the proxy handshakes on a socket that is about to become a
// tunnel: every wait has a deadline, and nothing past the step's own bytes
// is consumed, because whatever follows a proxy's final answer belongs to
// the session that runs through the tunnel.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "transport/Deadline.h"
#include "util/FailureReason.h"

namespace ostiva {

class AddressIPv4;
class SocketIPv4;

enum class ProxyIoEnd {
    Complete,
    Closed,    // the proxy closed the connection first
    TimedOut,  // the deadline passed first
    Failed,    // a system call failed, or there is no socket
    TooLarge,  // a reply header without its blank line within the limit
};

// A short English text for traces and failure reasons ("timed out", ...).
const char* DescribeProxyIoEnd(ProxyIoEnd end);
// The cause a handshake reports when a transfer ended this way.
FailureCause FailureCauseOf(ProxyIoEnd end);

// A body of a challenge reply larger than this is not read through: the
// connection is given up instead.
inline constexpr uint64_t kProxyReplyMaxBody = 1 << 20;

// Connects the socket to the proxy within the time limit; false when the
// connection is refused, times out or the socket was shut down.
bool ConnectToProxy(SocketIPv4& socket, const AddressIPv4& proxy, int timeoutMs);

// Sends all bytes; false when the connection fails or closes first.
bool SendToProxy(SocketIPv4& socket, std::string_view bytes);
bool SendToProxy(SocketIPv4& socket, std::span<const uint8_t> bytes);

// Receives a reply header block through its blank line ("\r\n\r\n") into
// `header`, at most kProxyReplyMaxHeader bytes. Bytes after the blank line
// stay unread in the socket: the data is looked at with MSG_PEEK and only
// the header's own bytes are taken.
ProxyIoEnd ReceiveProxyReplyHeader(SocketIPv4& socket, const Deadline& deadline,
                                   std::string* header);

// Reads and drops exactly `length` bytes (a reply body).
ProxyIoEnd DiscardFromProxy(SocketIPv4& socket, uint64_t length, const Deadline& deadline);

// Appends what one receive gives to `received`, never beyond `want` bytes
// in all, so a reply checker can judge each piece as it comes.
ProxyIoEnd ReceiveMoreFromProxy(SocketIPv4& socket, std::vector<uint8_t>* received, size_t want,
                                const Deadline& deadline);

// The time limit of the socket's proxy operations, at most
// SocketIPv4::kProxyTimeoutMaxMs; a non-positive value means the maximum.
int ProxyTimeoutOf(const SocketIPv4& socket);

// Appends one line to the socket's proxy trace and keeps the failure
// reason. Each handshake names its states; the lines read
// "<method>: <from> -> <to> (<detail>)".
class ProxyStateLog {
  public:
    ProxyStateLog(SocketIPv4& socket, std::string_view method);

    void Transition(std::string_view from, std::string_view to, std::string_view detail);
    // Records the reason as the socket's proxyFailure and as the trace line
    // of the move to the failed state.
    void Failure(std::string_view from, std::string_view reason);

  private:
    SocketIPv4& socket_;
    std::string method_;
};

}  // namespace ostiva
