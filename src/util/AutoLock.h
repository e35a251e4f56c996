#pragma once
// Holds a lock for the life of a scope, so it is released when an exception
// passes.

#include "util/Lockable.h"

namespace ostiva {

class AutoLock {
  public:
    explicit AutoLock(Lockable* lock) : lock_(lock) { lock_->Lock(); }
    AutoLock(const AutoLock&) = delete;
    AutoLock& operator=(const AutoLock&) = delete;
    virtual ~AutoLock() { lock_->Unlock(); }

  private:
    Lockable* lock_;
};

}  // namespace ostiva
