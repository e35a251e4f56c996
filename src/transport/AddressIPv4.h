#pragma once
// An IPv4 address with a TCP port, both kept in host byte order (the first
// octet in the most significant byte of the address).

#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "transport/WsaStartup.h"
#include "util/Exception.h"
#include "util/Lockable.h"

namespace ostiva {

class StringStorage;

// What bounds one host-name lookup.
struct LookupLimits {
    int timeoutMs = -1;  // the longest the caller waits; negative: no limit
    // Polled while waiting: once true the caller returns at once.
    const std::atomic<bool>* cancelled = nullptr;
};

// A bounded lookup that ran out of time (the resolver may still answer
// later; its answer is dropped).
class LookupTimedOut : public SocketException {
  public:
    using SocketException::SocketException;
};

class AddressIPv4 : public WsaStartup {
  public:
    // 0.0.0.0, port 0.
    AddressIPv4() = default;
    AddressIPv4(uint32_t hostOrderAddress, uint16_t port)
        : port_(port), address_(hostOrderAddress) {}
    // Throws SocketException "The specified m_addr is not AF_INET family
    // m_addr!" (error code 0) when the structure is of another family.
    explicit AddressIPv4(const sockaddr_in& address);
    // The same from a generic socket name as getsockname/getpeername/accept
    // give it; also throws when `length` is too short for an IPv4 name.
    AddressIPv4(const sockaddr* address, socklen_t length);
    AddressIPv4(const AddressIPv4&) = default;
    AddressIPv4& operator=(const AddressIPv4&) = default;
    ~AddressIPv4() override = default;

    uint16_t GetPort() const { return static_cast<uint16_t>(port_); }
    uint32_t GetAddress() const { return address_; }

    // The structure for connect/bind: AF_INET, network byte order.
    sockaddr_in ToSockaddr() const;

    // "%d.%d.%d.%d", first octet first; the port is not part of it.
    std::u16string ToString() const;

    bool operator==(const AddressIPv4& other) const {
        return port_ == other.port_ && address_ == other.address_;
    }

    // The address of a host name or dotted IPv4 text. Dotted text is
    // converted without any lookup; a name is looked up (IPv4 only) and the
    // first answer is taken. These lookups of the process are serialised by
    // ResolverLock(). Throws SocketException::FromResolver when the name has
    // no IPv4 address.
    static AddressIPv4 Resolve(std::u16string_view host, uint16_t port);
    static AddressIPv4 Resolve(const StringStorage& host, uint16_t port);
    static AddressIPv4 Resolve(const char16_t* host, uint16_t port) {
        return Resolve(host ? std::u16string_view(host) : std::u16string_view(), port);
    }
    // The same within limits. The resolver itself cannot be interrupted, so
    // a name is looked up on a worker thread of its own while the caller
    // waits for its answer; a caller that stops waiting (the time is up, or
    // the lookup was cancelled) throws SocketException and the late answer
    // is dropped when it comes. These lookups do not take ResolverLock(), so
    // one stuck on a silent server holds up no later one.
    static AddressIPv4 Resolve(std::u16string_view host, uint16_t port, const LookupLimits& limits);

  private:
    uint32_t port_ = 0;  // a 16-bit port in a 32-bit slot
    uint32_t address_ = 0;
};

// The process-wide lock held around every host-name lookup without limits.
// It exists before main() runs and lives until the process ends.
Lockable& ResolverLock();

}  // namespace ostiva
