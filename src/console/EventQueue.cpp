#include "console/EventQueue.h"

namespace ostiva {

bool EventQueue::Post(Task task) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopped_) return false;
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
    return true;
}

bool EventQueue::TakeLocked(Task* task) {
    if (stopped_ || tasks_.empty()) return false;
    *task = std::move(tasks_.front());
    tasks_.pop_front();
    return true;
}

bool EventQueue::RunOne(std::chrono::milliseconds timeout) {
    Task task;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait_for(lock, timeout, [this] { return stopped_ || !tasks_.empty(); });
        if (!TakeLocked(&task)) return false;
    }
    task();  // outside the lock: a task may post further tasks
    return true;
}

size_t EventQueue::RunPending() {
    size_t count;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        count = tasks_.size();
    }
    size_t ran = 0;
    for (; ran < count; ++ran) {
        Task task;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!TakeLocked(&task)) break;
        }
        task();
    }
    return ran;
}

void EventQueue::Run() {
    for (;;) {
        Task task;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopped_ || !tasks_.empty(); });
            if (!TakeLocked(&task)) return;
        }
        task();
    }
}

void EventQueue::Stop() {
    std::deque<Task> dropped;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
        dropped.swap(tasks_);
    }
    wake_.notify_all();
    // `dropped` is destroyed here, outside the lock: a task's captures may
    // have destructors that post.
}

bool EventQueue::IsStopped() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stopped_;
}

}  // namespace ostiva
