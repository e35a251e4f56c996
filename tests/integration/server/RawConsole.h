#pragma once
// A console spoken byte by byte, for the server's own tests: the key
// exchange, the hello, logins and the command phase over loopback, every
// wait bounded.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "session/Records.h"
#include "transport/SocketIPv4.h"

namespace ostiva::test {

inline constexpr int kRawWaitMs = 5000;

inline void SendRecord(SocketIPv4& socket, const wire::Bytes& bytes) {
    EXPECT_EQ(socket.SendBytes(bytes.data(), bytes.size()), ssize_t(bytes.size()));
}

// A connection to 127.0.0.1:`port` that has done the key exchange and the hello.
inline std::unique_ptr<SocketIPv4> OpenConsole(uint16_t port) {
    auto socket = std::make_unique<SocketIPv4>();
    EXPECT_TRUE(socket->Connect(AddressIPv4::Resolve(u"127.0.0.1", port), kRawWaitMs));
    EXPECT_TRUE(socket->StartSecureChannel());
    SendRecord(*socket, wire::BuildHello());
    uint8_t reply[2] = {0, 0};
    EXPECT_EQ(socket->ReceiveExact(reply, 2, kRawWaitMs), 2u);
    EXPECT_EQ(wire::ReadType(reply), wire::MSG_HELLO_REPLY);
    return socket;
}

// Sends one login; the reply's result code, or 0 when none came.
inline uint16_t SendLogin(SocketIPv4& socket, const std::u16string& id,
                          const std::u16string& password, int waitMs = kRawWaitMs) {
    wire::LoginRequest login;
    login.helperId = id;
    login.password = password;
    SendRecord(socket, wire::BuildLogin(login));
    wire::Bytes reply(wire::kLoginReplySize);
    if (socket.ReceiveExact(reply.data(), reply.size(), waitMs) != reply.size()) return 0;
    return wire::ReadLoginReply(reply).result;
}

// Logs in and reads the account: the connection is then in its command
// phase. `result` gets the login's result code.
inline std::unique_ptr<SocketIPv4> LoggedInConsole(uint16_t port, const std::u16string& id,
                                                   const std::u16string& password,
                                                   uint16_t* result = nullptr) {
    auto socket = OpenConsole(port);
    uint16_t code = SendLogin(*socket, id, password);
    if (result) *result = code;
    SendRecord(*socket, wire::BuildAccountRequest());
    wire::Bytes account(wire::kAccountInfoSize);
    EXPECT_EQ(socket->ReceiveExact(account.data(), account.size(), kRawWaitMs), account.size());
    SendRecord(*socket, wire::BuildConsoleReady());
    return socket;
}

// True when the server closed the connection: the next receive ends without
// a byte (within `waitMs`).
inline bool ClosedByServer(SocketIPv4& socket, int waitMs = kRawWaitMs) {
    uint8_t byte;
    SocketIPv4::ReceiveEnd end;
    size_t got = socket.ReceiveExact(&byte, 1, waitMs, &end);
    return got == 0 &&
           (end == SocketIPv4::ReceiveEnd::Closed || end == SocketIPv4::ReceiveEnd::Failed);
}

}  // namespace ostiva::test
