// Commands sent from several threads while the receive loop reads: the send
// lock keeps every record whole, so the server, which closes the connection
// on the first record out of order, stores every report.

#include <thread>

#include "SessionFixture.h"

namespace ostiva::test {
namespace {

TEST(SessionConcurrency, SendsFromSeveralThreadsNeverInterleave) {
    ServerProcess server;
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    Console console(server);
    ASSERT_TRUE(console.Login(u"alice", u"secret-a"));

    constexpr int kThreads = 4;
    constexpr int kReportsEach = 25;
    std::vector<std::thread> senders;
    for (int t = 0; t < kThreads; ++t) {
        senders.emplace_back([&, t] {
            for (int i = 0; i < kReportsEach; ++i) {
                AccessCode entry;
                entry.connectionNumber = t * 1000 + i;
                entry.memo = std::u16string(1024, char16_t(u'a' + t));
                console.client->SaveReport(entry);
                if (i % 5 == 0) console.client->RequestNewCode();
            }
        });
    }
    for (auto& sender : senders) sender.join();

    auto reports = ListOf(server.WaitFor(
        "reports alice",
        [&](const std::string& a) { return ListOf(a).size() >= size_t(kThreads * kReportsEach); },
        15000));
    EXPECT_EQ(reports.size(), size_t(kThreads * kReportsEach)) << server.Log();
    for (const auto& report : reports) {
        int number = report["connection"];
        EXPECT_EQ(report["memo"], std::string(1024, char('a' + number / 1000)));
    }
    EXPECT_TRUE(console.events.WaitForCount(size_t(kThreads * kReportsEach / 5)));
    EXPECT_FALSE(console.client->HasSessionEnded());
}

TEST(SessionConcurrency, StopWhileTheServerSends) {
    ServerProcess server;
    ASSERT_TRUE(server.IsRunning()) << server.Log();
    for (int round = 0; round < 5; ++round) {
        Console console(server);
        ASSERT_TRUE(console.Login(u"alice", u"secret-a"));
        std::thread sender([&] {
            for (int i = 0; i < 20; ++i) console.client->RequestNewCode();
        });
        console.events.WaitForCount(1);
        sender.join();
        console.client->Stop();
        size_t seen = console.events.events().size();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        // Nothing reaches the console after Stop returned.
        EXPECT_EQ(console.events.events().size(), seen);
        ASSERT_TRUE(WaitForSession(server, "alice", false));
    }
}

}  // namespace
}  // namespace ostiva::test
