#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "Loopback.h"
#include "OpenSslOracle.h"
#include "transport/SecureChannel.h"

using namespace ostiva;
using namespace ostiva::test;

namespace {

constexpr char kKeyPrefix[] = "30819D300D06092A864886F70D010101050003818B0030818702818100";
const std::array<uint8_t, 16> kZero{};

// The server's answer: the hex text, then a zero byte.
std::string Blob(const std::string& hex) {
    return hex + std::string(1, '\0');
}

// Runs the console's side against a peer that reads the key blob and sends
// what `reply` makes of it, in pieces of `piece` bytes (0: all at once).
struct Exchange {
    bool result = false;
    std::string keyHex;
    std::array<uint8_t, 16> key{};
    std::array<uint8_t, 16> iv{};
};

Exchange RunWithReply(const std::function<std::string(const std::string& keyHex)>& reply,
                      size_t piece = 0, bool raise = false) {
    Exchange out;
    WithPeer(
        [&](SocketIPv4& server) {
            std::string blob = ReadKeyBlob(server);
            if (blob.size() != kPublicKeyBlobSize) return;
            out.keyHex = blob.substr(0, kPublicKeyHexLength);
            std::string answer = reply(out.keyHex);
            if (piece == 0) piece = answer.size();
            for (size_t at = 0; at < answer.size(); at += piece) {
                server.SendBytes(answer.data() + at, std::min(piece, answer.size() - at));
                if (at + piece < answer.size())
                    std::this_thread::sleep_for(std::chrono::milliseconds(15));
            }
        },
        [&](SocketIPv4& console) {
            console.raiseOnFailure = raise;
            out.result = console.StartSecureChannel();
            out.key = console.sessionKey;
            out.iv = console.sessionIv;
        });
    return out;
}

const std::string kKeyHex = "000102030405060708090A0B0C0D0E0F";
const std::string kIvHex = "F0E1D2C3B4A5968778695A4B3C2D1E0F";

std::array<uint8_t, 16> Bytes16(const std::string& hex) {
    std::array<uint8_t, 16> out{};
    std::string bytes = FromHex(hex);
    std::memcpy(out.data(), bytes.data(), std::min<size_t>(16, bytes.size()));
    return out;
}

}  // namespace

TEST(SecureChannel, BothSidesAgreeOnKeyAndIv) {
    std::array<uint8_t, 16> serverKey{}, serverIv{};
    bool answered = false, started = false;
    std::array<uint8_t, 16> consoleKey{}, consoleIv{};
    int consoleRole = 0, serverRole = 0;
    WithPeer(
        [&](SocketIPv4& server) {
            answered = AnswerSecureChannel(server, &serverKey, &serverIv);
            serverRole = server.secureRole;
        },
        [&](SocketIPv4& console) {
            EXPECT_EQ(console.sessionKey, kZero);
            started = console.StartSecureChannel();
            consoleKey = console.sessionKey;
            consoleIv = console.sessionIv;
            consoleRole = console.secureRole;
        });
    ASSERT_TRUE(answered);
    ASSERT_TRUE(started);
    EXPECT_EQ(consoleKey, serverKey);
    EXPECT_EQ(consoleIv, serverIv);
    EXPECT_NE(consoleKey, consoleIv);
    EXPECT_EQ(consoleRole, SocketIPv4::kSecureRoleInitiating);
    EXPECT_EQ(serverRole, SocketIPv4::kSecureRoleAnswering);
}

TEST(SecureChannel, PublicKeyHasItsFixedFormAndIsNewEachTime) {
    std::vector<std::string> keys;
    for (int i = 0; i < 2; ++i) {
        // A server that closes instead of answering.
        Exchange e = RunWithReply([](const std::string&) { return std::string(); });
        EXPECT_FALSE(e.result);
        EXPECT_EQ(e.key, kZero);
        ASSERT_EQ(e.keyHex.size(), kPublicKeyHexLength);
        EXPECT_EQ(e.keyHex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
        EXPECT_EQ(e.keyHex.substr(0, 58), kKeyPrefix);
        EXPECT_EQ(e.keyHex.substr(314), "020111");
        EXPECT_GE(e.keyHex[58], '8') << "modulus top bit";
        keys.push_back(e.keyHex);
    }
    EXPECT_NE(keys[0], keys[1]);
}

TEST(SecureChannel, ServerThatClosesAtOnceGivesFalse) {
    bool started = true;
    WithPeer([](SocketIPv4&) {},
             [&](SocketIPv4& console) { started = console.StartSecureChannel(); });
    EXPECT_FALSE(started);
}

TEST(SecureChannel, ReplyInPiecesIsAssembled) {
    for (size_t piece : {size_t(7), size_t(128)}) {
        Exchange e = RunWithReply(
            [](const std::string& keyHex) { return Blob(EncryptForKey(keyHex, kKeyHex + kIvHex)); },
            piece);
        ASSERT_TRUE(e.result) << piece;
        EXPECT_EQ(e.key, Bytes16(kKeyHex));
        EXPECT_EQ(e.iv, Bytes16(kIvHex));
    }
}

TEST(SecureChannel, BadRepliesGiveFalseAndNoException) {
    struct Case {
        const char* name;
        std::function<std::string(const std::string&)> reply;
    };
    const std::string valid64 = kKeyHex + kIvHex;
    std::vector<Case> cases = {
        {"not hex", [](const std::string&) { return Blob(std::string(256, 'Z')); }},
        {"short hex", [](const std::string&) { return Blob(std::string(100, 'A')); }},
        {"no terminator, too long", [](const std::string&) { return std::string(300, 'A'); }},
        {"odd length",
         [&](const std::string& k) { return Blob(EncryptForKey(k, valid64).substr(1)); }},
        {"random ciphertext",
         [](const std::string&) {
             std::string hex;
             for (int i = 0; i < 128; ++i) hex += "5A";
             return Blob(hex);
         }},
        {"plaintext of 63",
         [&](const std::string& k) { return Blob(EncryptForKey(k, valid64.substr(0, 63))); }},
        {"plaintext not hex",
         [](const std::string& k) { return Blob(EncryptForKey(k, std::string(64, 'q'))); }},
        {"ciphertext for another key",
         [&](const std::string&) {
             OracleKeyPair other(1024, 17);
             return Blob(EncryptForKey(other.PublicKeyHex(), valid64));
         }},
        {"only a zero byte", [](const std::string&) { return std::string(1, '\0'); }},
    };
    for (const Case& c : cases) {
        for (bool raise : {false, true}) {
            Exchange e;
            EXPECT_NO_THROW(e = RunWithReply(c.reply, 0, raise)) << c.name;
            EXPECT_FALSE(e.result) << c.name;
            EXPECT_EQ(e.key, kZero) << c.name;
            EXPECT_EQ(e.iv, kZero) << c.name;
        }
    }
}

TEST(SecureChannel, RecordAfterTheReplyIsLeftForTheSession) {
    bool started = false;
    std::array<uint8_t, 2> hello{};
    WithPeer(
        [](SocketIPv4& server) {
            std::string blob = ReadKeyBlob(server);
            // The hello reply (1001, little-endian) right behind the answer.
            std::string answer =
                Blob(EncryptForKey(blob.substr(0, 320), kKeyHex + kIvHex)) + "\xE9\x03";
            server.SendBytes(answer.data(), answer.size());
        },
        [&](SocketIPv4& console) {
            started = console.StartSecureChannel();
            console.ReceiveExact(hello.data(), hello.size(), kWaitMs);
        });
    EXPECT_TRUE(started);
    EXPECT_EQ(hello[0] | hello[1] << 8, 1001);
}

TEST(SecureChannel, AnsweringSideSendsNothingForAnUnreadableKey) {
    const std::vector<std::string> keys = {
        Blob(std::string(320, 'G')),                  // not hex
        Blob("30819D300D06"),                         // cut DER
        Blob(std::string(320, '0')),                  // hex, not a key
        Blob(OracleKeyPair(512, 17).PublicKeyHex()),  // a key too small for the reply
        std::string(kPublicKeyBlobSize, 'A'),         // no terminator
    };
    for (const std::string& key : keys) {
        bool answered = true;
        std::array<uint8_t, 16> serverKey{};
        size_t got = 1;
        WithPeer(
            [&](SocketIPv4& server) {
                answered = AnswerSecureChannel(server, &serverKey, nullptr);
            },
            [&](SocketIPv4& console) {
                console.SendBytes(key.data(), key.size());
                std::array<uint8_t, kCipherBlobSize> reply;
                // The server closes after refusing: nothing arrives.
                got = console.ReceiveExact(reply.data(), reply.size(), kWaitMs);
            });
        EXPECT_FALSE(answered) << key.substr(0, 20);
        EXPECT_EQ(got, 0u) << key.substr(0, 20);
        EXPECT_EQ(serverKey, kZero);
    }
}

// A reply that stops part way may still be finished later, and its rest
// would then be read as the answers that follow. Such a connection is shut
// at once; a server that sends no reply at all keeps a usable connection.
TEST(SecureChannel, ReplyCutShortShutsTheConnectionButNoReplyDoesNot) {
    for (size_t sent : {size_t(0), size_t(100)}) {
        bool started = true;
        bool peerSawEnd = false;
        bool helloArrived = false;
        WithPeer(
            [&](SocketIPv4& server) {
                ReadKeyBlob(server);
                std::string part(sent, 'A');
                if (!part.empty()) server.SendBytes(part.data(), part.size());
                // What comes next: the end of the connection or the hello.
                uint8_t next[2] = {};
                if (!server.WaitReadable(kWaitMs)) return;
                ssize_t n = server.ReceiveBytes(next, sizeof next);
                peerSawEnd = n == 0;
                helloArrived = n > 0;
            },
            [&](SocketIPv4& console) {
                started = console.StartSecureChannel(300);
                uint8_t hello[2] = {0xE9, 0x03};
                console.raiseOnFailure = false;
                console.SendBytes(hello, sizeof hello);
            });
        EXPECT_FALSE(started) << sent;
        EXPECT_EQ(peerSawEnd, sent > 0) << sent;
        EXPECT_EQ(helloArrived, sent == 0) << sent;
    }
}
