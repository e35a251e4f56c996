#pragma once
// The loopback proxies that scripts/test-services.sh starts, as its
// configuration file (scripts/test-services.conf) names them, and the
// client network namespace that reaches only those proxies.

#include <cstdint>
#include <map>
#include <string>

namespace ostiva::test {

class TestServices {
  public:
    // Read once from the source tree's scripts/test-services.conf.
    static const TestServices& Get();

    // A value of the file; empty when it has none.
    std::string Value(const std::string& key) const;
    // A port of the file; 0 when it has none.
    uint16_t Port(const std::string& key) const;

    // True when something accepts connections on 127.0.0.1:port (within a
    // second).
    static bool Listening(uint16_t port);
    // The message for a skipped test when the peer at `port` is not there.
    static std::string NotRunning(const std::string& what);

    // Moves the calling thread (only it) into the client namespace: sockets
    // it opens from then on reach the proxies at NETNS_HOST_ADDR and nothing
    // else, not even the root namespace's 127.0.0.1. False, with the reason,
    // when the namespace is missing or cannot be entered.
    bool EnterClientNamespace(std::string* why) const;

  private:
    std::map<std::string, std::string> values_;
};

}  // namespace ostiva::test
