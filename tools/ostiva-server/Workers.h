#pragma once
// The threads a listener starts, one per accepted connection: started with
// the object they serve, reaped when they finish, and at shutdown told to
// stop and joined.

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace ostiva::server {

class Workers {
  public:
    ~Workers() { StopAll(); }

    // Runs `serve` on a new thread; `stop` is called from StopAll while it
    // runs. False (nothing started) once StopAll has begun, or when more
    // than `limit` threads are running.
    bool Start(std::function<void()> serve, std::function<void()> stop, size_t limit);

    // Calls every running worker's stop, then joins them all.
    void StopAll();

  private:
    struct Worker {
        std::thread thread;
        std::function<void()> stop;
        std::shared_ptr<std::atomic<bool>> done;
    };
    // Joins the workers that have finished. Called under lock_.
    void ReapLocked();

    std::mutex lock_;
    std::list<Worker> workers_;
    bool stopping_ = false;
};

}  // namespace ostiva::server
