#pragma once

namespace ostiva {

// An abstract lock.
class Lockable {
  public:
    virtual ~Lockable() = default;
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
};

}  // namespace ostiva
