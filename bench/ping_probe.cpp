// Sends echo requests with LinuxPinger, the program's own service, and prints
// each outcome: for comparing its figures with the system's ping.
//
//   ulz_ping_probe HOST [--count N] [--interval SECONDS] [--size BYTES]
//
// One line per request: sequence number, rtt in whole milliseconds as the
// program sees it ("-" when no request went out), the exact round trip in
// milliseconds, and the socket kind. Requests start `interval` apart, or as
// soon as the previous outcome arrives when that takes longer.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/linux_pinger.h"

namespace {

using Clock = std::chrono::steady_clock;

// The main thread's event queue, standing in for the GUI thread's.
class MainQueue {
public:
    void post(std::function<void()> f) {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(std::move(f));
        }
        ready_.notify_one();
    }
    void runOne() {
        std::function<void()> f;
        {
            std::unique_lock lock(mutex_);
            ready_.wait(lock, [this] { return !queue_.empty(); });
            f = std::move(queue_.front());
            queue_.pop_front();
        }
        f();
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> queue_;
};

const char* kindName(ulz::LinuxPinger::SocketKind kind) {
    switch (kind) {
        case ulz::LinuxPinger::SocketKind::Datagram:
            return "datagram";
        case ulz::LinuxPinger::SocketKind::Raw:
            return "raw";
        default:
            return "none";
    }
}

[[noreturn]] void usage() {
    std::fprintf(stderr,
                 "usage: ulz_ping_probe HOST [--count N] [--interval SECONDS] [--size BYTES]\n");
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) usage();
    const std::string host = argv[1];
    int count = 10;
    double interval = 1.0;
    int size = 56;
    for (int i = 2; i < argc; i += 2) {
        if (i + 1 >= argc) usage();
        const std::string option = argv[i];
        char* end = nullptr;
        const double value = std::strtod(argv[i + 1], &end);
        if (*end != '\0' || value < 0) usage();
        if (option == "--count") {
            count = static_cast<int>(value);
        } else if (option == "--interval") {
            interval = value;
        } else if (option == "--size") {
            size = static_cast<int>(value);
        } else {
            usage();
        }
    }

    MainQueue queue;
    ulz::LinuxPinger pinger([&queue](std::function<void()> f) { queue.post(std::move(f)); });
    pinger.setAddress(host);
    pinger.setSize(size);
    const auto period =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(interval));
    auto next = Clock::now();
    int failures = 0;
    for (int seq = 1; seq <= count; ++seq) {
        std::this_thread::sleep_until(next);
        next = Clock::now() + period;
        bool done = false;
        pinger.ping([&](const ulz::PingOutcome& outcome) {
            done = true;
            if (!outcome.rtt) {
                ++failures;
                std::printf("%d - - none%s%s\n", seq, outcome.error.empty() ? "" : " ",
                            outcome.error.c_str());
                return;
            }
            const double exact =
                std::chrono::duration<double, std::milli>(pinger.lastRoundTrip()).count();
            std::printf("%d %u %.3f %s\n", seq, *outcome.rtt, exact,
                        kindName(pinger.lastSocketKind()));
        });
        while (!done) queue.runOne();
        std::fflush(stdout);
    }
    return failures == count ? 1 : 0;
}
