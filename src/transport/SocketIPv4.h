#pragma once
// The console's network object: a blocking IPv4 TCP socket that also carries
// the proxy settings and trace of the proxy traversal and the result of the
// key exchange, so that all of these operations work on the same object.
//
// Handle: -1 (kNoSocket) means "no socket". On this platform 0 is a valid
// descriptor, so it is never used as the empty value. Every descriptor the
// object opens is close-on-exec.
//
// Threads: one thread may send while another receives, and any thread may
// call Shutdown() to wake a blocked connect, receive or wait (that is how a
// login is cancelled and how the receive loop is stopped). Everything else
// (Connect, AdoptHandle, ReleaseHandle, Reopen, the proxy and key-exchange
// operations) belongs to the one thread that sets the connection up.

#include <sys/types.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "transport/AddressIPv4.h"
#include "transport/SecureChannel.h"
#include "transport/WsaStartup.h"
#include "util/AnsiStringStorage.h"
#include "util/LocalMutex.h"
#include "util/StringStorage.h"

namespace ostiva {

class SocketIPv4 {
  public:
    static constexpr int kNoSocket = -1;

    // Roles of the key exchange (secureRole).
    static constexpr int32_t kSecureRoleNone = 0;
    static constexpr int32_t kSecureRoleAnswering = 1;   // the server's side
    static constexpr int32_t kSecureRoleInitiating = 2;  // the console's side

    // How ReceiveExact ended.
    enum class ReceiveEnd { Complete, Closed, Failed, TimedOut };

    // Opens an unconnected TCP socket. Throws SocketException (errno and its
    // text) when the system refuses.
    SocketIPv4();
    SocketIPv4(const SocketIPv4&) = delete;
    SocketIPv4& operator=(const SocketIPv4&) = delete;
    // Closes the handle when the object owns it.
    virtual ~SocketIPv4();

    // ---- connection ----

    // Connects to the address, blocking as long as the system's connect
    // does (Shutdown() from another thread aborts it). True records the peer
    // address. False leaves the peer address as it was and puts a fresh
    // unconnected handle in place of the failed one, so the object can be
    // connected again (a socket whose connect failed cannot portably be
    // reused); that replacement throws SocketException like the constructor.
    // A handle that is already connected is left alone and gives false.
    bool Connect(const AddressIPv4& address);
    // The same, giving up after `timeoutMs` (negative: no limit).
    bool Connect(const AddressIPv4& address, int timeoutMs);
    // Why the last Connect failed, as an errno value: the system's
    // (ECONNREFUSED, ENETUNREACH, ...), ETIMEDOUT when the time limit passed,
    // ECANCELED after Shutdown(), EISCONN for a handle already connected; 0
    // after a success.
    int LastConnectError() const { return lastConnectError_; }

    // Closes the held handle (when owned) and takes `fd`, a connected
    // socket, recording its local and peer addresses where the system gives
    // them. The object owns `fd` from now on.
    void AdoptHandle(int fd);
    // Gives the handle up without closing it and leaves the object with no
    // socket; the caller (usually AdoptHandle of another object) closes it.
    int ReleaseHandle();
    // Closes the held handle (when owned) and opens a fresh unconnected one,
    // forgetting the addresses; for a proxy attempt that needs a clean
    // connection. Throws SocketException like the constructor.
    void Reopen();
    // shutdown(SHUT_RDWR): wakes whatever blocks on the handle in another
    // thread; the handle stays open until the object closes it. The request
    // sticks: a Connect that starts afterwards fails at once, so a cancel
    // that arrives just before the connect still stops it.
    void Shutdown();
    bool IsShutDown() const { return shutdownRequested_.load(); }

    int GetHandle() const { return handle_.load(std::memory_order_acquire); }
    bool OwnsHandle() const { return ownsHandle_; }

    // Copies of the recorded addresses; false when none is recorded.
    bool GetPeerAddress(AddressIPv4* out) const;
    bool GetLocalAddress(AddressIPv4* out) const;

    // ---- transfers ----
    // Failures raise IOException only when raiseOnFailure is set: "Connection
    // has been gracefully closed", "Failed to send data from socket.",
    // "Failed to recv data from socket.". Interrupted calls are retried.

    // Sends the whole record (partial sends are continued; a closed peer
    // never raises SIGPIPE). Returns `size` on success, 0 when nothing was
    // to be sent or the peer closed, -1 on failure or without a socket.
    ssize_t SendBytes(const void* data, size_t size);
    // Zero-fills the buffer, then makes one receive of at most `size`
    // bytes. Returns the byte count, 0 when the peer closed, -1 on failure
    // or without a socket; the bytes not received stay zero.
    ssize_t ReceiveBytes(void* buffer, size_t size);
    // Zero-fills the buffer and collects up to `size` bytes over as many
    // receives as it takes, stopping early at close, failure or when
    // `timeoutMs` has passed (negative: no limit). Returns how many bytes
    // arrived; `end` (optional) tells why it stopped.
    size_t ReceiveExact(void* buffer, size_t size, int timeoutMs, ReceiveEnd* end = nullptr);
    // True when a receive would not block (data, close or error); false when
    // `timeoutMs` passed first (negative: no limit) or there is no socket.
    bool WaitReadable(int timeoutMs);

    // ---- options ----

    // TCP_NODELAY on. Throws SocketException on failure.
    void SetNoDelay();
    // Keep-alive probes after `idleMs` of silence, then every `intervalMs`.
    // The result is not checked: a socket without keep-alive still works.
    void SetKeepAlive(int idleMs, int intervalMs);
    // The local IPv4 address of the handle as "%d.%d.%d.%d", or empty when
    // the system cannot say.
    std::u16string GetLocalAddressText() const;

    // ---- key exchange (defined in SecureChannel.cpp) ----

    // Runs the console's (initiating) side of the key exchange on the
    // connected handle: sets secureRole to kSecureRoleInitiating, sends a new
    // RSA-1024 public key, and on a valid reply stores the agreed key and IV.
    // False, with both left zero, when a transfer fails, the peer closes, the
    // reply does not arrive within `timeoutMs` or cannot be decoded or
    // decrypted. Never throws.
    bool StartSecureChannel(int timeoutMs = kSecureChannelTimeoutMs);

    // ---- fields ----

    // Transfers raise IOException on failure when set; the console keeps it
    // off.
    bool raiseOnFailure = false;

    int32_t secureRole = kSecureRoleNone;

    // Proxy settings, filled from the settings or by detection.
    int32_t proxyMode = 0;  // 0 none, 1 by hand, 2 detected
    StringStorage proxyHost;
    int32_t proxyPort = 0;  // used as an unsigned 16-bit port
    AnsiStringStorage proxyIdAnsi;
    StringStorage proxyId;
    AnsiStringStorage proxyPasswordAnsi;
    StringStorage proxyPassword;

    // ==== Proxy traversal ====
    // The handshakes that turn this socket into a tunnel through the proxy
    // above (ConnectHttpProxy, ConnectSocks4Proxy, ConnectSocks5Proxy) and
    // DetectProxy are declared in proxy/ProxyHandshakes.h; each keeps its
    // own authentication state (nonce, NTLM challenge) for its one run.

    // The longest wait for each connect to the proxy and each of its
    // replies; a larger value counts as kProxyTimeoutMaxMs, so a proxy that
    // never answers (one given a protocol it does not speak) cannot hold a
    // login for long.
    static constexpr int kProxyTimeoutMaxMs = 30000;
    int proxyTimeoutMs = kProxyTimeoutMaxMs;

    // What the last proxy operation did, one line per change of its state,
    // without credentials, tokens or hashes; and, when it failed, a short
    // English reason for the technician's log (empty after a success).
    std::vector<std::string> proxyTrace;
    std::string proxyFailure;
    // ==== end of proxy traversal ====

    // The key and IV agreed by the key exchange; zero before it.
    std::array<uint8_t, 16> sessionKey{};
    std::array<uint8_t, 16> sessionIv{};

  private:
    // Closes the held handle when owned and sets "no socket".
    void CloseHandle();
    // Records the addresses of the held handle from the system.
    void RecordAddresses(int fd);
    // Raises the transfer failure texts when raiseOnFailure is set.
    void RaiseClosed() const;
    void RaiseSendFailed() const;
    void RaiseRecvFailed() const;

    // NotStarted: the handle was not touched (none, cancelled, or already
    // connected). Failed: the attempt spoiled the handle.
    enum class ConnectResult { Connected, NotStarted, Failed };
    ConnectResult ConnectOnce(const AddressIPv4& address, int timeoutMs);
    // Closes the held handle (when owned) and opens a fresh one.
    void ReplaceHandle(bool forgetAddresses);

    WsaStartup wsa_;
    // Guards the two address records, and the handle while it is replaced or
    // closed, so a Shutdown from another thread never reaches a descriptor
    // number that has been closed and reused.
    mutable LocalMutex lock_;
    std::atomic<int> handle_{kNoSocket};
    std::atomic<bool> shutdownRequested_{false};
    bool ownsHandle_ = true;
    int lastConnectError_ = 0;
    std::unique_ptr<AddressIPv4> localAddress_;
    std::unique_ptr<AddressIPv4> peerAddress_;
};

}  // namespace ostiva
