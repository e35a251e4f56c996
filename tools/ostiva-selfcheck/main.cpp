// ostiva-selfcheck: runs the key exchange over loopback, the console's
// initiating side in this thread against the server's answering side in
// another, and reports whether the public key has its fixed form and both
// sides ended with the same key and IV. Exit status 0 when everything holds.

#include <sys/socket.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>

#include "transport/Deadline.h"
#include "transport/ListenerIPv4.h"
#include "transport/SecureChannel.h"
#include "transport/SocketIPv4.h"
#include "util/Exception.h"

namespace {

using namespace ostiva;

// The first 29 bytes of the public key (SubjectPublicKeyInfo header up to
// the modulus) and its last 3 (INTEGER 17), in hex.
constexpr std::string_view kKeyPrefix =
    "30819D300D06092A864886F70D010101050003818B0030818702818100";
constexpr std::string_view kKeySuffix = "020111";

struct ServerSide {
    bool accepted = false;
    bool answered = false;
    std::string blob;  // the 321 bytes the console sent, as seen on the wire
    std::array<uint8_t, 16> key{};
    std::array<uint8_t, 16> iv{};
};

// Reads the console's blob without consuming it, so the answering side
// still gets every byte.
std::string PeekBlob(int fd) {
    std::string blob(kPublicKeyBlobSize, '\0');
    Deadline deadline(kSecureChannelTimeoutMs);
    for (;;) {
        ssize_t n = ::recv(fd, blob.data(), blob.size(), MSG_PEEK | MSG_DONTWAIT);
        if (n == ssize_t(blob.size())) return blob;
        if (n == 0 || deadline.Expired()) return {};
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void Serve(ListenerIPv4& listener, ServerSide* out) {
    int fd = listener.Accept(kSecureChannelTimeoutMs);
    if (fd < 0) return;
    out->accepted = true;
    SocketIPv4 socket;
    socket.AdoptHandle(fd);
    out->blob = PeekBlob(fd);
    out->answered = AnswerSecureChannel(socket, &out->key, &out->iv);
}

std::string Hex(const std::array<uint8_t, 16>& bytes) {
    std::string text;
    char pair[3];
    for (uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        text += pair;
    }
    return text;
}

bool Check(const char* what, bool ok, const std::string& detail = {}) {
    std::printf("  [%s] %s%s%s\n", ok ? " ok " : "FAIL", what, detail.empty() ? "" : ": ",
                detail.c_str());
    return ok;
}

}  // namespace

int main() {
    try {
        std::printf("Ostiva key-exchange self-check (loopback)\n");
        ListenerIPv4 listener(0, true);
        ServerSide server;
        std::thread serverThread(Serve, std::ref(listener), &server);

        auto start = std::chrono::steady_clock::now();
        SocketIPv4 console;
        bool connected =
            console.Connect(AddressIPv4::Resolve(u"127.0.0.1", listener.Port()), 10000);
        bool exchanged = connected && console.StartSecureChannel();
        auto elapsed = std::chrono::steady_clock::now() - start;
        if (!connected) listener.Shutdown();
        serverThread.join();

        bool ok = true;
        ok &= Check("connected to 127.0.0.1", connected, std::to_string(listener.Port()));
        const std::string& blob = server.blob;
        std::string_view hex(blob.data(), blob.empty() ? 0 : blob.size() - 1);
        ok &= Check("public key is 320 hex characters and a zero byte",
                    blob.size() == kPublicKeyBlobSize && blob.back() == '\0' &&
                        std::strlen(blob.c_str()) == kPublicKeyHexLength);
        ok &= Check("X.509 header, rsaEncryption, 1024-bit modulus with its top bit set",
                    hex.substr(0, kKeyPrefix.size()) == kKeyPrefix &&
                        hex.size() > kKeyPrefix.size() && hex[kKeyPrefix.size()] >= '8');
        ok &= Check("public exponent 17",
                    hex.size() >= kKeySuffix.size() &&
                        hex.substr(hex.size() - kKeySuffix.size()) == kKeySuffix);
        ok &= Check("server answered", server.answered);
        ok &= Check("console decrypted the reply", exchanged);
        ok &= Check("key matches", exchanged && console.sessionKey == server.key,
                    Hex(console.sessionKey));
        ok &= Check("IV matches", exchanged && console.sessionIv == server.iv,
                    Hex(console.sessionIv));
        ok &= Check("secure role is initiating (2)",
                    console.secureRole == SocketIPv4::kSecureRoleInitiating);
        double ms = std::chrono::duration<double, std::milli>(elapsed).count();
        std::printf("  time: %.1f ms (key generation, exchange, decryption)\n", ms);
        std::printf("%s\n", ok ? "Self-check passed." : "Self-check FAILED.");
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Self-check failed: %s\n", e.what());
        return 2;
    }
}
