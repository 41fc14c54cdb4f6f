// The Linux echo service: sockets, name resolution and the reply wait, all on
// one worker thread.
#include "platform/linux_pinger.h"

#include <netdb.h>
#include <netinet/icmp6.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <system_error>
#include <vector>

#include "platform/icmp_packet.h"

namespace ulz {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kPermissionError =
    "Impossible d'envoyer un ping : le système refuse les sockets ICMP. Autorisez votre groupe "
    "dans net.ipv4.ping_group_range (sysctl) ou donnez à ce programme la capacité CAP_NET_RAW.";

// Resolved once per address text, so that a statistics run does not query
// the name server every second; small, because the program pings one host at
// a time. A name is looked up again after a while, as its address may change
// during a run of several days; if that look-up fails, the old address stays.
constexpr std::size_t kMaxCachedHosts = 16;
constexpr auto kResolveAgainAfter = std::chrono::minutes(10);

// Room for the largest IPv4 datagram, so a reply is never truncated (a
// truncated reply would fail its checksum).
constexpr std::size_t kReceiveBufferSize = 65536;

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

struct Target {
    sockaddr_storage address{};
    socklen_t length = 0;
    icmp::IpAddress ip;
    Clock::time_point resolvedAt;
};

icmp::IpAddress toIpAddress(const sockaddr_storage& address) {
    icmp::IpAddress ip;
    if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        ip.family = icmp::Family::V6;
        std::memcpy(ip.bytes.data(), &v6.sin6_addr, 16);
    } else if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        std::memcpy(ip.bytes.data(), &v4.sin_addr, 4);
    }
    return ip;
}

std::string errorText(int error) {
    const char* description = ::strerrordesc_np(error);
    return std::string("Impossible d'envoyer un ping : ") +
           (description ? description : "erreur " + std::to_string(error)) + ".";
}

bool isPermissionError(int error) {
    return error == EPERM || error == EACCES;
}

std::int64_t wholeMilliseconds(Clock::duration d) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
}

timespec toTimespec(Clock::duration d) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
    return timespec{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

}  // namespace

// The blocking part: only the worker thread calls serve(); interrupt() is
// safe from any thread.
class LinuxPinger::Worker {
public:
    struct Result {
        PingOutcome outcome;
        SocketKind kind = SocketKind::None;
        Clock::duration roundTrip{};
        bool interrupted = false;
    };

    Worker() : stop_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), receive_(kReceiveBufferSize) {
        if (stop_.get() < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
        std::random_device seed;
        identifier_ = static_cast<std::uint16_t>(seed());
    }

    // Ends the current wait and every later one at once.
    void interrupt() {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(stop_.get(), &one, sizeof one);
    }

    Result serve(const std::string& host, int size) {
        Result result;
        const Target* target = resolve(host);
        if (!target) return result;  // does not resolve: no request, no reply, no error

        const bool v4 = target->ip.family == icmp::Family::V4;
        const int domain = v4 ? AF_INET : AF_INET6;
        const int protocol = v4 ? int{IPPROTO_ICMP} : int{IPPROTO_ICMPV6};
        // The unprivileged ping socket first; the raw socket needs CAP_NET_RAW.
        Fd socket(::socket(domain, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, protocol));
        result.kind = SocketKind::Datagram;
        if (socket.get() < 0) {
            socket.reset(::socket(domain, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, protocol));
            result.kind = SocketKind::Raw;
        }
        if (socket.get() < 0) {
            const int error = errno;
            result.kind = SocketKind::None;
            result.outcome.error = isPermissionError(error) ? kPermissionError : errorText(error);
            return result;
        }
        const bool raw = result.kind == SocketKind::Raw;
        configure(socket.get(), v4, raw);

        const std::uint16_t sequence = ++sequence_;
        const std::size_t payloadSize =
            static_cast<std::size_t>(std::clamp<int>(size, 0, icmp::kMaxPayload));
        const auto request =
            icmp::buildEchoRequest(target->ip.family, identifier_, sequence, payloadSize);
        const icmp::ReplyFilter filter{
            .family = target->ip.family,
            .withIpHeader = raw && v4,
            .checkIdentifier = raw,
            .identifier = identifier_,
            .sequence = sequence,
            .peer = target->ip,
        };

        const auto sent = Clock::now();
        const auto n =
            ::sendto(socket.get(), request.data(), request.size(), 0,
                     reinterpret_cast<const sockaddr*>(&target->address), target->length);
        // A request the network refuses (no route while the line is down) is
        // a lost request, not a request never made: it is waited out and
        // reported as a time-out like one that vanished further away.
        const bool listening = n == static_cast<ssize_t>(request.size());
        const auto received = waitForReply(socket.get(), listening, filter, sent, result);
        if (result.interrupted) return result;
        // Without a reply the wait ran to its deadline, so this is at least the time-out.
        const auto elapsed = received.value_or(Clock::now()) - sent;
        result.roundTrip = elapsed;
        result.outcome.rtt = static_cast<std::uint32_t>(wholeMilliseconds(elapsed));
        return result;
    }

private:
    const Target* resolve(const std::string& host) {
        const auto cached = cache_.find(host);
        if (cached != cache_.end() &&
            Clock::now() - cached->second.resolvedAt < kResolveAgainAfter) {
            return &cached->second;
        }
        if (host.empty() || host.find('\0') != std::string::npos) return nullptr;

        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_DGRAM;
        addrinfo* list = nullptr;
        if (::getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0) {
            return cached != cache_.end() ? &cached->second : nullptr;
        }
        // IPv4 first: a machine may well list an IPv6 address for a name
        // while its line carries only IPv4.
        const addrinfo* chosen = nullptr;
        for (const addrinfo* a = list; a; a = a->ai_next) {
            if (a->ai_family == AF_INET) {
                chosen = a;
                break;
            }
            if (a->ai_family == AF_INET6 && !chosen) chosen = a;
        }
        std::optional<Target> target;
        if (chosen && chosen->ai_addrlen <= sizeof(sockaddr_storage)) {
            target.emplace();
            std::memcpy(&target->address, chosen->ai_addr, chosen->ai_addrlen);
            target->length = chosen->ai_addrlen;
            target->ip = toIpAddress(target->address);
            target->resolvedAt = Clock::now();
        }
        ::freeaddrinfo(list);
        if (!target) return cached != cache_.end() ? &cached->second : nullptr;
        if (cached == cache_.end() && cache_.size() >= kMaxCachedHosts) cache_.clear();
        return &cache_.insert_or_assign(host, *target).first->second;
    }

    static void configure(int socket, bool v4, bool raw) {
        const int ttl = Pinger::kTtl;
        const int on = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
        if (v4) {
            ::setsockopt(socket, IPPROTO_IP, IP_TTL, &ttl, sizeof ttl);
        } else {
            ::setsockopt(socket, IPPROTO_IPV6, IPV6_UNICAST_HOPS, &ttl, sizeof ttl);
        }
        if (raw && !v4) {
            // A raw ICMPv6 socket also sees neighbour discovery; keep only replies.
            icmp6_filter filter;
            ICMP6_FILTER_SETBLOCKALL(&filter);
            ICMP6_FILTER_SETPASS(ICMP6_ECHO_REPLY, &filter);
            ::setsockopt(socket, IPPROTO_ICMPV6, ICMP6_FILTER, &filter, sizeof filter);
        }
    }

    // Waits until our reply comes or the time-out passes; other packets do
    // not end the wait. Returns the time our reply arrived.
    std::optional<Clock::time_point> waitForReply(int socket, bool listening,
                                                  const icmp::ReplyFilter& filter,
                                                  Clock::time_point sent, Result& result) {
        const auto deadline = sent + std::chrono::milliseconds(Pinger::kTimeoutMs);
        for (;;) {
            const auto now = Clock::now();
            if (now >= deadline) return std::nullopt;
            pollfd fds[2] = {{stop_.get(), POLLIN, 0}, {socket, POLLIN, 0}};
            const timespec timeout = toTimespec(deadline - now);
            const int ready = ::ppoll(fds, listening ? 2 : 1, &timeout, nullptr);
            if (ready < 0) {
                if (errno == EINTR) continue;
                // Cannot wait: the request counts as lost, after its full time.
                listening = false;
                ::nanosleep(&timeout, nullptr);
                continue;
            }
            if (fds[0].revents) {
                result.interrupted = true;
                return std::nullopt;
            }
            if (!listening || !fds[1].revents) continue;
            if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) {
                int error = 0;
                socklen_t length = sizeof error;
                ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length);
                if (fds[1].revents & (POLLHUP | POLLNVAL)) listening = false;
            }
            if (const auto at = readReplies(socket, filter, sent)) return at;
        }
    }

    // Reads every datagram waiting on the socket; the time ours arrived, if it came.
    std::optional<Clock::time_point> readReplies(int socket, const icmp::ReplyFilter& filter,
                                                 Clock::time_point sent) {
        for (;;) {
            sockaddr_storage from{};
            iovec data{receive_.data(), receive_.size()};
            alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
            msghdr message{};
            message.msg_name = &from;
            message.msg_namelen = sizeof from;
            message.msg_iov = &data;
            message.msg_iovlen = 1;
            message.msg_control = control;
            message.msg_controllen = sizeof control;
            const auto n = ::recvmsg(socket, &message, MSG_DONTWAIT);
            if (n < 0) {
                if (errno == EINTR) continue;
                return std::nullopt;
            }
            const auto readAt = Clock::now();
            timespec realNow{};
            ::clock_gettime(CLOCK_REALTIME, &realNow);
            const std::span<const std::uint8_t> datagram(receive_.data(),
                                                         static_cast<std::size_t>(n));
            if (!icmp::isOurReply(datagram, toIpAddress(from), filter)) continue;
            return readAt - wakeUpDelay(message, realNow, readAt - sent);
        }
    }

    // How long the reply waited in the kernel before this thread read it: a
    // busy machine may take milliseconds to wake the thread, which is not
    // part of the round trip. Kernel receive stamps use the real-time clock,
    // so only the short span between the stamp and our read is taken from
    // it, and only when it is plausible (a clock step makes it not).
    static Clock::duration wakeUpDelay(const msghdr& message, const timespec& realNow,
                                       Clock::duration elapsed) {
        for (auto* c = CMSG_FIRSTHDR(&message); c;
             c = CMSG_NXTHDR(const_cast<msghdr*>(&message), c)) {
            if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_TIMESTAMPNS) continue;
            timespec stamp;
            std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
            const auto delay = std::chrono::seconds(realNow.tv_sec - stamp.tv_sec) +
                               std::chrono::nanoseconds(realNow.tv_nsec - stamp.tv_nsec);
            if (delay < Clock::duration::zero() || delay > elapsed) return {};
            return std::chrono::duration_cast<Clock::duration>(delay);
        }
        return {};
    }

    Fd stop_;
    std::vector<std::uint8_t> receive_;
    std::uint16_t identifier_ = 0;
    std::uint16_t sequence_ = 0;
    std::map<std::string, Target> cache_;
};

LinuxPinger::LinuxPinger(Post post)
    : post_(std::move(post)),
      alive_(std::make_shared<std::atomic<bool>>(true)),
      worker_(std::make_unique<Worker>()) {
    thread_ = std::thread([this] { run(); });
}

LinuxPinger::~LinuxPinger() {
    alive_->store(false);
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_->interrupt();
    thread_.join();
}

void LinuxPinger::setSize(int bytes) {
    size_ = bytes;
}

void LinuxPinger::setAddress(const std::string& host) {
    host_ = host;
}

void LinuxPinger::ping(std::function<void(const PingOutcome&)> done) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(Request{host_, size_, std::move(done)});
    }
    wake_.notify_one();
}

void LinuxPinger::run() {
    for (;;) {
        Request request;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) return;
            request = std::move(queue_.front());
            queue_.pop_front();
        }
        auto result = worker_->serve(request.host, request.size);
        if (result.interrupted) return;
        lastKind_.store(result.kind);
        lastRoundTripNs_.store(
            std::chrono::duration_cast<std::chrono::nanoseconds>(result.roundTrip).count());
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
        }
        post_(
            [alive = alive_, done = std::move(request.done), outcome = std::move(result.outcome)] {
                if (alive->load() && done) done(outcome);
            });
    }
}

}  // namespace ulz
