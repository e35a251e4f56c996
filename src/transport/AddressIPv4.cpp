#include "transport/AddressIPv4.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <cstring>
#include <memory>

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
    // A zero unit would silently cut the name the resolver sees.
    if (host.empty() || host.find(u'\0') != std::u16string_view::npos) {
        throw SocketException::FromResolver(EAI_NONAME);
    }
    std::string narrow = ToUtf8(host);

    in_addr dotted;
    if (inet_pton(AF_INET, narrow.c_str(), &dotted) == 1) {
        return AddressIPv4(ntohl(dotted.s_addr), port);
    }

    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* answer = nullptr;
    uint32_t address = 0;
    {
        AutoLock guard(&TheResolverLock());
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
        address = ntohl(in.sin_addr.s_addr);
    }
    return AddressIPv4(address, port);
}

}  // namespace ostiva
