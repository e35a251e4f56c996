// Every proxy handshake against a proxy that breaks at every byte of every
// answer it gives: it closes there, falls silent there (keeping the
// connection open), or sends garbage from there on and closes. HTTP CONNECT
// without authentication, with Basic, Digest and NTLM; SOCKS4, SOCKS4a and
// SOCKS5 with and without username/password. Each handshake ends within a
// bound, and fails with a short readable reason unless the garbage fell
// where the handshake legitimately reads nothing.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "proxy/Base64.h"
#include "proxy/ProxyHandshakes.h"
#include "support/ScriptedProxy.h"
#include "transport/SocketIPv4.h"

namespace ostiva::test {
namespace {

// The limit of each wait of the handshake in the fault cases.
constexpr int kProxyLimitMs = 150;
// A handshake makes at most five waits (three connects and two replies on
// the NTLM path); ten times that is a hang.
constexpr int kCaseBoundMs = 10 * 5 * kProxyLimitMs;
// How long a silent proxy holds its connection (the case ends it sooner).
constexpr int kStallHoldMs = 5000;
constexpr int kWorkers = 16;
constexpr size_t kReportedFailures = 20;

constexpr char16_t kDottedTarget[] = u"192.0.2.10";
constexpr char16_t kNamedTarget[] = u"srv.invalid";  // never resolves: SOCKS4a
constexpr uint16_t kTargetPort = 443;

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

const std::string kHttpOk = "HTTP/1.0 200 Connection established\r\n\r\n";

std::string Challenge(std::string_view header) {
    return "HTTP/1.1 407 Proxy Authentication Required\r\nServer: scripted\r\n" +
           std::string(header) + "\r\nContent-Length: 0\r\n\r\n";
}

// A Type 2 message with a fixed challenge, as Base64.
std::string NtlmType2() {
    std::vector<uint8_t> message(40, 0);
    const char signature[] = "NTLMSSP";
    std::copy(signature, signature + 8, message.begin());
    message[8] = 2;
    message[20] = 0x01;  // flags: UNICODE
    message[21] = 0x82;
    for (int i = 0; i < 8; ++i) message[24 + i] = uint8_t(0x11 * (i + 1));
    return Base64Encode(std::span<const uint8_t>(message));
}

enum class Method { Http, Socks4, Socks5 };

// One answer of the proxy: what it reads first (an HTTP request, or so many
// bytes), then what it sends.
struct Exchange {
    size_t requestSize;  // 0: an HTTP request up to its blank line
    std::string answer;
};

// A whole good handshake: the exchanges of each connection, in order.
struct Dialogue {
    const char* name;
    Method method;
    std::u16string target;
    std::string id;
    std::string password;
    std::vector<std::vector<Exchange>> connections;
};

std::vector<Dialogue> Dialogues() {
    const std::string socks4Granted = Bytes({0, 90, 0, 0, 0, 0, 0, 0});
    const std::string socks5Granted = Bytes({5, 0, 0, 1, 127, 0, 0, 1, 0x1F, 0x90});
    const std::string ntlm = Challenge("Proxy-Authenticate: NTLM");
    return {
        {"HTTP", Method::Http, kDottedTarget, "", "", {{{0, kHttpOk}}}},
        {"HTTP Basic",
         Method::Http,
         kDottedTarget,
         "alice",
         "secret",
         {{{0, Challenge("Proxy-Authenticate: Basic realm=\"corp\"")}}, {{0, kHttpOk}}}},
        {"HTTP Digest",
         Method::Http,
         kDottedTarget,
         "alice",
         "secret",
         {{{0, Challenge("Proxy-Authenticate: Digest realm=\"corp\", nonce=\"abc123\", "
                         "qop=\"auth\", algorithm=MD5, opaque=\"xyz\"")}},
          {{0, kHttpOk}}}},
        {"HTTP NTLM",
         Method::Http,
         kDottedTarget,
         "CORP\\alice",
         "secret",
         {{{0, ntlm}}, {{0, Challenge("Proxy-Authenticate: NTLM " + NtlmType2())}, {0, kHttpOk}}}},
        // Request: 4, 1, port, address, empty user id and its zero.
        {"SOCKS4", Method::Socks4, kDottedTarget, "", "", {{{9, socks4Granted}}}},
        // The address 0.0.0.1 and the name after the user id.
        {"SOCKS4a",
         Method::Socks4,
         kNamedTarget,
         "",
         "",
         {{{9 + sizeof(kNamedTarget) / sizeof(char16_t), socks4Granted}}}},
        {"SOCKS5",
         Method::Socks5,
         kDottedTarget,
         "",
         "",
         {{{3, Bytes({5, 0})}, {10, socks5Granted}}}},
        {"SOCKS5 user/password",
         Method::Socks5,
         kDottedTarget,
         "alice",
         "pw",
         {{{4, Bytes({5, 2})}, {1 + 1 + 5 + 1 + 2, Bytes({1, 0})}, {10, socks5Granted}}}},
    };
}

enum class Fault { None, Close, Stall, Garbage };

const char* FaultName(Fault fault) {
    switch (fault) {
        case Fault::None:
            return "none";
        case Fault::Close:
            return "close";
        case Fault::Stall:
            return "stall";
        case Fault::Garbage:
            return "garbage";
    }
    return "?";
}

struct Case {
    const Dialogue* dialogue;
    Fault fault = Fault::None;
    size_t answer = 0;  // counted over all connections
    size_t offset = 0;  // within that answer
};

std::string Describe(const Case& c) {
    return std::string(c.dialogue->name) + ", " + FaultName(c.fault) + " in answer " +
           std::to_string(c.answer) + " at " + std::to_string(c.offset);
}

// Plays the dialogue on each connection, breaking the planned answer.
void PlayConnection(const Case& plan, SocketIPv4& connection, int index) {
    const auto& connections = plan.dialogue->connections;
    if (size_t(index) >= connections.size()) {
        // A further attempt the dialogue does not know: say nothing.
        WaitForClose(connection, kStallHoldMs);
        return;
    }
    size_t answer = 0;
    for (int i = 0; i < index; ++i) answer += connections[size_t(i)].size();
    uint32_t garbage = uint32_t(plan.offset * 2654435761u + plan.answer * 40503u + 11);
    for (const Exchange& exchange : connections[size_t(index)]) {
        std::string request = exchange.requestSize == 0
                                  ? ReadHttpRequest(connection)
                                  : ReadBytes(connection, exchange.requestSize);
        if (request.empty()) return;
        if (plan.fault == Fault::None || answer != plan.answer) {
            SendText(connection, exchange.answer);
            ++answer;
            continue;
        }
        SendText(connection, std::string_view(exchange.answer).substr(0, plan.offset));
        if (plan.fault == Fault::Stall) WaitForClose(connection, kStallHoldMs);
        if (plan.fault == Fault::Garbage) {
            std::string noise(exchange.answer.size() - plan.offset, '\0');
            for (char& byte : noise) {
                garbage ^= garbage << 13;
                garbage ^= garbage >> 17;
                garbage ^= garbage << 5;
                byte = static_cast<char>(garbage >> 24);
            }
            SendText(connection, noise);
        }
        return;
    }
    // The tunnel is open; it stays so until the client is done with it.
    WaitForClose(connection, kStallHoldMs);
}

bool Readable(const std::string& text) {
    for (unsigned char c : text) {
        if (c < 0x20 || c > 0x7E) return false;
    }
    return !text.empty();
}

class ProxyFaults : public ::testing::Test {
  protected:
    void Fail(const Case& c, const std::string& what) {
        std::lock_guard<std::mutex> guard(lock_);
        ++failureCount_;
        if (failures_.size() < kReportedFailures) failures_.push_back(Describe(c) + ": " + what);
    }

    // Runs one handshake; true when it opened the tunnel.
    bool RunCase(const Case& c) {
        ScriptedProxy proxy(
            [&c](SocketIPv4& connection, int index) { PlayConnection(c, connection, index); });
        auto socket = std::make_unique<SocketIPv4>();
        socket->proxyMode = 1;
        socket->proxyHost.SetString(u"127.0.0.1");
        socket->proxyPort = proxy.Port();
        socket->proxyIdAnsi.SetString(c.dialogue->id);
        socket->proxyPasswordAnsi.SetString(c.dialogue->password);
        // The good handshake may meet a loaded machine.
        socket->proxyTimeoutMs = c.fault == Fault::None ? kScriptWaitMs : kProxyLimitMs;

        auto handshake = std::async(std::launch::async, [&] {
            switch (c.dialogue->method) {
                case Method::Http:
                    return ConnectHttpProxy(*socket, c.dialogue->target, kTargetPort);
                case Method::Socks4:
                    return ConnectSocks4Proxy(*socket, c.dialogue->target, kTargetPort);
                case Method::Socks5:
                    return ConnectSocks5Proxy(*socket, c.dialogue->target, kTargetPort);
            }
            return false;
        });
        int bound = c.fault == Fault::None ? 10 * kScriptWaitMs : kCaseBoundMs;
        if (handshake.wait_for(std::chrono::milliseconds(bound)) != std::future_status::ready) {
            Fail(c, "the handshake did not end within the bound");
            socket->Shutdown();
        }
        bool ok = handshake.get();
        if (ok && !socket->proxyFailure.empty()) Fail(c, "a tunnel with a failure reason");
        if (!ok && !Readable(socket->proxyFailure)) {
            Fail(c, "failure reason not readable: \"" + socket->proxyFailure + "\"");
        }
        if (ok && c.fault != Fault::Garbage && c.fault != Fault::None) Fail(c, "tunnel opened");
        if (!ok && c.fault == Fault::None)
            Fail(c, "the good handshake failed: " + socket->proxyFailure);
        // The client lets go first, so a silent proxy's wait ends at once.
        socket.reset();
        proxy.Stop();
        return ok;
    }

    std::mutex lock_;
    std::vector<std::string> failures_;
    size_t failureCount_ = 0;
};

TEST_F(ProxyFaults, EveryByteOfEveryAnswerClosedStalledOrGarbled) {
    const std::vector<Dialogue> dialogues = Dialogues();
    std::vector<Case> cases;
    for (const Dialogue& dialogue : dialogues) {
        cases.push_back(Case{&dialogue, Fault::None, 0, 0});
        size_t answer = 0;
        for (const auto& connection : dialogue.connections) {
            for (const Exchange& exchange : connection) {
                for (size_t offset = 0; offset < exchange.answer.size(); ++offset) {
                    for (Fault fault : {Fault::Close, Fault::Stall, Fault::Garbage}) {
                        cases.push_back(Case{&dialogue, fault, answer, offset});
                    }
                }
                ++answer;
            }
        }
    }

    std::atomic<size_t> next{0};
    std::atomic<size_t> tunnels{0};
    std::vector<std::thread> workers;
    for (int worker = 0; worker < kWorkers; ++worker) {
        workers.emplace_back([&] {
            for (size_t index = next++; index < cases.size(); index = next++) {
                if (RunCase(cases[index])) ++tunnels;
            }
        });
    }
    for (auto& worker : workers) worker.join();

    std::string report;
    for (const auto& line : failures_) report += line + "\n";
    EXPECT_EQ(failureCount_, 0u) << report;
    std::cout << "[ info ] " << cases.size() << " handshakes, " << tunnels
              << " opened a tunnel (the good ones and garbage the handshake does not read)\n";
}

}  // namespace
}  // namespace ostiva::test
