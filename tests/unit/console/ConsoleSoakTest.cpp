// A long, busy session in about a second: a hundred thousand statuses and
// ten thousand new codes come over a real loopback connection through the
// receive loop and the event queue into the console logic, while the
// technician deletes a code for every new one, clicks, types, saves and the
// list timer ticks. Nothing may grow: not the heap, not the list, and the
// logic ends holding exactly what the records said.

#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime (GCC installs no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

#include <algorithm>
#include <array>
#include <chrono>
#include <map>
#include <vector>

#include "ConsoleFakes.h"
#include "console/ConsoleLogic.h"
#include "console/EventQueue.h"
#include "console/QueuedConsoleEvents.h"
#include "session/ReceiveLoop.h"
#include "unit/transport/Loopback.h"

namespace ostiva {
namespace {

using namespace std::chrono_literals;
using testing::ScratchDir;

// Bytes the heap hands out right now, over every thread. Under
// AddressSanitizer the allocator's own count (freed blocks wait in its
// quarantine, which resident memory would show as growth).
size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

// A window that keeps only what a long run needs: the last list, the
// largest list ever shown, the texts, and counts of the rest.
class SoakView : public ConsoleView {
  public:
    void ShowCodeList(const std::vector<CodeListItem>& items) override {
        list = items;
        largestList = std::max(largestList, items.size());
    }
    void SetSelectionMark(int32_t index) override { mark = index; }
    void EnableControl(ConsoleControl control, bool enabled) override {
        enabled_[static_cast<size_t>(control)] = enabled;
    }
    void SetControlText(ConsoleControl control, std::u16string_view text) override {
        texts_[static_cast<size_t>(control)].assign(text);
    }
    std::u16string GetControlText(ConsoleControl control) override {
        return texts_[static_cast<size_t>(control)];
    }
    void Invalidate() override {}
    bool AskYesNo(const PromptMessage&) override {
        ++questions;
        return true;
    }
    void ShowMessage(const PromptMessage&) override { ++messages; }
    void CopyToClipboard(std::u16string_view) override {}

    bool IsEnabled(ConsoleControl control) const { return enabled_[static_cast<size_t>(control)]; }

    std::vector<CodeListItem> list;
    size_t largestList = 0;
    int32_t mark = -1;
    long questions = 0;
    long messages = 0;

  private:
    static constexpr size_t kControls = static_cast<size_t>(ConsoleControl::TodayCount) + 1;
    std::array<bool, kControls> enabled_{};
    std::array<std::u16string, kControls> texts_;
};

class CountingCommands : public CodeCommands {
  public:
    void RequestNewCode() override { ++newCodeRequests; }
    void DeleteCode(int32_t code) override {
        ++deletes;
        lastDeleted = code;
    }
    void SaveReport(const AccessCode&) override { ++saves; }

    long newCodeRequests = 0;
    long deletes = 0;
    int32_t lastDeleted = 0;
    long saves = 0;
};

class CountingLauncher : public ViewerLauncher {
  public:
    bool LaunchViewer(int32_t, std::u16string*) override {
        ++launches;
        return true;
    }
    long launches = 0;
};

// What the console should hold: codes newest first with their last state.
struct ModelEntry {
    int32_t code;
    uint16_t state;
};

void Send(SocketIPv4& socket, const wire::Bytes& record) {
    if (socket.SendBytes(record.data(), record.size()) != ssize_t(record.size())) {
        ADD_FAILURE() << "the server side could not send";
    }
}

TEST(ConsoleSoak, StatusesAndCodeTurnoverThroughTheReceiveLoopLeaveNothingBehind) {
    constexpr int kCycles = 10000;
    constexpr int kStatusesPerCycle = 10;  // 100,000 statuses in all
    constexpr int kWarmUpCycles = 1000;
    // Heap in use may differ this much between the end of the warm-up and
    // the end: allocator bookkeeping, never a per-record or per-code leak
    // (the smallest of those would add well over a megabyte here).
    constexpr size_t kHeapTolerance = 64 * 1024;
    const int32_t kUnlisted = 999999;

    ScratchDir dir;
    ASSERT_FALSE(dir.path().empty());
    SoakView view;
    CountingCommands commands;
    CountingLauncher launcher;
    ConsoleLogic logic(view, commands, launcher, dir.wide());
    ConsoleAccount account;
    account.helperId = u"soak";
    logic.Open(account, ConsoleLogic::FirstCode::Wait);

    EventQueue queue;
    StringId endReason = StringId::PlainText;
    QueuedConsoleEvents events(queue, logic, [&](StringId reason) { endReason = reason; });

    test::LoopbackPair pair;
    ASSERT_TRUE(pair.connected);
    ReceiveLoop loop(*pair.client, &events);
    loop.Start();

    std::vector<ModelEntry> model;
    long expectedLaunches = 0;
    long expectedConnected = 0;
    long expectedDeletes = 0;
    int32_t nextCode = 100000;
    size_t heapAfterWarmUp = 0;
    bool failed = false;

    // Runs the tasks one batch of records produced; every wait is bounded.
    auto drain = [&](int tasks) {
        for (int i = 0; i < tasks; ++i) {
            if (!queue.RunOne(5s)) {
                ADD_FAILURE() << "a record never reached the console";
                return false;
            }
        }
        return true;
    };

    for (int cycle = 0; cycle < kCycles && !failed; ++cycle) {
        // The technician makes room before asking for another code,
        // deleting at a different place each time.
        if (model.size() == ConsoleLogic::kMaxCodes) {
            const int32_t position = cycle % static_cast<int32_t>(model.size());
            logic.OnListItemChanged();
            logic.OnListClick(position);
            logic.OnDeleteCode();
            model.erase(model.begin() + position);
            ++expectedDeletes;
        }
        logic.OnCreateCode();

        // The server's answer: the new code, then statuses for listed codes
        // (every state, and one this console does not know), for a code it
        // does not list, and records the loop must skip.
        const int32_t created = nextCode++;
        Send(*pair.server, wire::BuildCodeCreated(created));
        model.insert(model.begin(), {created, 0});
        int tasks = 1;
        for (int s = 0; s < kStatusesPerCycle; ++s) {
            wire::CodeStatus status;
            const int pick = (cycle * kStatusesPerCycle + s) % 17;
            status.code = pick == 16 ? kUnlisted : model[pick % model.size()].code;
            status.state = static_cast<uint16_t>(pick % 5 == 4 ? 9 : pick % 5);
            status.connectionNumber = cycle;
            status.firstAddress = u"198.51.100.7";
            status.secondAddress = u"10.0.0.7";
            status.timeText = u"2024-05-01 10:00:00";
            status.osCode = 6;
            Send(*pair.server, wire::BuildCodeStatus(status));
            ++tasks;
            auto it = std::find_if(model.begin(), model.end(),
                                   [&](const ModelEntry& e) { return e.code == status.code; });
            if (it == model.end()) continue;
            it->state = status.state;
            expectedLaunches += status.state == uint16_t(AccessCodeState::Ready);
            expectedConnected += status.state == uint16_t(AccessCodeState::Connected);
        }
        if (cycle % 7 == 0) {
            Send(*pair.server, wire::Bytes(wire::kReceiveRecordSize, 0));
            wire::Bytes unknown(wire::kReceiveRecordSize, 0xA5);
            Send(*pair.server, unknown);
        }
        if (!drain(tasks)) failed = true;

        // Meanwhile the technician works on whatever is selected.
        switch (cycle % 4) {
            case 0:
                view.SetControlText(ConsoleControl::ReportMemo, u"called back, all fine");
                logic.OnSaveReport();
                break;
            case 1:
                logic.OnTimer(ConsoleLogic::kCodeListTimerId);
                break;
            case 2:
                logic.OnListItemChanged();
                logic.OnListClick(-1);
                break;
            default:
                break;
        }
        if (logic.codes().size() > ConsoleLogic::kMaxCodes) {
            ADD_FAILURE() << "the list outgrew its limit at cycle " << cycle;
            failed = true;
        }
        if (cycle + 1 == kWarmUpCycles) heapAfterWarmUp = HeapInUse();
    }
    const size_t heapAtEnd = HeapInUse();
    ASSERT_FALSE(failed);

    // The session ends from the server's side.
    Send(*pair.server, wire::BuildSignedInElsewhere());
    ASSERT_TRUE(drain(1));
    EXPECT_EQ(endReason, StringId::SignedInElsewhere);
    loop.Stop();
    EXPECT_EQ(loop.GetEnd(), ReceiveLoop::End::SignedInElsewhere);

    EXPECT_LE(heapAtEnd, heapAfterWarmUp + kHeapTolerance)
        << "heap in use grew from " << heapAfterWarmUp << " to " << heapAtEnd << " bytes";
    EXPECT_LE(view.largestList, ConsoleLogic::kMaxCodes);

    // The list, newest first, with the states the last statuses gave.
    ASSERT_EQ(logic.codes().size(), model.size());
    for (size_t i = 0; i < model.size(); ++i) {
        EXPECT_EQ(logic.codes()[i].code, model[i].code) << i;
        EXPECT_EQ(logic.codes()[i].state, model[i].state) << model[i].code;
    }
    ASSERT_EQ(view.list.size(), model.size());
    EXPECT_EQ(view.list.front().text, ConsoleLogic::FormatCodeText(model.front().code));
    EXPECT_EQ(commands.newCodeRequests, kCycles);
    EXPECT_EQ(commands.deletes, expectedDeletes);
    EXPECT_EQ(launcher.launches, expectedLaunches);
    EXPECT_EQ(logic.todayCount(), expectedConnected);
    EXPECT_EQ(view.messages, 0);  // never the code limit, never a failed launch
    EXPECT_TRUE(logic.createEnabled());
    EXPECT_EQ(queue.RunPending(), 0u);
}

}  // namespace
}  // namespace ostiva
