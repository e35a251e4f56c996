#include "support/TestServices.h"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "transport/AddressIPv4.h"
#include "transport/SocketIPv4.h"

namespace ostiva::test {

const TestServices& TestServices::Get() {
    static const TestServices services = [] {
        TestServices loaded;
        std::ifstream in(std::string(OSTIVA_SOURCE_DIR) + "/scripts/test-services.conf");
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            size_t equals = line.find('=');
            if (equals == std::string::npos) continue;
            loaded.values_[line.substr(0, equals)] = line.substr(equals + 1);
        }
        return loaded;
    }();
    return services;
}

std::string TestServices::Value(const std::string& key) const {
    auto it = values_.find(key);
    return it == values_.end() ? std::string() : it->second;
}

uint16_t TestServices::Port(const std::string& key) const {
    std::string text = Value(key);
    unsigned long port = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        port = port * 10 + unsigned(c - '0');
        if (port > 65535) return 0;
    }
    return static_cast<uint16_t>(port);
}

bool TestServices::Listening(uint16_t port) {
    if (port == 0) return false;
    SocketIPv4 probe;
    return probe.Connect(AddressIPv4(0x7F000001, port), 1000);
}

std::string TestServices::NotRunning(const std::string& what) {
    return what +
           " is not running; start the test peers with scripts/test-services.sh start "
           "(as root)";
}

bool TestServices::EnterClientNamespace(std::string* why) const {
    std::string name = Value("NETNS");
    std::string path = "/var/run/netns/" + name;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *why = "no network namespace " + name + " (" + std::strerror(errno) +
               "); scripts/test-services.sh start makes it";
        return false;
    }
    int rc = ::setns(fd, CLONE_NEWNET);
    int error = errno;
    ::close(fd);
    if (rc != 0) {
        *why = "cannot enter network namespace " + name + ": " + std::strerror(error);
        return false;
    }
    return true;
}

}  // namespace ostiva::test
