#pragma once
// A queue of tasks that any thread may post and one consumer thread runs, in
// the order posted. The command-line console runs the code-list logic this
// way, so the receive thread never touches the list itself.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace ostiva {

class EventQueue {
  public:
    using Task = std::function<void()>;

    // Queues a task. False (the task is dropped) once the queue is stopped.
    bool Post(Task task);

    // Waits at most `timeout` for a task and runs it on the calling thread.
    // False when none came in time or the queue is stopped.
    bool RunOne(std::chrono::milliseconds timeout);
    // Runs the tasks queued so far (not those they post), without waiting.
    // Returns how many ran; none once the queue is stopped.
    size_t RunPending();
    // Runs tasks until Stop.
    void Run();

    // Refuses further tasks, drops the queued ones and wakes the consumer. A
    // task that is running finishes.
    void Stop();
    bool IsStopped() const;

  private:
    // Takes the next task under the lock; false when stopped or empty.
    bool TakeLocked(Task* task);

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Task> tasks_;
    bool stopped_ = false;
};

}  // namespace ostiva
