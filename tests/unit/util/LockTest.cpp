#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>

#include "util/AutoLock.h"
#include "util/LocalMutex.h"
#include "util/ModulePath.h"

using namespace ostiva;

namespace {

class CountingLock : public Lockable {
  public:
    void Lock() override { ++locks; }
    void Unlock() override { ++unlocks; }
    int locks = 0;
    int unlocks = 0;
};

// True when another thread can take the lock within a few seconds.
bool OtherThreadCanLock(LocalMutex& mutex) {
    auto taken = std::async(std::launch::async, [&mutex] {
        AutoLock guard(&mutex);
        return true;
    });
    if (taken.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // Leave the process rather than hang: the lock is stuck.
        ADD_FAILURE() << "lock still held";
        std::quick_exit(1);
    }
    return taken.get();
}

}  // namespace

TEST(LockThread, LocalMutexIsRecursiveAndFullyReleased) {
    LocalMutex mutex;
    {
        AutoLock outer(&mutex);
        AutoLock inner(&mutex);  // would deadlock on a plain mutex
    }
    EXPECT_TRUE(OtherThreadCanLock(mutex));
}

TEST(LockThread, AutoLockReleasesWhenAnExceptionPasses) {
    CountingLock counting;
    LocalMutex mutex;
    EXPECT_THROW(
        {
            AutoLock a(&counting);
            AutoLock b(&mutex);
            throw std::runtime_error("boom");
        },
        std::runtime_error);
    EXPECT_EQ(counting.locks, 1);
    EXPECT_EQ(counting.unlocks, 1);
    EXPECT_TRUE(OtherThreadCanLock(mutex));
}

TEST(ModulePath, NamesThisProgramAndItsDirectory) {
    StringStorage path(u"unchanged");
    ASSERT_TRUE(GetModulePath(&path));
    ASSERT_FALSE(path.IsEmpty());
    EXPECT_EQ(path.view().front(), u'/');
    EXPECT_TRUE(path.view().ends_with(u"/unit_util")) << path.str().size();

    std::u16string dir = ProgramDirectory();
    EXPECT_EQ(dir + u"/unit_util", path.str());
}
