#pragma once
// A recursive in-process lock: a thread that holds it may lock it again.

#include <mutex>

#include "util/Lockable.h"

namespace ostiva {

class LocalMutex : public Lockable {
  public:
    LocalMutex() = default;
    LocalMutex(const LocalMutex&) = delete;
    LocalMutex& operator=(const LocalMutex&) = delete;
    ~LocalMutex() override = default;

    void Lock() override { mutex_.lock(); }
    void Unlock() override { mutex_.unlock(); }

  private:
    std::recursive_mutex mutex_;
};

}  // namespace ostiva
