// Reading the interface table: an RTM_GETLINK dump over a NETLINK_ROUTE socket.
// A failed or truncated dump is retried on a fresh socket, so that no datagram
// left over from it can be taken for part of the next answer.
#include "platform/linux_interface_table.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <span>

#include "platform/link_dump.h"

namespace ulz {

namespace {

// A dump retried this many times in a row is given up (failure) or taken as it
// is (the table kept changing while it was written).
constexpr int kAttempts = 3;
// The kernel writes dump datagrams of up to 32 KiB when the reader offers that
// much; a larger one (a single huge link message) makes the buffer grow.
constexpr std::size_t kInitialBufferSize = 32 * 1024;
constexpr std::size_t kMaxBufferSize = 1024 * 1024;
// The kernel answers at once; the limit only keeps a collector tick from
// hanging should it not.
constexpr timeval kSocketTimeout{1, 0};

struct DumpRequest {
    nlmsghdr header;
    ifinfomsg info;
};

}  // namespace

LinuxInterfaceTable::~LinuxInterfaceTable() {
    closeSocket();
}

std::vector<InterfaceRow> LinuxInterfaceTable::read() {
    const std::lock_guard lock(mutex_);
    std::vector<InterfaceRow> rows;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        if (fd_ < 0 && !openSocket()) return {};
        const Outcome outcome = dump(rows);
        if (outcome == Outcome::Complete) return rows;
        if (outcome == Outcome::Interrupted) {
            // Every link the dump did list is real and counted once; only one
            // that came or went during it may be missing.
            if (attempt == kAttempts) return rows;
            continue;
        }
        closeSocket();
        // Asking again would only make the caller wait that much longer.
        if (outcome == Outcome::TimedOut) return {};
    }
    return {};
}

LinuxInterfaceTable::Outcome LinuxInterfaceTable::dump(std::vector<InterfaceRow>& rows) {
    rows.clear();
    const std::uint32_t sequence = ++sequence_;
    DumpRequest request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = RTM_GETLINK;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = sequence;
    request.info.ifi_family = AF_UNSPEC;

    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    ssize_t sent;
    do {
        sent = ::sendto(fd_, &request, sizeof request, 0, reinterpret_cast<sockaddr*>(&kernel),
                        sizeof kernel);
    } while (sent < 0 && errno == EINTR);
    if (sent != static_cast<ssize_t>(sizeof request)) return Outcome::Failed;

    if (buffer_.size() < kInitialBufferSize) buffer_.resize(kInitialBufferSize);
    LinkDumpParser parser(sequence);
    for (;;) {
        sockaddr_nl from{};
        socklen_t fromLength = sizeof from;
        ssize_t received;
        do {
            // MSG_TRUNC makes the call return the datagram's full length, so
            // that a datagram cut short by the buffer is noticed.
            received = ::recvfrom(fd_, buffer_.data(), buffer_.size(), MSG_TRUNC,
                                  reinterpret_cast<sockaddr*>(&from), &fromLength);
        } while (received < 0 && errno == EINTR);
        if (received < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK ? Outcome::TimedOut : Outcome::Failed;
        if (static_cast<std::size_t>(received) > buffer_.size()) {
            // The rest of this datagram is lost; retry with room for it.
            if (static_cast<std::size_t>(received) <= kMaxBufferSize)
                buffer_.resize(static_cast<std::size_t>(received));
            return Outcome::Failed;
        }
        // Only the kernel speaks for the table.
        if (fromLength < sizeof from || from.nl_pid != 0) continue;

        switch (parser.feed(std::span(buffer_.data(), static_cast<std::size_t>(received)))) {
            case LinkDumpParser::State::More:
                continue;
            case LinkDumpParser::State::Failed:
                return Outcome::Failed;
            case LinkDumpParser::State::Done:
                rows = parser.takeRows();
                return parser.interrupted() ? Outcome::Interrupted : Outcome::Complete;
        }
    }
}

bool LinuxInterfaceTable::openSocket() {
    const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) return false;
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &kSocketTimeout, sizeof kSocketTimeout) != 0 ||
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &kSocketTimeout, sizeof kSocketTimeout) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void LinuxInterfaceTable::closeSocket() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace ulz
