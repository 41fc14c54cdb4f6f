// The Linux echo service: one worker thread resolves, sends and waits, and the
// outcome is handed back to the owner's thread through `post`.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/pinger.h"

namespace ulz {

class LinuxPinger final : public Pinger {
public:
    // Runs a callable later on the owner's thread; callable from any thread.
    using Post = std::function<void(std::function<void()>)>;

    enum class SocketKind : int { None, Datagram, Raw };

    explicit LinuxPinger(Post post);
    // Stops the worker, cutting short a request that waits for its reply;
    // outcomes not yet delivered are dropped.
    ~LinuxPinger() override;

    LinuxPinger(const LinuxPinger&) = delete;
    LinuxPinger& operator=(const LinuxPinger&) = delete;

    void setSize(int bytes) override;
    void setAddress(const std::string& host) override;
    void ping(std::function<void(const PingOutcome&)> done) override;

    // Socket kind (None when no socket opened) and exact round-trip time of
    // the last request served, for the tests and the benchmark; read them
    // once that request's outcome has arrived.
    SocketKind lastSocketKind() const { return lastKind_.load(); }
    std::chrono::nanoseconds lastRoundTrip() const {
        return std::chrono::nanoseconds(lastRoundTripNs_.load());
    }

private:
    struct Request {
        std::string host;
        int size = 0;
        std::function<void(const PingOutcome&)> done;
    };
    class Worker;

    void run();

    Post post_;
    // Owner-thread settings, copied into each request when it is queued.
    std::string host_;
    int size_ = 32;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Request> queue_;
    bool stopping_ = false;
    // Cleared by the destructor: an outcome posted before it but run after
    // it must not reach a `done` whose owner may be gone.
    std::shared_ptr<std::atomic<bool>> alive_;
    std::unique_ptr<Worker> worker_;

    std::atomic<SocketKind> lastKind_{SocketKind::None};
    std::atomic<std::int64_t> lastRoundTripNs_{0};

    std::thread thread_;
};

}  // namespace ulz
