#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "CodeTimeline.h"

namespace ostiva::server {
namespace {

CodeEntry Entry(int32_t code, const std::string& helper, int32_t connectionNumber = 0) {
    CodeEntry entry;
    entry.code = code;
    entry.helperId = helper;
    entry.issuedAt = "t";
    entry.connectionNumber = connectionNumber;
    return entry;
}

TEST(CodeTimeline, IssuesUniqueSixDigitCodesAvoidingEarlierOnes) {
    std::vector<CodeEntry> earlier;
    for (int32_t c = CodeTimeline::kFirstCode; c < CodeTimeline::kFirstCode + 1000; ++c) {
        earlier.push_back(Entry(c, "old"));
    }
    CodeTimeline timeline(earlier);
    std::set<int32_t> seen;
    for (int i = 0; i < 2000; ++i) {
        auto entry = timeline.Issue("alice", "t");
        ASSERT_TRUE(entry);
        EXPECT_GE(entry->code, CodeTimeline::kFirstCode + 1000);
        EXPECT_LE(entry->code, CodeTimeline::kLastCode);
        EXPECT_EQ(entry->state, 0);
        EXPECT_TRUE(seen.insert(entry->code).second) << entry->code;
    }
}

TEST(CodeTimeline, AdvanceWalksTheStatesOnce) {
    CodeTimeline timeline({Entry(200000, "alice", 41)});
    int32_t code = timeline.Issue("alice", "t")->code;
    CustomerSide customer{u"203.0.113.9", u"10.0.0.2", 14};
    auto ready = timeline.Advance(code, u"09:00");
    ASSERT_TRUE(ready);
    EXPECT_EQ(ready->state, 1);
    EXPECT_EQ(ready->connectionNumber, 0);
    auto connected = timeline.Advance(code, u"09:01", customer);
    ASSERT_TRUE(connected);
    EXPECT_EQ(connected->state, 2);
    EXPECT_EQ(connected->connectionNumber, 42);  // after the highest known
    EXPECT_EQ(connected->beginTime, u"09:01");
    EXPECT_EQ(connected->osCode, 14);
    auto status = CodeTimeline::StatusOf(*connected);
    EXPECT_EQ(status.timeText, u"09:01");
    EXPECT_EQ(status.firstAddress, u"203.0.113.9");
    auto ended = timeline.Advance(code, u"09:30");
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->state, 3);
    EXPECT_EQ(CodeTimeline::StatusOf(*ended).timeText, u"09:30");
    EXPECT_EQ(ended->beginTime, u"09:01");
    EXPECT_FALSE(timeline.Advance(code, u"09:31"));
    EXPECT_FALSE(timeline.Advance(999, u"09:31"));
    EXPECT_EQ(timeline.FindByConnection("alice", 42)->code, code);
    EXPECT_FALSE(timeline.FindByConnection("bob", 42));
    EXPECT_FALSE(timeline.FindByConnection("alice", 0));
}

TEST(CodeTimeline, SetStatusTakesAnyStateButOnlyKnownCodes) {
    CodeTimeline timeline;
    int32_t code = timeline.Issue("alice", "t")->code;
    wire::CodeStatus odd;
    odd.code = code;
    odd.state = 9;
    odd.timeText = u"later";
    auto entry = timeline.SetStatus(odd);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->state, 9);
    EXPECT_EQ(entry->endTime, u"later");
    // A state only a control command sets is not advanced by the timer.
    EXPECT_FALSE(timeline.Advance(code, u"now"));
    odd.code = code + 1;
    EXPECT_FALSE(timeline.SetStatus(odd));
}

TEST(CodeTimeline, OnlyTheOwnerDeletesAndOnlyOnce) {
    CodeTimeline timeline;
    int32_t code = timeline.Issue("alice", "t")->code;
    EXPECT_FALSE(timeline.Delete("bob", code));
    auto deleted = timeline.Delete("alice", code);
    ASSERT_TRUE(deleted);
    EXPECT_TRUE(deleted->deleted);
    EXPECT_FALSE(timeline.Delete("alice", code));
    EXPECT_TRUE(timeline.Find(code)->deleted);
}

TEST(CodeTimelineConcurrency, CodesIssuedFromManyThreadsStayUnique) {
    CodeTimeline timeline;
    constexpr int kThreads = 4, kEach = 500;
    std::vector<std::vector<int32_t>> issued(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                issued[t].push_back(timeline.Issue("h" + std::to_string(t), "t")->code);
                if (i % 50 == 0) timeline.Advance(issued[t].back(), u"now");
            }
        });
    }
    for (auto& thread : threads) thread.join();
    std::set<int32_t> all;
    for (const auto& list : issued) all.insert(list.begin(), list.end());
    EXPECT_EQ(all.size(), size_t(kThreads * kEach));
    EXPECT_EQ(timeline.Codes().size(), size_t(kThreads * kEach));
}

}  // namespace
}  // namespace ostiva::server
