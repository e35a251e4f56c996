#pragma once
// The proxy traversal's operations on a SocketIPv4: the three handshakes
// that turn a fresh handle into a tunnel through the proxy at the socket's
// proxyHost:proxyPort, and the detection that fills those two fields.
//
// Each handshake writes its states to socket.proxyTrace and, when it
// fails, an English line to socket.proxyFailure for the log, and the typed
// reason to `*failure` (when given) for the user's message.

#include <cstdint>
#include <string_view>

#include "util/FailureReason.h"

namespace ostiva {

class SocketIPv4;

// Each opens a tunnel to host:port through the proxy. True: the handle is
// the tunnel and nothing past the proxy's answer has been read from it.
// False: the attempt failed; the handle may be connected to the proxy and
// the next attempt replaces it. An unresolvable proxy host throws
// SocketException (with `*failure` already filled in), as does a system that
// refuses a fresh socket.
//
// HTTP CONNECT, answering a Basic, Digest or NTLM challenge.
bool ConnectHttpProxy(SocketIPv4& socket, std::u16string_view host, uint16_t port,
                      FailureReason* failure = nullptr);
// SOCKS4, or SOCKS4a when the host does not resolve here.
bool ConnectSocks4Proxy(SocketIPv4& socket, std::u16string_view host, uint16_t port,
                        FailureReason* failure = nullptr);
// SOCKS5, offering username/password when the socket's proxyIdAnsi is set.
bool ConnectSocks5Proxy(SocketIPv4& socket, std::u16string_view host, uint16_t port,
                        FailureReason* failure = nullptr);

// Fills proxyHost and proxyPort from the user's proxy configuration
// (environment, desktop settings, auto-configuration script) when it names
// a proxy, and leaves them unchanged otherwise. Never throws. Defined in
// ProxyDetection.cpp.
void DetectProxy(SocketIPv4& socket);

}  // namespace ostiva
