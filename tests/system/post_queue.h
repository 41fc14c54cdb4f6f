// The owner thread's event queue for tests: the pinger posts to it from its
// worker thread, the test thread runs what was posted.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/linux_pinger.h"

namespace ulz {

// The owner thread's event queue: the pinger posts to it from its worker,
// the test thread runs what was posted.
class PostQueue {
    using Clock = std::chrono::steady_clock;

public:
    LinuxPinger::Post post() {
        return [this](std::function<void()> f) {
            {
                std::lock_guard lock(mutex_);
                queue_.push_back(std::move(f));
            }
            ready_.notify_all();
        };
    }

    // Runs posted callables on this thread until `done` holds or `timeout` passes.
    bool runUntil(const std::function<bool()>& done,
                  Clock::duration timeout = std::chrono::seconds(5)) {
        const auto deadline = Clock::now() + timeout;
        while (!done()) {
            std::function<void()> f;
            {
                std::unique_lock lock(mutex_);
                if (!ready_.wait_until(lock, deadline, [this] { return !queue_.empty(); })) {
                    return false;
                }
                f = std::move(queue_.front());
                queue_.pop_front();
            }
            f();
        }
        return true;
    }

    bool waitForPost(Clock::duration timeout) {
        std::unique_lock lock(mutex_);
        return ready_.wait_for(lock, timeout, [this] { return !queue_.empty(); });
    }

    void runAll() {
        std::deque<std::function<void()>> all;
        {
            std::lock_guard lock(mutex_);
            all.swap(queue_);
        }
        for (auto& f : all) f();
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> queue_;
};

}  // namespace ulz
