// Bulk TCP traffic between two test hosts, for the connection analysis's
// system test and benchmark. One side serves, the other pulls and pushes:
//
//   ulz_traffic_peer serve ADDR PORT [--ready-file PATH]
//   ulz_traffic_peer pull ADDR PORT [--down] [--up] [--seconds S]
//
// A client opens one connection per direction and says which with its first
// byte: 'D' and the server sends until the client goes away, 'U' and the
// server reads and drops what the client sends. `pull` runs for S seconds
// (until killed without --seconds) and prints the payload bytes it moved.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t kChunk = 64 * 1024;

std::atomic<bool> stopping{false};

[[noreturn]] void usage(const char* why) {
    std::fprintf(
        stderr,
        "ulz_traffic_peer: %s\nusage: ulz_traffic_peer serve ADDR PORT [--ready-file PATH]\n"
        "       ulz_traffic_peer pull ADDR PORT [--down] [--up] [--seconds S]\n",
        why);
    std::exit(2);
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "ulz_traffic_peer: %s: %s\n", what, std::strerror(errno));
    std::exit(1);
}

sockaddr_in address(const char* host, const char* port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(std::atoi(port)));
    if (::inet_pton(AF_INET, host, &a.sin_addr) != 1) usage("ADDR must be an IPv4 address");
    return a;
}

// Lets a blocked send or receive return now and then to look at `stopping`.
void setTimeouts(int fd) {
    const timeval t{0, 200 * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &t, sizeof t);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &t, sizeof t);
}

bool retry(ssize_t n) {
    return n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK);
}

// Sends until the peer goes away or the run stops; returns the bytes sent.
std::uint64_t pushAll(int fd) {
    const std::vector<char> chunk(kChunk, 'x');
    std::uint64_t total = 0;
    while (!stopping) {
        const ssize_t n = ::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL);
        if (retry(n)) continue;
        if (n <= 0) break;
        total += static_cast<std::uint64_t>(n);
    }
    return total;
}

// Reads and drops until the peer closes or the run stops.
std::uint64_t drainAll(int fd) {
    std::vector<char> chunk(kChunk);
    std::uint64_t total = 0;
    while (!stopping) {
        const ssize_t n = ::recv(fd, chunk.data(), chunk.size(), 0);
        if (retry(n)) continue;
        if (n <= 0) break;
        total += static_cast<std::uint64_t>(n);
    }
    return total;
}

void serveOne(int fd) {
    setTimeouts(fd);
    char kind = 0;
    ssize_t n;
    do {
        n = ::recv(fd, &kind, 1, 0);
    } while (retry(n) && !stopping);
    if (n == 1 && kind == 'D') pushAll(fd);
    if (n == 1 && kind == 'U') drainAll(fd);
    ::close(fd);
}

int serve(const sockaddr_in& at, const std::string& readyFile) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) fail("socket");
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0) fail("bind");
    if (::listen(listener, 16) != 0) fail("listen");
    if (!readyFile.empty()) {
        const std::string temporary = readyFile + ".tmp";
        std::ofstream(temporary) << ::getpid() << '\n';
        if (std::rename(temporary.c_str(), readyFile.c_str()) != 0) fail("ready file");
    }
    for (;;) {
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR) continue;
            fail("accept");
        }
        std::thread(serveOne, fd).detach();
    }
}

int connectTo(const sockaddr_in& at, char kind) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) fail("socket");
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0) fail("connect");
    setTimeouts(fd);
    if (::send(fd, &kind, 1, MSG_NOSIGNAL) != 1) fail("send");
    return fd;
}

int pull(const sockaddr_in& at, bool down, bool up, double seconds) {
    std::atomic<std::uint64_t> received{0}, sent{0};
    std::vector<std::thread> flows;
    if (down) {
        const int fd = connectTo(at, 'D');
        flows.emplace_back([fd, &received] {
            received = drainAll(fd);
            ::close(fd);
        });
    }
    if (up) {
        const int fd = connectTo(at, 'U');
        flows.emplace_back([fd, &sent] {
            sent = pushAll(fd);
            ::close(fd);
        });
    }
    if (seconds > 0) {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        stopping = true;
    }
    for (auto& f : flows) f.join();
    std::printf("received %llu sent %llu\n", static_cast<unsigned long long>(received.load()),
                static_cast<unsigned long long>(sent.load()));
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    // Gone with whoever started it, even after a crash.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (argc < 4) usage("missing arguments");
    const std::string mode = argv[1];
    const sockaddr_in at = address(argv[2], argv[3]);
    std::string readyFile;
    bool down = false, up = false;
    double seconds = 0;
    for (int i = 4; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--ready-file" && i + 1 < argc) {
            readyFile = argv[++i];
        } else if (arg == "--seconds" && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (arg == "--down") {
            down = true;
        } else if (arg == "--up") {
            up = true;
        } else {
            usage(("unknown argument " + arg).c_str());
        }
    }
    // SIGTERM ends a pull cleanly, with its byte counts.
    struct sigaction action {};
    action.sa_handler = [](int) { stopping = true; };
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    if (mode == "serve") return serve(at, readyFile);
    if (mode == "pull") return pull(at, down || !up, up || !down, seconds);
    usage("mode must be serve or pull");
}
