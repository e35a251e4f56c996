#include "Workers.h"

namespace ostiva::server {

bool Workers::Start(std::function<void()> serve, std::function<void()> stop, size_t limit) {
    std::lock_guard<std::mutex> guard(lock_);
    ReapLocked();
    if (stopping_ || workers_.size() >= limit) return false;
    auto done = std::make_shared<std::atomic<bool>>(false);
    Worker worker;
    worker.stop = std::move(stop);
    worker.done = done;
    worker.thread = std::thread([serve = std::move(serve), done] {
        serve();
        done->store(true);
    });
    workers_.push_back(std::move(worker));
    return true;
}

void Workers::ReapLocked() {
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

void Workers::StopAll() {
    std::list<Worker> workers;
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
        workers.swap(workers_);
    }
    for (auto& worker : workers) {
        if (worker.stop) worker.stop();
    }
    for (auto& worker : workers) {
        if (worker.thread.joinable()) worker.thread.join();
    }
}

}  // namespace ostiva::server
