// The receive loop feeds the console from its own thread while the window's
// commands run on the consumer thread; these run under ThreadSanitizer too.

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

#include "ConsoleFakes.h"
#include "console/ConsoleLogic.h"
#include "console/EventQueue.h"
#include "console/QueuedConsoleEvents.h"

using namespace ostiva;
using namespace ostiva::testing;
using namespace std::chrono_literals;

TEST(EventQueueConcurrency, TasksFromManyThreadsRunInOrderPerThread) {
    EventQueue queue;
    constexpr int kThreads = 4;
    constexpr int kTasks = 2000;
    std::vector<int> last(kThreads, -1);  // touched by the consumer only
    bool inOrder = true;
    int ran = 0;
    std::vector<std::thread> producers;
    for (int t = 0; t < kThreads; ++t) {
        producers.emplace_back([&, t] {
            for (int i = 0; i < kTasks; ++i) {
                queue.Post([&, t, i] {
                    inOrder = inOrder && last[t] == i - 1;
                    last[t] = i;
                    ++ran;
                });
            }
        });
    }
    while (ran < kThreads * kTasks) {
        if (!queue.RunOne(5s)) break;  // bounded: a lost task fails the test
    }
    for (std::thread& p : producers) p.join();
    EXPECT_EQ(ran, kThreads * kTasks);
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(queue.RunPending(), 0u);
}

TEST(EventQueueConcurrency, StopWakesTheConsumerAndRefusesLaterTasks) {
    EventQueue queue;
    std::atomic<bool> returned{false};
    std::thread consumer([&] {
        queue.Run();
        returned = true;
    });
    std::atomic<int> ran{0};
    ASSERT_TRUE(queue.Post([&] { ++ran; }));
    while (ran == 0) std::this_thread::sleep_for(1ms);
    queue.Stop();
    consumer.join();
    EXPECT_TRUE(returned);
    EXPECT_FALSE(queue.Post([&] { ++ran; }));
    EXPECT_FALSE(queue.RunOne(10ms));
    EXPECT_EQ(ran, 1);
}

TEST(EventQueueConcurrency, RunOneTimesOutAndRunPendingLeavesNewTasks) {
    EventQueue queue;
    EXPECT_FALSE(queue.RunOne(1ms));
    int ran = 0;
    queue.Post([&] {
        ++ran;
        queue.Post([&] { ++ran; });  // posted while draining: left for later
    });
    EXPECT_EQ(queue.RunPending(), 1u);
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(queue.RunPending(), 1u);
    EXPECT_EQ(ran, 2);
}

TEST(ConsoleConcurrency, StatusesFromTheReceiveThreadWhileCommandsRun) {
    ScratchDir dir;
    FakeView view;
    FakeCommands commands;
    RecordingLauncher launcher;
    ConsoleLogic logic(view, commands, launcher, dir.wide());
    EventQueue queue;
    StringId endReason = StringId::PlainText;
    QueuedConsoleEvents events(queue, logic, [&](StringId reason) {
        endReason = reason;
        queue.Stop();
    });

    // The receive thread: twelve codes, each taken through its states, some
    // twice, and statuses for codes that were never issued.
    constexpr int32_t kCodes = 12;
    std::map<int32_t, uint16_t> finalState;
    int readyCount = 0;
    int connectedCount = 0;
    std::thread receiver([&] {
        for (int32_t code = 1; code <= kCodes; ++code) events.OnCodeCreated(100000 + code);
        for (int round = 0; round < 3; ++round) {
            for (int32_t code = 1; code <= kCodes; ++code) {
                wire::CodeStatus status;
                status.code = 100000 + code;
                status.connectionNumber = round * 100 + code;
                status.firstAddress = u"203.0.113.1";
                status.timeText = u"10:00";
                for (uint16_t state : {uint16_t(1), uint16_t(2), uint16_t((code + round) % 4)}) {
                    status.state = state;
                    events.OnCodeStatus(status);
                    readyCount += state == 1;
                    connectedCount += state == 2;
                    finalState[status.code] = state;
                }
                status.code = 999;  // not listed
                status.state = 2;
                events.OnCodeStatus(status);
            }
        }
        events.OnConnectionLost();
    });

    // The window thread: drains the queue and meanwhile clicks, types, saves
    // and ticks, as a technician and the timer would.
    int step = 0;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!queue.IsStopped() && std::chrono::steady_clock::now() < deadline) {
        queue.RunOne(1ms);
        const int32_t size = static_cast<int32_t>(logic.codes().size());
        switch (step++ % 5) {
            case 0:
                logic.OnListItemChanged();
                logic.OnListClick(size ? step % (size + 1) - 1 : -1);
                break;
            case 1:
                view.Type(ConsoleControl::ReportMemo,
                          u"memo " + std::u16string(1, u'a' + step % 26));
                break;
            case 2:
                logic.OnSaveReport();
                break;
            case 3:
                logic.OnTimer(ConsoleLogic::kCodeListTimerId);
                break;
            case 4:
                logic.OnCreateCode();
                break;
        }
    }
    receiver.join();

    ASSERT_TRUE(queue.IsStopped()) << "the end of the session never arrived";
    EXPECT_EQ(endReason, StringId::ConnectionLost);
    ASSERT_EQ(logic.codes().size(), static_cast<size_t>(kCodes));
    for (const AccessCode& entry : logic.codes()) {
        EXPECT_EQ(entry.state, finalState[entry.code]) << entry.code;
    }
    EXPECT_EQ(logic.todayCount(), connectedCount);
    // One viewer per code: every later Ready found the first one running.
    EXPECT_GT(readyCount, kCodes);
    EXPECT_EQ(launcher.launched.size(), static_cast<size_t>(kCodes));
    // Every save named a listed code.
    for (const AccessCode& saved : commands.saved) {
        EXPECT_GT(saved.code, 100000);
        EXPECT_LE(saved.code, 100000 + kCodes);
    }
    // Calls after the end are dropped without touching the logic.
    events.OnCodeCreated(1);
    EXPECT_EQ(queue.RunPending(), 0u);
    EXPECT_EQ(logic.codes().size(), static_cast<size_t>(kCodes));
}
