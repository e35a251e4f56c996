#pragma once
// The loopback proxies that scripts/test-services.sh starts, as its
// configuration file (scripts/test-services.conf) names them, and the
// client network namespace that reaches only those proxies; and how a test
// leaves when a peer it needs is missing.

#include <cstdint>
#include <cstdlib>
#include <cstring>
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

    // True under CI (CI=true): the test command installs and starts every
    // peer there, so a missing one is a fault and the test fails instead of
    // skipping. Inline, so a Qt Test program needs only this header.
    static bool PeersRequired() {
        const char* ci = std::getenv("CI");
        return ci != nullptr && (std::strcmp(ci, "true") == 0 || std::strcmp(ci, "1") == 0);
    }

    // Moves the calling thread (only it) into the client namespace: sockets
    // it opens from then on reach the proxies at NETNS_HOST_ADDR and nothing
    // else, not even the root namespace's 127.0.0.1. False, with the reason,
    // when the namespace is missing or cannot be entered.
    bool EnterClientNamespace(std::string* why) const;

  private:
    std::map<std::string, std::string> values_;
};

}  // namespace ostiva::test

// Leaves a GoogleTest test whose peer (a proxy, the namespace, a program) is
// missing: skipped, or failed under CI. Use in the test body or SetUp.
#define OSTIVA_GTEST_MISSING_PEER(message)                                  \
    do {                                                                    \
        if (::ostiva::test::TestServices::PeersRequired()) {                \
            GTEST_FAIL() << (message) << " (CI=true: every peer must run)"; \
        }                                                                   \
        GTEST_SKIP() << (message);                                          \
    } while (0)

// The same for a Qt Test function; `message` is a const char*.
#define OSTIVA_QTEST_MISSING_PEER(message)                   \
    do {                                                     \
        if (::ostiva::test::TestServices::PeersRequired()) { \
            QFAIL(message);                                  \
        }                                                    \
        QSKIP(message);                                      \
    } while (0)
