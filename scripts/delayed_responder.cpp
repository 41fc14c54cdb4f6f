// A test host's echo service with a chosen latency: answers every ICMP echo
// request after exactly --delay milliseconds. Run it in a network namespace
// where net.ipv4.icmp_echo_ignore_all=1, so the kernel does not answer first.
//
//   ulz_delayed_responder --delay MS [--ready-file PATH]
//
// The ready file (holding the pid) appears once the socket is open.
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <string>
#include <vector>

#include "platform/icmp_packet.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Pending {
    Clock::time_point due;
    sockaddr_in to;
    std::vector<std::uint8_t> reply;
};

[[noreturn]] void usage(const char* why) {
    std::fprintf(
        stderr,
        "ulz_delayed_responder: %s\nusage: ulz_delayed_responder --delay MS [--ready-file PATH]\n",
        why);
    std::exit(2);
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "ulz_delayed_responder: %s: %s\n", what, std::strerror(errno));
    std::exit(1);
}

void writeReadyFile(const std::string& path) {
    // Written aside then renamed, so a reader never sees it half written.
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary);
        out << ::getpid() << '\n';
        if (!out) fail("ready file");
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) fail("ready file");
}

timespec toTimespec(Clock::duration d) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
    return timespec{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

// When the kernel received the datagram that `message` holds: softirq
// processing may reach our socket late on a busy machine, and the delay runs
// from the arrival. The kernel stamps it on the real-time clock; only the
// short span since then is taken from that clock.
Clock::time_point arrivalTime(const msghdr& message) {
    const auto now = Clock::now();
    timespec realNow{};
    ::clock_gettime(CLOCK_REALTIME, &realNow);
    for (auto* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(const_cast<msghdr*>(&message), c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_TIMESTAMPNS) continue;
        timespec stamp;
        std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
        const auto age = std::chrono::seconds(realNow.tv_sec - stamp.tv_sec) +
                         std::chrono::nanoseconds(realNow.tv_nsec - stamp.tv_nsec);
        if (age >= std::chrono::nanoseconds::zero() && age < std::chrono::seconds(1)) {
            return now - std::chrono::duration_cast<Clock::duration>(age);
        }
    }
    return now;
}

}  // namespace

int main(int argc, char** argv) {
    double delayMs = -1;
    std::string readyFile;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) usage(("missing value after " + arg).c_str());
        if (arg == "--delay") {
            char* end = nullptr;
            delayMs = std::strtod(argv[++i], &end);
            if (*end != '\0' || !(delayMs >= 0 && delayMs < 3'600'000)) usage("bad --delay");
        } else if (arg == "--ready-file") {
            readyFile = argv[++i];
        } else {
            usage(("unknown option " + arg).c_str());
        }
    }
    if (delayMs < 0) usage("--delay is required");
    const auto delay = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(delayMs));

    // Wake on the exact deadline instead of up to 50 µs later, and ahead of
    // whatever else keeps the machine busy (a parallel build), so the host's
    // latency is the one asked for. Both are best effort.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
    const sched_param priority{.sched_priority = 10};
    ::sched_setscheduler(0, SCHED_FIFO, &priority);

    const int sock = ::socket(AF_INET, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (sock < 0) fail("raw ICMP socket (needs CAP_NET_RAW)");
    const int bufferSize = 4 << 20;
    ::setsockopt(sock, SOL_SOCKET, SO_RCVBUF, &bufferSize, sizeof bufferSize);
    const int on = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    if (!readyFile.empty()) writeReadyFile(readyFile);

    // The delay is the same for every request, so due times come in arrival order.
    std::deque<Pending> pending;
    std::vector<std::uint8_t> buffer(65536);
    for (;;) {
        auto now = Clock::now();
        while (!pending.empty() && pending.front().due <= now) {
            const Pending& p = pending.front();
            if (::sendto(sock, p.reply.data(), p.reply.size(), 0,
                         reinterpret_cast<const sockaddr*>(&p.to), sizeof p.to) < 0) {
                std::fprintf(stderr, "ulz_delayed_responder: sendto: %s\n", std::strerror(errno));
            }
            pending.pop_front();
            now = Clock::now();
        }

        pollfd fd{sock, POLLIN, 0};
        timespec timeout{};
        const timespec* wait = nullptr;
        if (!pending.empty()) {
            timeout = toTimespec(pending.front().due - now);
            wait = &timeout;
        }
        if (::ppoll(&fd, 1, wait, nullptr) < 0 && errno != EINTR) fail("ppoll");
        if (!(fd.revents & POLLIN)) continue;

        for (;;) {
            sockaddr_in from{};
            iovec data{buffer.data(), buffer.size()};
            alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
            msghdr message{};
            message.msg_name = &from;
            message.msg_namelen = sizeof from;
            message.msg_iov = &data;
            message.msg_iovlen = 1;
            message.msg_control = control;
            message.msg_controllen = sizeof control;
            const auto n = ::recvmsg(sock, &message, 0);
            if (n < 0) {
                if (errno == EINTR) continue;
                break;
            }
            const auto arrived = arrivalTime(message);
            const auto request = ulz::icmp::parseEcho(
                std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n)),
                ulz::icmp::Family::V4, true);
            if (!request || request->type != ulz::icmp::kEchoRequestV4) continue;
            pending.push_back(
                {arrived + delay, from,
                 ulz::icmp::buildEcho(ulz::icmp::Family::V4, ulz::icmp::kEchoReplyV4,
                                      request->identifier, request->sequence, request->payload)});
        }
    }
}
