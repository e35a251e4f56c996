#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstring>
#include <future>
#include <numeric>
#include <thread>
#include <vector>

#include "Loopback.h"
#include "util/Exception.h"

using namespace ostiva;
using namespace ostiva::test;

namespace {

bool IsOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1;
}
bool IsCloseOnExec(int fd) {
    return (::fcntl(fd, F_GETFD) & FD_CLOEXEC) != 0;
}

// A port on 127.0.0.1 where nothing listens.
uint16_t ClosedPort() {
    ListenerIPv4 listener;
    return listener.Port();
}

template <class F>
auto Bounded(F&& f) {
    auto result = std::async(std::launch::async, std::forward<F>(f));
    if (result.wait_for(std::chrono::milliseconds(kWaitMs)) != std::future_status::ready) {
        ADD_FAILURE() << "still blocked";
        std::quick_exit(1);
    }
    return result.get();
}

}  // namespace

TEST(SocketIPv4, ShortReceiveLeavesTheRestZero) {
    LoopbackPair pair;
    ASSERT_TRUE(pair.connected);
    std::array<uint8_t, 40> record;
    std::iota(record.begin(), record.end(), 1);
    ASSERT_EQ(pair.server->SendBytes(record.data(), record.size()), 40);

    std::array<uint8_t, 128> buffer;
    buffer.fill(0xAA);
    ASSERT_TRUE(pair.client->WaitReadable(kWaitMs));
    EXPECT_EQ(pair.client->ReceiveBytes(buffer.data(), buffer.size()), 40);
    EXPECT_EQ(std::memcmp(buffer.data(), record.data(), 40), 0);
    for (size_t i = 40; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0) << i;
}

TEST(SocketIPv4, ClosedPeerAndMissingSocketFollowTheRaiseOption) {
    LoopbackPair pair;
    ASSERT_TRUE(pair.connected);
    pair.server.reset();

    std::array<uint8_t, 16> buffer;
    buffer.fill(0xAA);
    EXPECT_EQ(pair.client->ReceiveBytes(buffer.data(), buffer.size()), 0);
    EXPECT_EQ(buffer, (std::array<uint8_t, 16>{}));

    pair.client->raiseOnFailure = true;
    try {
        pair.client->ReceiveBytes(buffer.data(), buffer.size());
        FAIL() << "no exception";
    } catch (const IOException& e) {
        EXPECT_STREQ(e.what(), "Connection has been gracefully closed");
    }

    // Without a socket every transfer fails.
    int fd = pair.client->ReleaseHandle();
    pair.client->raiseOnFailure = false;
    buffer.fill(0xAA);
    EXPECT_EQ(pair.client->ReceiveBytes(buffer.data(), buffer.size()), -1);
    EXPECT_EQ(buffer, (std::array<uint8_t, 16>{}));
    EXPECT_EQ(pair.client->SendBytes(buffer.data(), buffer.size()), -1);
    pair.client->raiseOnFailure = true;
    try {
        pair.client->SendBytes(buffer.data(), buffer.size());
        FAIL() << "no exception";
    } catch (const IOException& e) {
        EXPECT_STREQ(e.what(), "Failed to send data from socket.");
    }
    try {
        pair.client->ReceiveBytes(buffer.data(), buffer.size());
        FAIL() << "no exception";
    } catch (const IOException& e) {
        EXPECT_STREQ(e.what(), "Failed to recv data from socket.");
    }
    ::close(fd);
}

TEST(SocketIPv4Thread, ReceiveExactAssemblesSplitRecordsWithoutOverreading) {
    LoopbackPair pair;
    ASSERT_TRUE(pair.connected);
    std::vector<uint8_t> records(256);
    std::iota(records.begin(), records.end(), 0);

    std::thread sender([&] {
        // One record in three pieces, then the tail of nothing else.
        pair.server->SetNoDelay();
        pair.server->SendBytes(records.data(), 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        pair.server->SendBytes(records.data() + 1, 100);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        pair.server->SendBytes(records.data() + 101, 155);
    });
    std::array<uint8_t, 128> buffer;
    SocketIPv4::ReceiveEnd end;
    EXPECT_EQ(pair.client->ReceiveExact(buffer.data(), buffer.size(), kWaitMs, &end), 128u);
    EXPECT_EQ(end, SocketIPv4::ReceiveEnd::Complete);
    EXPECT_EQ(std::memcmp(buffer.data(), records.data(), 128), 0);
    EXPECT_EQ(pair.client->ReceiveExact(buffer.data(), buffer.size(), kWaitMs, &end), 128u);
    EXPECT_EQ(std::memcmp(buffer.data(), records.data() + 128, 128), 0);
    sender.join();
}

TEST(SocketIPv4, ReceiveExactStopsAtCloseAndAtTheTimeLimit) {
    std::array<uint8_t, 128> buffer;
    SocketIPv4::ReceiveEnd end;
    {
        LoopbackPair pair;
        ASSERT_TRUE(pair.connected);
        std::vector<uint8_t> part(10, 7);
        pair.server->SendBytes(part.data(), part.size());
        buffer.fill(0xAA);
        EXPECT_EQ(pair.client->ReceiveExact(buffer.data(), buffer.size(), 100, &end), 10u);
        EXPECT_EQ(end, SocketIPv4::ReceiveEnd::TimedOut);
        EXPECT_EQ(buffer[9], 7);
        EXPECT_EQ(buffer[10], 0);
        EXPECT_EQ(buffer[127], 0);
    }
    {
        LoopbackPair pair;
        ASSERT_TRUE(pair.connected);
        std::vector<uint8_t> part(50, 9);
        pair.server->SendBytes(part.data(), part.size());
        pair.server.reset();
        buffer.fill(0xAA);
        EXPECT_EQ(pair.client->ReceiveExact(buffer.data(), buffer.size(), -1, &end), 50u);
        EXPECT_EQ(end, SocketIPv4::ReceiveEnd::Closed);
        EXPECT_EQ(buffer[49], 9);
        EXPECT_EQ(buffer[50], 0);
        EXPECT_TRUE(pair.client->WaitReadable(0));  // a closed peer reads as readable
    }
}

TEST(SocketIPv4Thread, LargeSendArrivesWhole) {
    LoopbackPair pair;
    ASSERT_TRUE(pair.connected);
    std::vector<uint8_t> data(8 << 20);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 31 + (i >> 8));
    std::vector<uint8_t> received(data.size());
    std::thread reader([&] { pair.server->ReceiveExact(received.data(), received.size(), 30000); });
    EXPECT_EQ(pair.client->SendBytes(data.data(), data.size()), ssize_t(data.size()));
    reader.join();
    EXPECT_TRUE(received == data);
}

TEST(SocketIPv4, SendToAResetPeerFailsWithoutSigpipe) {
    struct sigaction previous;
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &byDefault, &previous);  // a SIGPIPE would end the test program

    LoopbackPair pair;
    ASSERT_TRUE(pair.connected);
    linger reset{1, 0};
    ::setsockopt(pair.server->GetHandle(), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    pair.server.reset();
    ASSERT_TRUE(pair.client->WaitReadable(kWaitMs));

    std::vector<uint8_t> data(65536, 1);
    ssize_t result = 0;
    for (int i = 0; i < 20 && result >= 0; ++i)
        result = pair.client->SendBytes(data.data(), data.size());
    EXPECT_EQ(result, -1);
    ::sigaction(SIGPIPE, &previous, nullptr);
}

TEST(SocketIPv4, HandedOverHandleIsClosedExactlyOnce) {
    ListenerIPv4 listener;
    auto attempt = std::make_unique<SocketIPv4>();
    ASSERT_TRUE(attempt->Connect(Loopback(listener.Port()), kWaitMs));
    int accepted = listener.Accept(kWaitMs);
    ASSERT_GE(accepted, 0);
    SocketIPv4 peer;
    peer.AdoptHandle(accepted);

    auto session = std::make_unique<SocketIPv4>();
    int sessionFirst = session->GetHandle();
    int fd = attempt->ReleaseHandle();
    EXPECT_EQ(attempt->GetHandle(), SocketIPv4::kNoSocket);
    session->AdoptHandle(fd);
    EXPECT_FALSE(IsOpen(sessionFirst));
    EXPECT_EQ(session->GetHandle(), fd);

    AddressIPv4 address;
    ASSERT_TRUE(session->GetPeerAddress(&address));
    EXPECT_EQ(address, Loopback(listener.Port()));
    ASSERT_TRUE(session->GetLocalAddress(&address));
    EXPECT_EQ(address.ToString(), u"127.0.0.1");
    EXPECT_EQ(session->GetLocalAddressText(), u"127.0.0.1");

    attempt.reset();
    ASSERT_TRUE(IsOpen(fd));
    uint8_t byte = 42;
    EXPECT_EQ(session->SendBytes(&byte, 1), 1);
    session.reset();
    EXPECT_FALSE(IsOpen(fd));
}

TEST(SocketIPv4, EveryDescriptorIsCloseOnExec) {
    ListenerIPv4 listener;
    EXPECT_TRUE(IsCloseOnExec(listener.GetHandle()));
    SocketIPv4 socket;
    EXPECT_TRUE(IsCloseOnExec(socket.GetHandle()));
    ASSERT_TRUE(socket.Connect(Loopback(listener.Port()), kWaitMs));
    int accepted = listener.Accept(kWaitMs);
    ASSERT_GE(accepted, 0);
    EXPECT_TRUE(IsCloseOnExec(accepted));
    ::close(accepted);
    socket.Reopen();
    EXPECT_TRUE(IsCloseOnExec(socket.GetHandle()));
}

TEST(SocketIPv4, FailedConnectKeepsThePeerAndTheSocketUsable) {
    SocketIPv4 socket;
    AddressIPv4 peer;
    EXPECT_FALSE(socket.Connect(Loopback(ClosedPort())));
    EXPECT_FALSE(socket.GetPeerAddress(&peer));

    // The proxy chain connects the same object again after a refusal.
    ListenerIPv4 listener;
    ASSERT_TRUE(socket.Connect(Loopback(listener.Port())));
    ASSERT_TRUE(socket.GetPeerAddress(&peer));
    EXPECT_EQ(peer.GetPort(), listener.Port());
    EXPECT_FALSE(socket.Connect(Loopback(ClosedPort())));
    ASSERT_TRUE(socket.GetPeerAddress(&peer));
    EXPECT_EQ(peer.GetPort(), listener.Port());
}

TEST(SocketIPv4Thread, ShutdownWakesABlockedReceive) {
    LoopbackPair pair;
    ASSERT_TRUE(pair.connected);
    std::promise<void> started;
    auto receiving = std::async(std::launch::async, [&] {
        std::array<uint8_t, 128> buffer;
        started.set_value();
        return pair.client->ReceiveBytes(buffer.data(), buffer.size());
    });
    started.get_future().wait();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    pair.client->Shutdown();
    ASSERT_EQ(receiving.wait_for(std::chrono::milliseconds(kWaitMs)), std::future_status::ready);
    EXPECT_EQ(receiving.get(), 0);

    // The request sticks: neither a wait nor a connect starts again.
    EXPECT_TRUE(pair.client->IsShutDown());
    EXPECT_TRUE(Bounded([&] {
        std::array<uint8_t, 8> buffer;
        return pair.client->ReceiveExact(buffer.data(), buffer.size(), -1) == 0;
    }));
    SocketIPv4 cancelled;
    cancelled.Shutdown();
    EXPECT_FALSE(cancelled.Connect(Loopback(pair.listener.Port()), kWaitMs));
}

TEST(SocketIPv4Thread, ConnectThatNeverCompletesTimesOutOrIsCancelled) {
    // A listener that never accepts and whose queue is full drops further
    // SYNs, so a connect to it stays pending.
    ListenerIPv4 listener(0, true, 0);
    std::vector<std::unique_ptr<SocketIPv4>> fillers;
    bool pending = false;
    for (int i = 0; i < 8 && !pending; ++i) {
        auto socket = std::make_unique<SocketIPv4>();
        pending = !socket->Connect(Loopback(listener.Port()), 300);
        if (pending) {
            // The half-open handle was swapped for a fresh one.
            EXPECT_NE(socket->GetHandle(), SocketIPv4::kNoSocket);
            EXPECT_TRUE(IsCloseOnExec(socket->GetHandle()));
            ListenerIPv4 other;
            EXPECT_TRUE(socket->Connect(Loopback(other.Port()), kWaitMs));
        }
        fillers.push_back(std::move(socket));
    }
    if (!pending) GTEST_SKIP() << "the system accepted every connection";

    SocketIPv4 blocked;
    std::promise<void> started;
    auto connecting = std::async(std::launch::async, [&] {
        started.set_value();
        return blocked.Connect(Loopback(listener.Port()));
    });
    started.get_future().wait();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    blocked.Shutdown();
    ASSERT_EQ(connecting.wait_for(std::chrono::milliseconds(kWaitMs)), std::future_status::ready);
    EXPECT_FALSE(connecting.get());
}

TEST(SocketIPv4, OptionsReachTheSystem) {
    LoopbackPair pair;
    ASSERT_TRUE(pair.connected);
    int fd = pair.client->GetHandle();
    auto option = [fd](int level, int name) {
        int value = -1;
        socklen_t length = sizeof value;
        ::getsockopt(fd, level, name, &value, &length);
        return value;
    };
    pair.client->SetNoDelay();
    EXPECT_NE(option(IPPROTO_TCP, TCP_NODELAY), 0);
    pair.client->SetKeepAlive(60000, 1000);
    EXPECT_NE(option(SOL_SOCKET, SO_KEEPALIVE), 0);
    EXPECT_EQ(option(IPPROTO_TCP, TCP_KEEPIDLE), 60);
    EXPECT_EQ(option(IPPROTO_TCP, TCP_KEEPINTVL), 1);

    int released = pair.client->ReleaseHandle();
    EXPECT_THROW(pair.client->SetNoDelay(), SocketException);
    EXPECT_EQ(pair.client->GetLocalAddressText(), u"");
    pair.client->SetKeepAlive(60000, 1000);  // no socket: nothing happens
    ::close(released);
}
